#include "app/vantrel_dlg_guide.h"

#include <QDateTime>
#include <algorithm>
#include <ctime>

#include "app/vantrel_dlg_guide_worker.h"
#include "base/file_locations.h"
#include "base/qt_strings.h"
#include "base/text_codec.h"
#include "catalogue/playlist/playlist_store.h"
#include "resources/resource.h"

namespace vantrel {
namespace {

std::chrono::milliseconds& IntervalForTesting() {
  static std::chrono::milliseconds interval{0};
  return interval;
}

std::function<std::int64_t()>& ClockForTesting() {
  static std::function<std::int64_t()> clock;
  return clock;
}

QString LocalTime(std::int64_t utc) { return QDateTime::fromSecsSinceEpoch(utc).toString(QStringLiteral("HH:mm")); }

}  // namespace

void SetGuideRefreshIntervalForTesting(std::chrono::milliseconds interval) { IntervalForTesting() = interval; }

void SetGuideClockForTesting(std::function<std::int64_t()> now) { ClockForTesting() = std::move(now); }

QString GuideTimeRange(const GuideProgramme& programme) {
  return LocalTime(programme.start) + QChar(0x2013) + LocalTime(programme.stop);
}

int GuideProgress(const GuideProgramme& programme, std::int64_t now) {
  const std::int64_t length = programme.stop - programme.start;
  if (length <= 0) return 0;
  return static_cast<int>(std::clamp<std::int64_t>((now - programme.start) * 1000 / length, 0, 1000));
}

CGuideService::CGuideService(QObject* parent) : QObject(parent) {
  connect(&m_timer, &QTimer::timeout, this, &CGuideService::RefreshAll);
}

CGuideService::~CGuideService() { m_worker.reset(); }

std::int64_t CGuideService::Now() {
  const std::function<std::int64_t()>& clock = ClockForTesting();
  return clock ? clock() : static_cast<std::int64_t>(std::time(nullptr));
}

void CGuideService::Start() {
  if (m_worker) return;
  m_userSources = ReadGuideSourceList(FileLocation(DataFile::kGuideSources));
  m_worker = std::make_unique<CGuideWorker>(FileLocation(DataFile::kGuide));
  // The worker makes the database when there is none; this side only reads it, once it is there.
  m_worker->Post([this](CGuideStore* store, const std::function<bool()>&) {
    if (store == nullptr) return;
    store->Prune(Now());
    QMetaObject::invokeMethod(this, &CGuideService::OpenStore, Qt::QueuedConnection);
  });
  Scan(true);
  const std::chrono::milliseconds interval = IntervalForTesting();
  m_timer.start(interval.count() > 0 ? interval : kRefreshInterval);
}

void CGuideService::OpenStore() {
  if (m_storeOpen) return;
  m_storeOpen = m_store.Open(FileLocation(DataFile::kGuide));
  if (m_storeOpen) emit Changed();
}

void CGuideService::RefreshAll() {
  if (m_worker) Scan(true);
}

void CGuideService::OnPlaylistsChanged() {
  if (m_worker) Scan(false);
}

// The playlists are read on the worker: a big one takes a moment to parse.
void CGuideService::Scan(bool refreshAll) {
  m_worker->Post([this, refreshAll, folder = PlaylistsFolder()](CGuideStore*, const std::function<bool()>&) {
    auto guides = std::make_shared<PlaylistGuides>(ScanPlaylistGuides(folder));
    QMetaObject::invokeMethod(
        this, [this, guides, refreshAll] { OnScanned(std::move(*guides), refreshAll); }, Qt::QueuedConnection);
  });
}

void CGuideService::OnScanned(PlaylistGuides guides, bool refreshAll) {
  m_playlistSources = std::move(guides.sources);
  const bool renamed = guides.channels != m_names;
  m_names = std::move(guides.channels);
  const std::vector<std::string> all = AllSources();
  for (const std::string& address : all)
    if (refreshAll || !m_known.contains(address)) Refresh(address);
  m_known = std::set<std::string>(all.begin(), all.end());
  ForgetAllBut(all);
  emit SourcesChanged();
  if (renamed) emit Changed();
}

std::vector<std::string> CGuideService::AllSources() const {
  std::vector<std::string> all = m_userSources;
  for (const GuideSource& source : m_playlistSources)
    if (std::find(all.begin(), all.end(), source.address) == all.end()) all.push_back(source.address);
  return all;
}

void CGuideService::Refresh(const std::string& address) {
  ++m_pending;
  m_states[address] = {};
  m_worker->Post([this, address, folder = m_worker->Folder()](CGuideStore* store,
                                                                const std::function<bool()>& cancelled) {
    GuideSourceState state;
    state.done = true;
    if (!IsReadableGuideSource(address)) {
      state.missing = true;
    } else if (store != nullptr) {
      const GuideRefreshResult result = RefreshGuideSource(*store, folder, address, Now(), {}, cancelled);
      state.fetch = result.fetch;
      state.httpCode = result.httpCode;
      state.imported = result.imported;
      state.unreadable = result.fetch == GuideFetchStatus::kFetched && !result.imported;
    } else {
      state.fetch = GuideFetchStatus::kCannotWrite;
    }
    state.at = Now();
    if (cancelled()) return;
    QMetaObject::invokeMethod(
        this, [this, address, state] { OnRefreshed(address, state); }, Qt::QueuedConnection);
  });
}

void CGuideService::OnRefreshed(const std::string& address, const GuideSourceState& state) {
  --m_pending;
  m_states[address] = state;
  // The store may have been made by this import.
  if (!m_storeOpen) OpenStore();
  emit SourcesChanged();
  if (state.imported) emit Changed();
}

// The guide is a cache of the sources named now: one no longer named is dropped with its guide.
void CGuideService::ForgetAllBut(std::vector<std::string> keep) {
  m_worker->Post([this, keep = std::move(keep)](CGuideStore* store, const std::function<bool()>&) {
    if (store == nullptr) return;
    bool forgot = false;
    for (const std::string& source : store->Sources())
      if (std::find(keep.begin(), keep.end(), source) == keep.end()) forgot = store->RemoveSource(source) || forgot;
    if (forgot) QMetaObject::invokeMethod(this, &CGuideService::Changed, Qt::QueuedConnection);
  });
}

bool CGuideService::AddUserSource(const QString& text) {
  std::string address = NormaliseGuideSource(text.toStdString());
  if (address.empty() || std::find(m_userSources.begin(), m_userSources.end(), address) != m_userSources.end())
    return false;
  m_userSources.push_back(address);
  if (!WriteGuideSourceList(FileLocation(DataFile::kGuideSources), m_userSources)) {
    m_userSources.pop_back();
    return false;
  }
  if (m_worker && m_known.insert(address).second) Refresh(address);
  emit SourcesChanged();
  return true;
}

bool CGuideService::RemoveUserSource(const std::string& address) {
  const auto found = std::find(m_userSources.begin(), m_userSources.end(), address);
  if (found == m_userSources.end()) return false;
  std::vector<std::string> kept = m_userSources;
  kept.erase(kept.begin() + (found - m_userSources.begin()));
  if (!WriteGuideSourceList(FileLocation(DataFile::kGuideSources), kept)) return false;
  m_userSources = std::move(kept);
  const std::vector<std::string> all = AllSources();
  if (std::find(all.begin(), all.end(), address) == all.end()) {
    m_known.erase(address);
    m_states.erase(address);
  }
  if (m_worker) ForgetAllBut(all);
  emit SourcesChanged();
  return true;
}

const GuideSourceState* CGuideService::SourceState(const std::string& address) const {
  const auto found = m_states.find(address);
  return found == m_states.end() ? nullptr : &found->second;
}

GuideMatch CGuideService::Match(const CChannel& channel) const {
  if (!m_storeOpen) return {};
  // Catalogue channels have ids from 0 up; playlists' are negative.
  if (channel.id < 0) {
    const auto names = m_names.find(channel.id);
    if (names != m_names.end()) {
      if (const GuideMatch match = m_store.MatchChannel(names->second.tvgId, Utf16ToUtf8(channel.name))) return match;
      return m_store.MatchChannel({}, names->second.tvgName);
    }
  }
  return MatchCatalogueChannel(m_store, channel);
}

GuideNowNext CGuideService::NowAndNext(const CChannel& channel) const {
  const GuideMatch match = Match(channel);
  return match ? m_store.NowAndNext(match.channel, Now()) : GuideNowNext{};
}

std::vector<GuideProgramme> CGuideService::Day(const CChannel& channel, int dayOffset) const {
  const GuideMatch match = Match(channel);
  return match ? m_store.Programmes(match.channel, LocalDay(Now(), dayOffset)) : std::vector<GuideProgramme>{};
}

QString CGuideService::ToolTip(const CChannel& channel) const {
  const GuideNowNext nowNext = NowAndNext(channel);
  QStringList lines;
  if (nowNext.now)
    lines << ResString(res::IDS_GUIDE_NOW) + GuideTimeRange(*nowNext.now) + ' ' + QString::fromStdString(nowNext.now->title);
  if (nowNext.next)
    lines << ResString(res::IDS_GUIDE_NEXT) + GuideTimeRange(*nowNext.next) + ' ' +
                 QString::fromStdString(nowNext.next->title);
  return lines.join('\n');
}

}  // namespace vantrel
