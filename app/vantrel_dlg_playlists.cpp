#include "app/vantrel_dlg_playlists.h"

#include <QFileInfo>
#include <QUrl>
#include <memory>

#include "base/qt_strings.h"
#include "catalogue/playlist/playlist_address.h"
#include "catalogue/playlist/playlist_store.h"
#include "resources/resource.h"
#include "updates/playlist_fetch.h"

namespace vantrel {

namespace {

QString ErrorText(int reasonId) { return ResString(res::IDS_PLAYLIST_ERROR) + ResString(reasonId); }

QString RefusalText(PlaylistRefusal refusal) {
  switch (refusal) {
    case PlaylistRefusal::kTooLarge: return ErrorText(res::IDS_PLAYLIST_TOO_LARGE);
    case PlaylistRefusal::kHtml: return ErrorText(res::IDS_PLAYLIST_HTML);
    case PlaylistRefusal::kBinary: return ErrorText(res::IDS_PLAYLIST_BINARY);
    case PlaylistRefusal::kTooManyEntries: return ErrorText(res::IDS_PLAYLIST_TOO_MANY);
    default: return ErrorText(res::IDS_PLAYLIST_UNREADABLE);
  }
}

QString FetchFailureText(const PlaylistFetch& fetch) {
  switch (fetch.status) {
    case PlaylistFetchStatus::kHttpError: return ErrorText(res::IDS_PLAYLIST_HTTP).arg(fetch.httpCode);
    case PlaylistFetchStatus::kTooLarge: return ErrorText(res::IDS_PLAYLIST_TOO_LARGE);
    case PlaylistFetchStatus::kReadFailed: return ErrorText(res::IDS_PLAYLIST_BROKE_OFF);
    default: return ErrorText(res::IDS_PLAYLIST_NO_ANSWER);
  }
}

std::vector<CChannel> ChannelsOf(const CPlaylist& playlist) {
  std::vector<CChannel> channels;
  channels.reserve(playlist.Size());
  for (size_t i = 0; i < playlist.Size(); ++i) channels.push_back(playlist.ToChannel(i));
  return channels;
}

}  // namespace

// A playlist read and parsed by a worker, with the records the views take, for the UI thread
// to commit.
struct OpenedPlaylist {
  CPreparedImport prepared;
  std::vector<CChannel> channels;

  void Prepare(CPreparedImport made) {
    prepared = std::move(made);
    if (prepared.status == PlaylistImportStatus::kAdded) channels = ChannelsOf(prepared.playlist);
  }
};

CPlaylistShelf::CPlaylistShelf(QObject* parent)
    : QObject(parent), m_store(std::make_unique<CPlaylistStore>(PlaylistsFolder())) {}

CPlaylistShelf::~CPlaylistShelf() {
  m_refresh.reset();
  JoinOpenWorker();
  // A file being read finishes first; its posted result dies with this object.
  if (m_fileWorker.joinable()) m_fileWorker.join();
}

void CPlaylistShelf::JoinOpenWorker() {
  m_cancelOpen = true;
  if (m_openWorker.joinable()) m_openWorker.join();
  m_cancelOpen = false;
}

void CPlaylistShelf::Load() {
  emit AboutToChange();
  m_shown.clear();
  m_store = std::make_unique<CPlaylistStore>(PlaylistsFolder());
  m_store->Load();
  for (const CPlaylistEntry& entry : m_store->Entries()) {
    PlaylistReadResult read = m_store->Read(entry.id);
    if (!read.Ok()) {
      emit Failed(RefusalText(read.refusal));
      continue;
    }
    m_shown.push_back({entry.id, ToU16(QString::fromStdString(entry.name)), ChannelsOf(read.playlist)});
  }
  emit Changed();
}

std::vector<ChannelSource> CPlaylistShelf::Sources() const {
  std::vector<ChannelSource> sources;
  sources.reserve(m_shown.size());
  for (const ShownPlaylist& shown : m_shown) sources.push_back({shown.title, shown.channels});
  return sources;
}

void CPlaylistShelf::Show(uint32_t id, const CPlaylist& playlist) { Show(id, ChannelsOf(playlist)); }

// Shows the store's entry `id` anew with `channels`, in the store's order.
void CPlaylistShelf::Show(uint32_t id, std::vector<CChannel> channels) {
  emit AboutToChange();
  std::vector<ShownPlaylist> shown;
  shown.reserve(m_store->Entries().size());
  for (const CPlaylistEntry& entry : m_store->Entries()) {
    if (entry.id == id) {
      shown.push_back({id, ToU16(QString::fromStdString(entry.name)), std::move(channels)});
      continue;
    }
    for (ShownPlaylist& old : m_shown)
      if (old.id == entry.id) shown.push_back(std::move(old));
  }
  m_shown = std::move(shown);
  emit Changed();
}

bool CPlaylistShelf::Open(const QString& fileOrAddress) {
  const QString text = fileOrAddress.trimmed();
  if (text.isEmpty()) return false;
  const std::string address = text.toStdString();
  if (IsWebAddress(address)) {
    // One open at a time: a new address abandons the fetch still running.
    JoinOpenWorker();
    m_fetching = true;
    const uint64_t generation = ++m_openGeneration;
    m_openWorker = std::thread([this, address, text, generation, folder = m_store->Folder()] {
      PlaylistFetch fetch = FetchPlaylist(address, {}, {}, &m_cancelOpen);
      if (fetch.status == PlaylistFetchStatus::kCancelled) return;
      auto opened = std::make_shared<OpenedPlaylist>();
      if (fetch.Ok()) {
        opened->Prepare(CPlaylistStore::PrepareBytes(folder, address, true, std::move(fetch.bytes), fetch.validators));
      }
      QMetaObject::invokeMethod(
          this,
          [this, text, generation, opened, fetch = std::move(fetch)] { ImportFetched(text, fetch, *opened, generation); },
          Qt::QueuedConnection);
    });
    return true;
  }
  // A file, given as a path or as a file: URL.
  const QUrl url(text);
  const QString path = url.isLocalFile() ? url.toLocalFile() : text;
  if (!QFileInfo(path).isFile()) {
    emit Failed(RefusalText(PlaylistRefusal::kCannotRead));
    return false;
  }
  OpenFile(path);
  return true;
}

// Reading, checking, parsing and copying a list of 100,000 channels takes a noticeable moment:
// it is done on a worker, with the records the views take, and only committed here.
void CPlaylistShelf::OpenFile(const QString& path) {
  ++m_filesPending;
  std::thread before = std::move(m_fileWorker);
  m_fileWorker = std::thread([this, path, folder = m_store->Folder(), before = std::move(before)]() mutable {
    if (before.joinable()) before.join();
    auto opened = std::make_shared<OpenedPlaylist>();
    opened->Prepare(CPlaylistStore::PrepareFile(folder, path.toStdString()));
    QMetaObject::invokeMethod(
        this,
        [this, path, opened] {
          --m_filesPending;
          TakeIn(path, *opened);
        },
        Qt::QueuedConnection);
  });
}

void CPlaylistShelf::TakeIn(const QString& source, OpenedPlaylist& opened) {
  const PlaylistImport import = m_store->Commit(std::move(opened.prepared));
  switch (import.status) {
    case PlaylistImportStatus::kAdded:
    case PlaylistImportStatus::kReplaced: Show(import.id, std::move(opened.channels)); break;
    case PlaylistImportStatus::kStream: emit PlayStream(source); break;
    case PlaylistImportStatus::kRefused: emit Failed(RefusalText(import.refusal)); break;
    case PlaylistImportStatus::kWriteFailed: emit Failed(ErrorText(res::IDS_PLAYLIST_NOT_SAVED)); break;
  }
}

void CPlaylistShelf::ImportFetched(const QString& address, const PlaylistFetch& fetch, OpenedPlaylist& opened,
                                   uint64_t generation) {
  // An answer to an address given up for a newer one: the newer one's worker is not joined here.
  if (generation != m_openGeneration) return;
  if (m_openWorker.joinable()) m_openWorker.join();
  m_fetching = false;
  if (fetch.status == PlaylistFetchStatus::kStream) {
    emit PlayStream(address);
    return;
  }
  if (!fetch.Ok()) {
    emit Failed(FetchFailureText(fetch));
    return;
  }
  TakeIn(address, opened);
}

bool CPlaylistShelf::Remove(size_t position) {
  if (position >= m_shown.size()) return false;
  emit AboutToChange();
  const bool removed = m_store->Remove(m_shown[position].id);
  if (removed) m_shown.erase(m_shown.begin() + static_cast<std::ptrdiff_t>(position));
  emit Changed();
  return removed;
}

void CPlaylistShelf::StartRefresh() {
  std::vector<PlaylistRefreshRequest> requests = RefreshRequests(*m_store);
  if (requests.empty()) return;
  m_refresh = std::make_unique<CPlaylistRefresh>(
      std::move(requests), std::u16string(), [this](const PlaylistRefreshRequest& request, PlaylistFetch fetch) {
        if (fetch.status != PlaylistFetchStatus::kFetched) return;
        QMetaObject::invokeMethod(
            this, [this, id = request.id, fetch = std::move(fetch)]() mutable { ApplyRefresh(id, std::move(fetch)); },
            Qt::QueuedConnection);
      });
}

// A refreshed copy that no longer reads keeps the old one; the user is not bothered with it.
void CPlaylistShelf::ApplyRefresh(uint32_t id, PlaylistFetch fetch) {
  if (m_store->Find(id) == nullptr) return;
  CPlaylist playlist;
  const PlaylistImport import = m_store->ApplyFetched(id, std::move(fetch.bytes), fetch.validators, &playlist);
  if (import.Ok()) Show(id, playlist);
}

}  // namespace vantrel
