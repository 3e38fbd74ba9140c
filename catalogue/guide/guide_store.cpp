#include "catalogue/guide/guide_store.h"

#include <system_error>

#include "base/text_codec.h"
#include "catalogue/guide/guide_names.h"

namespace vantrel {
namespace {

constexpr int kSchemaVersion = 1;
// A day's list never holds more than this, whatever a guide says.
constexpr std::size_t kMaxDayList = 2000;

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS sources(
  id INTEGER PRIMARY KEY, address TEXT NOT NULL UNIQUE, etag TEXT NOT NULL DEFAULT '',
  last_modified TEXT NOT NULL DEFAULT '', imported_at INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS channels(
  id INTEGER PRIMARY KEY, source INTEGER NOT NULL, xmltv_id TEXT NOT NULL, names TEXT NOT NULL,
  programmes INTEGER NOT NULL DEFAULT 0);
CREATE INDEX IF NOT EXISTS channels_by_source ON channels(source);
CREATE INDEX IF NOT EXISTS channels_by_xmltv_id ON channels(xmltv_id COLLATE NOCASE);
CREATE TABLE IF NOT EXISTS channel_names(channel INTEGER NOT NULL, key TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS channel_names_by_key ON channel_names(key);
CREATE INDEX IF NOT EXISTS channel_names_by_channel ON channel_names(channel);
CREATE TABLE IF NOT EXISTS programmes(
  channel INTEGER NOT NULL, start INTEGER NOT NULL, stop INTEGER NOT NULL, title TEXT NOT NULL,
  sub_title TEXT NOT NULL, description TEXT NOT NULL, category TEXT NOT NULL);
-- A channel's programmes never overlap, so stop order is time order: now/next and a day's
-- list are one range walk of this index each.
CREATE INDEX IF NOT EXISTS programmes_by_channel_stop ON programmes(channel, stop);
)";

// Ranked choice among sources: a channel with programmes, then the newest import.
constexpr const char* kRank = " ORDER BY c.programmes > 0 DESC, s.imported_at DESC, c.id DESC LIMIT 1";

void RemoveDatabaseFiles(const std::filesystem::path& file) {
  std::error_code ec;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"})
    std::filesystem::remove(file.string() + suffix, ec);
}

std::vector<std::string> SplitNames(const std::string& joined) {
  std::vector<std::string> names;
  std::size_t from = 0;
  while (from < joined.size()) {
    const std::size_t end = joined.find('\n', from);
    names.push_back(joined.substr(from, end == std::string::npos ? std::string::npos : end - from));
    if (end == std::string::npos) break;
    from = end + 1;
  }
  return names;
}

}  // namespace

bool CGuideStore::Open(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  m_file = folder / kFileName;
  for (int attempt = 0; attempt < 2; ++attempt) {
    m_stale = false;
    if (m_db.Open(m_file) && CreateSchema() && PrepareQueries()) return true;
    m_error = m_db.Error();
    m_byTvgId = {};
    m_byName = {};
    m_fromTime = {};
    m_db.Close();
    // The guide is a cache of its sources: a damaged or foreign file is made anew. Any other
    // failure (a busy or unwritable database) leaves the file alone.
    if (!m_stale) break;
    RemoveDatabaseFiles(m_file);
  }
  return false;
}

bool CGuideStore::CreateSchema() {
  CSqliteStatement version = m_db.Prepare("PRAGMA user_version");
  const bool read = version.Step();
  const std::int64_t found = read ? version.Int(0) : -1;
  version = {};
  const int code = sqlite3_errcode(m_db.Handle());
  m_stale = (!read && (code == SQLITE_NOTADB || code == SQLITE_CORRUPT)) ||
            (read && found != 0 && found != kSchemaVersion);
  if (!read || m_stale) return false;
  // A bigger page cache keeps an import's index pages in memory instead of spilling them.
  if (!m_db.Exec("PRAGMA synchronous=NORMAL") || !m_db.Exec("PRAGMA cache_size=-16384")) return false;
  // An existing guide is not written to here: another connection may be importing into it.
  if (found == kSchemaVersion) return true;
  // Readers go on reading the previous guide while an import writes the next one.
  if (!m_db.Exec("PRAGMA journal_mode=WAL")) return false;
  CSqliteTransaction transaction(m_db);
  return transaction.Began() && m_db.Exec(kSchema) &&
         m_db.Exec("PRAGMA user_version=" + std::to_string(kSchemaVersion)) && transaction.Commit();
}

bool CGuideStore::PrepareQueries() {
  m_byTvgId = m_db.Prepare(std::string("SELECT c.id FROM channels c JOIN sources s ON s.id = c.source "
                                       "WHERE c.xmltv_id = ?1 COLLATE NOCASE") + kRank);
  m_byName = m_db.Prepare(std::string("SELECT c.id FROM channel_names n JOIN channels c ON c.id = n.channel "
                                      "JOIN sources s ON s.id = c.source WHERE n.key = ?1") + kRank);
  m_fromTime = m_db.Prepare(
      "SELECT start, stop, title, sub_title, description, category FROM programmes "
      "WHERE channel = ?1 AND stop > ?2 ORDER BY stop");
  return m_byTvgId.Valid() && m_byName.Valid() && m_fromTime.Valid();
}

GuideChannelId CGuideStore::FindBy(CSqliteStatement& query, std::string_view key) const {
  if (key.empty()) return 0;
  query.Reset();
  query.Bind(1, key);
  const GuideChannelId id = query.Step() ? query.Int(0) : 0;
  query.Reset();
  return id;
}

GuideMatch CGuideStore::MatchChannel(std::string_view tvgId, std::string_view name) const {
  if (const GuideChannelId id = FindBy(m_byTvgId, tvgId)) return {id, GuideMatchRule::kTvgId};
  if (const GuideChannelId id = FindBy(m_byName, GuideNameKey(name))) return {id, GuideMatchRule::kName};
  return {};
}

std::optional<GuideProgramme> CGuideStore::ReadProgramme(CSqliteStatement& query) const {
  if (!query.Step()) return std::nullopt;
  return GuideProgramme{query.Int(0), query.Int(1), query.Text(2), query.Text(3), query.Text(4), query.Text(5)};
}

GuideNowNext CGuideStore::NowAndNext(GuideChannelId channel, std::int64_t now) const {
  GuideNowNext result;
  m_fromTime.Reset();
  m_fromTime.Bind(1, channel).Bind(2, now);
  std::optional<GuideProgramme> first = ReadProgramme(m_fromTime);
  if (first && first->start <= now) {
    result.now = std::move(first);
    result.next = ReadProgramme(m_fromTime);
  } else {
    result.next = std::move(first);
  }
  m_fromTime.Reset();
  return result;
}

std::vector<GuideProgramme> CGuideStore::Programmes(GuideChannelId channel, TimeRange range) const {
  std::vector<GuideProgramme> list;
  m_fromTime.Reset();
  m_fromTime.Bind(1, channel).Bind(2, range.from);
  while (list.size() < kMaxDayList) {
    std::optional<GuideProgramme> programme = ReadProgramme(m_fromTime);
    if (!programme || programme->start >= range.to) break;
    list.push_back(std::move(*programme));
  }
  m_fromTime.Reset();
  return list;
}

std::vector<GuideChannelSummary> CGuideStore::Channels(std::string_view source) const {
  std::vector<GuideChannelSummary> channels;
  CSqliteStatement query = m_db.Prepare(
      "SELECT c.id, c.xmltv_id, c.names, c.programmes FROM channels c JOIN sources s ON s.id = c.source "
      "WHERE s.address = ?1 ORDER BY c.id");
  query.Bind(1, source);
  while (query.Step()) channels.push_back({query.Int(0), query.Text(1), SplitNames(query.Text(2)), query.Int(3)});
  return channels;
}

std::vector<std::string> CGuideStore::Sources() const {
  std::vector<std::string> sources;
  CSqliteStatement query = m_db.Prepare("SELECT address FROM sources ORDER BY id");
  while (query.Step()) sources.push_back(query.Text(0));
  return sources;
}

std::optional<GuideValidators> CGuideStore::Validators(std::string_view source) const {
  CSqliteStatement query = m_db.Prepare("SELECT etag, last_modified FROM sources WHERE address = ?1");
  query.Bind(1, source);
  if (!query.Step()) return std::nullopt;
  return GuideValidators{query.Text(0), query.Text(1)};
}

bool CGuideStore::Prune(std::int64_t now) {
  CSqliteTransaction transaction(m_db);
  // Channel by channel, so the one index serves.
  CSqliteStatement prune =
      m_db.Prepare("DELETE FROM programmes WHERE channel IN (SELECT id FROM channels) AND stop < ?1");
  prune.Bind(1, now - kKeepPastSeconds);
  return transaction.Began() && prune.Run() &&
         m_db.Exec("UPDATE channels SET programmes = (SELECT count(*) FROM programmes p WHERE p.channel = channels.id)") &&
         transaction.Commit();
}

bool CGuideStore::RemoveSource(std::string_view source) {
  CSqliteTransaction transaction(m_db);
  CSqliteStatement find = m_db.Prepare("SELECT id FROM sources WHERE address = ?1");
  find.Bind(1, source);
  if (!transaction.Began() || !find.Step()) return false;
  const std::int64_t id = find.Int(0);
  find = {};
  CSqliteStatement forget = m_db.Prepare("DELETE FROM sources WHERE id = ?1");
  return ClearSource(id) && forget.Bind(1, id).Run() && transaction.Commit();
}

bool CGuideStore::ClearSource(std::int64_t sourceId) {
  for (const char* sql : {"DELETE FROM programmes WHERE channel IN (SELECT id FROM channels WHERE source = ?1)",
                          "DELETE FROM channel_names WHERE channel IN (SELECT id FROM channels WHERE source = ?1)",
                          "DELETE FROM channels WHERE source = ?1"}) {
    CSqliteStatement step = m_db.Prepare(sql);
    if (!step.Bind(1, sourceId).Run()) return false;
  }
  return true;
}

GuideMatch MatchCatalogueChannel(const CGuideStore& store, const CChannel& channel) {
  return store.MatchChannel({}, Utf16ToUtf8(channel.name));
}

}  // namespace vantrel
