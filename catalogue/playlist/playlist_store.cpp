#include "catalogue/playlist/playlist_store.h"

#include <pugixml.hpp>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <sstream>
#include <system_error>
#include <thread>

#include "base/file_locations.h"
#include "catalogue/file_replace.h"
#include "catalogue/playlist/playlist_address.h"
#include "catalogue/playlist/playlist_text.h"

namespace vantrel {
namespace {

constexpr const char* kIndexFile = "index.xml";

// What the views call a playlist: the file's name, or the address's last path segment (its
// host when the path is empty).
std::string DisplayName(std::string_view source, bool remote) {
  std::string_view path = source;
  if (remote) {
    path = path.substr(0, path.find_first_of("?#"));
    const size_t authority = path.find("//");
    if (authority != std::string_view::npos) path.remove_prefix(authority + 2);
  }
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// A copy's name must stay inside the folder, whatever the index says.
bool IsPlainFileName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

}  // namespace

std::filesystem::path PlaylistsFolder() { return FileLocation(DataFile::kPlaylists); }

CPlaylistStore::CPlaylistStore(std::filesystem::path folder) : m_folder(std::move(folder)) {}

bool CPlaylistStore::Load() {
  m_entries.clear();
  m_nextId = 1;
  m_loaded = true;
  m_indexDamaged = false;
  std::error_code ec;
  // Ids go past every copy in the folder, listed or not, so that no copy is ever overwritten
  // by a new playlist's (a damaged index leaves its copies behind).
  for (const auto& file : std::filesystem::directory_iterator(m_folder, ec)) {
    const std::string name = file.path().filename().string();
    const size_t digits = name.find_first_not_of("0123456789");
    if (digits == 0 || digits == std::string::npos || digits > 9) continue;
    m_nextId = std::max<std::uint32_t>(m_nextId, static_cast<std::uint32_t>(std::stoul(name.substr(0, digits))) + 1);
  }
  const std::filesystem::path index = m_folder / kIndexFile;
  if (!std::filesystem::exists(index, ec)) return true;
  pugi::xml_document document;
  const pugi::xml_node root = document.load_file(index.c_str()) ? document.child("playlists") : pugi::xml_node();
  if (!root) {
    m_indexDamaged = true;
    return false;
  }
  m_nextId = std::max(m_nextId, root.attribute("next").as_uint(1));
  for (const pugi::xml_node node : root.children("playlist")) {
    CPlaylistEntry entry;
    entry.id = node.attribute("id").as_uint(0);
    entry.name = node.attribute("name").value();
    entry.source = node.attribute("source").value();
    entry.remote = node.attribute("remote").as_bool(false);
    entry.copy = node.attribute("copy").value();
    entry.validators.etag = node.attribute("etag").value();
    entry.validators.lastModified = node.attribute("modified").value();
    if (entry.id == 0 || entry.source.empty() || !IsPlainFileName(entry.copy) || Find(entry.id)) continue;
    if (!std::filesystem::is_regular_file(m_folder / entry.copy, ec)) continue;
    m_nextId = std::max(m_nextId, entry.id + 1);
    m_entries.push_back(std::move(entry));
  }
  return true;
}

const CPlaylistEntry* CPlaylistStore::Find(std::uint32_t id) const {
  const auto it = std::find_if(m_entries.begin(), m_entries.end(), [id](const CPlaylistEntry& e) { return e.id == id; });
  return it == m_entries.end() ? nullptr : &*it;
}

const CPlaylistEntry* CPlaylistStore::FindSource(std::string_view source) const {
  const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                               [source](const CPlaylistEntry& e) { return e.source == source; });
  return it == m_entries.end() ? nullptr : &*it;
}

PlaylistReadResult CPlaylistStore::Read(std::uint32_t id) const {
  const CPlaylistEntry* entry = Find(id);
  if (!entry) return {PlaylistRefusal::kCannotRead, {}};
  PlaylistReadResult result = ReadPlaylistFile(m_folder / entry->copy);
  result.playlist.base = entry->source;
  result.playlist.key = entry->source;
  return result;
}

CPreparedImport::~CPreparedImport() {
  std::error_code ec;
  if (!staged.empty()) std::filesystem::remove(staged, ec);
}

CPreparedImport::CPreparedImport(CPreparedImport&& other) noexcept { *this = std::move(other); }

CPreparedImport& CPreparedImport::operator=(CPreparedImport&& other) noexcept {
  if (this == &other) return *this;
  std::error_code ec;
  if (!staged.empty()) std::filesystem::remove(staged, ec);
  status = other.status;
  refusal = other.refusal;
  source = std::move(other.source);
  remote = other.remote;
  validators = std::move(other.validators);
  playlist = std::move(other.playlist);
  staged = std::move(other.staged);
  other.staged.clear();
  return *this;
}

CPreparedImport CPlaylistStore::PrepareFile(const std::filesystem::path& folder, const std::filesystem::path& file) {
  std::string bytes;
  const PlaylistRefusal refusal = ReadPlaylistBytes(file, bytes);
  if (refusal != PlaylistRefusal::kNone) {
    CPreparedImport refused;
    refused.refusal = refusal;
    return refused;
  }
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(file, ec);
  if (ec) absolute = file;
  return PrepareBytes(folder, absolute.lexically_normal().string(), false, std::move(bytes), {});
}

CPreparedImport CPlaylistStore::PrepareBytes(const std::filesystem::path& folder, std::string_view source, bool remote,
                                             std::string bytes, const PlaylistValidators& validators) {
  static std::atomic<unsigned> counter{0};
  CPreparedImport prepared;
  prepared.source = std::string(source);
  prepared.remote = remote;
  prepared.validators = validators;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  // Not a number: the ids of copies are never taken from it.
  const std::filesystem::path staged =
      folder / (".import-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".part");
  // The copy kept is the bytes exactly as they came; its flush waits on the disk, so it runs
  // beside the parse, which reads a copy of them.
  bool written = false;
  std::thread writer;
  try {
    writer = std::thread([&] { written = ReplaceFileContents(staged, bytes); });
  } catch (const std::system_error&) {
    written = ReplaceFileContents(staged, bytes);
  }
  PlaylistReadResult read = ReadPlaylist(bytes, source);
  if (writer.joinable()) writer.join();
  if (written) prepared.staged = staged;
  if (!read.Ok()) {
    prepared.refusal = read.refusal;
    return prepared;
  }
  if (read.playlist.IsStream()) {
    prepared.status = PlaylistImportStatus::kStream;
    return prepared;
  }
  if (!written) {
    prepared.status = PlaylistImportStatus::kWriteFailed;
    return prepared;
  }
  read.playlist.key = prepared.source;
  prepared.playlist = std::move(read.playlist);
  prepared.status = PlaylistImportStatus::kAdded;
  return prepared;
}

PlaylistImport CPlaylistStore::ImportFile(const std::filesystem::path& file, CPlaylist* playlist) {
  return Commit(PrepareFile(m_folder, file), playlist);
}

PlaylistImport CPlaylistStore::ImportFetched(std::string_view address, std::string bytes,
                                             const PlaylistValidators& validators, CPlaylist* playlist) {
  return Commit(PrepareBytes(m_folder, address, true, std::move(bytes), validators), playlist);
}

PlaylistImport CPlaylistStore::ApplyFetched(std::uint32_t id, std::string bytes, const PlaylistValidators& validators,
                                            CPlaylist* playlist) {
  const CPlaylistEntry* entry = Find(id);
  if (!entry || !entry->remote) return {PlaylistImportStatus::kRefused, PlaylistRefusal::kCannotRead, 0};
  return Commit(PrepareBytes(m_folder, entry->source, true, std::move(bytes), validators), playlist);
}

PlaylistImport CPlaylistStore::Commit(CPreparedImport prepared, CPlaylist* playlist) {
  if (prepared.status != PlaylistImportStatus::kAdded) return {prepared.status, prepared.refusal, 0};
  if (!m_loaded) Load();  // never write an index without the entries already in it
  const std::string& source = prepared.source;
  const bool remote = prepared.remote;

  std::error_code ec;
  std::filesystem::create_directories(m_folder, ec);
  const CPlaylistEntry* existing = FindSource(source);
  CPlaylistEntry entry = existing ? *existing : CPlaylistEntry{};
  if (!existing) {
    entry.id = m_nextId;
    entry.source = source;
    entry.name = DisplayName(source, remote);
  }
  entry.remote = remote;
  entry.validators = prepared.validators;
  entry.copy = std::to_string(entry.id) + (prepared.playlist.format == PlaylistFormat::kPls ? ".pls" : ".m3u");
  std::filesystem::rename(prepared.staged, m_folder / entry.copy, ec);
  if (ec) return {PlaylistImportStatus::kWriteFailed, {}, 0};
  prepared.staged.clear();

  const std::vector<CPlaylistEntry> before = m_entries;
  const std::uint32_t nextBefore = m_nextId;
  std::string oldCopy;
  if (existing) {
    CPlaylistEntry& slot = m_entries[static_cast<size_t>(existing - m_entries.data())];
    oldCopy = slot.copy;
    slot = entry;
  } else {
    m_entries.push_back(entry);
    ++m_nextId;
  }
  if (!SaveIndex()) {
    m_entries = before;
    m_nextId = nextBefore;
    if (!existing || oldCopy != entry.copy) std::filesystem::remove(m_folder / entry.copy, ec);
    return {PlaylistImportStatus::kWriteFailed, {}, 0};
  }
  if (!oldCopy.empty() && oldCopy != entry.copy) std::filesystem::remove(m_folder / oldCopy, ec);
  if (playlist) *playlist = std::move(prepared.playlist);
  return {existing ? PlaylistImportStatus::kReplaced : PlaylistImportStatus::kAdded, PlaylistRefusal::kNone, entry.id};
}

bool CPlaylistStore::Remove(std::uint32_t id) {
  if (!m_loaded) Load();
  const auto it = std::find_if(m_entries.begin(), m_entries.end(), [id](const CPlaylistEntry& e) { return e.id == id; });
  if (it == m_entries.end()) return false;
  const CPlaylistEntry removed = *it;
  const auto position = it - m_entries.begin();
  m_entries.erase(it);
  if (!SaveIndex()) {
    m_entries.insert(m_entries.begin() + position, removed);
    return false;
  }
  std::error_code ec;
  std::filesystem::remove(m_folder / removed.copy, ec);
  return true;
}

bool CPlaylistStore::SaveIndex() {
  pugi::xml_document document;
  pugi::xml_node root = document.append_child("playlists");
  root.append_attribute("next") = m_nextId;
  for (const CPlaylistEntry& entry : m_entries) {
    pugi::xml_node node = root.append_child("playlist");
    node.append_attribute("id") = entry.id;
    node.append_attribute("name") = entry.name.c_str();
    node.append_attribute("source") = entry.source.c_str();
    node.append_attribute("remote") = entry.remote ? 1 : 0;
    node.append_attribute("copy") = entry.copy.c_str();
    node.append_attribute("etag") = entry.validators.etag.c_str();
    node.append_attribute("modified") = entry.validators.lastModified.c_str();
  }
  std::ostringstream text;
  document.save(text, "  ", pugi::format_default, pugi::encoding_utf8);
  std::error_code ec;
  std::filesystem::create_directories(m_folder, ec);
  // A damaged index is kept aside for whoever wants to look at it, not replaced unseen.
  if (m_indexDamaged) {
    std::filesystem::rename(m_folder / kIndexFile, m_folder / "index.xml.damaged", ec);
    if (ec) return false;
    m_indexDamaged = false;
  }
  return ReplaceFileContents(m_folder / kIndexFile, text.str());
}

}  // namespace vantrel
