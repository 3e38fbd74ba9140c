#pragma once
// The programme guide on disk: one SQLite database in a folder the caller names (the user's
// data folder; tests give their own). Each guide source (an address or a file) is imported
// whole and replaces that source's previous guide in one transaction, so a failed import
// leaves the old guide as it was. Programmes that ended before yesterday are pruned.
//
// Threads: one CGuideStore per thread. An import runs on a worker with its own store object
// (a few seconds for a big guide); the window's store keeps answering meanwhile from the
// previous guide (write-ahead log) and sees the new one once the import has committed.
// Queries are cheap: now/next and a day's list each read a handful of index entries.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/channel.h"
#include "catalogue/guide/programme_order.h"
#include "catalogue/guide/sqlite_db.h"
#include "catalogue/guide/xmltv_reader.h"
#include "catalogue/guide/xmltv_time.h"

namespace vantrel {

using GuideChannelId = std::int64_t;

struct GuideProgramme {
  std::int64_t start = 0;  // UTC seconds
  std::int64_t stop = 0;
  std::string title, subTitle, description, category;  // UTF-8
};

struct GuideNowNext {
  std::optional<GuideProgramme> now;   // running at the moment asked about
  std::optional<GuideProgramme> next;  // the first one starting after it
};

enum class GuideMatchRule { kNone, kTvgId, kName };
struct GuideMatch {
  GuideChannelId channel = 0;
  GuideMatchRule rule = GuideMatchRule::kNone;
  explicit operator bool() const { return rule != GuideMatchRule::kNone; }
};

// A source's HTTP validators, kept for the next conditional GET.
struct GuideValidators {
  std::string etag;
  std::string lastModified;
};

struct GuideImportOptions {
  std::int64_t now = 0;  // the clock: what counts as past
  XmltvLimits limits;
  GuideValidators validators;       // stored with the new guide
  std::function<bool()> cancelled;  // asked now and then; true rolls the import back
};

// A programme left out, for reports.
struct GuideDroppedProgramme {
  std::string channel;
  std::int64_t start = 0;
  std::string title;
  std::string why;
  std::uint64_t line = 0;  // 0 when it was found out after reading
};

struct GuideImportReport {
  bool imported = false;  // false: the previous guide of the source is still there
  std::string error;      // why not, or what broke off the reading
  XmltvResult read;
  std::uint64_t channels = 0;    // stored
  std::uint64_t programmes = 0;  // stored
  std::uint64_t past = 0;        // ended before the kept window, not stored
  std::map<std::string, std::uint64_t> dropsByReason;  // every programme left out, by why
  std::vector<GuideDroppedProgramme> drops;           // the first kMaxReportedDrops of them
  void Drop(GuideDroppedProgramme drop);
  static constexpr std::size_t kMaxReportedDrops = 200;
};

struct GuideChannelSummary {
  GuideChannelId id = 0;
  std::string xmltvId;
  std::vector<std::string> names;
  std::int64_t programmes = 0;
};

class CGuideStore {
 public:
  static constexpr const char* kFileName = "guide.sqlite";
  // Programmes that ended this long before now are pruned: yesterday's list stays whole.
  static constexpr std::int64_t kKeepPastSeconds = 2 * 86400;

  CGuideStore() = default;
  CGuideStore(const CGuideStore&) = delete;
  CGuideStore& operator=(const CGuideStore&) = delete;

  // Opens the guide database in `folder` (made when missing). A file there that is not a
  // guide database of this version is a cache gone stale and is started afresh.
  bool Open(const std::filesystem::path& folder);
  const std::string& Error() const { return m_error; }

  // Reads the XMLTV file (plain or gzip) and makes it the guide of `source`.
  GuideImportReport Import(std::string_view source, const std::filesystem::path& file, const GuideImportOptions& options);
  // Deletes programmes that ended before now - kKeepPastSeconds.
  bool Prune(std::int64_t now);
  bool RemoveSource(std::string_view source);
  std::vector<std::string> Sources() const;
  // Nothing when the source was never imported.
  std::optional<GuideValidators> Validators(std::string_view source) const;

  // A channel of a playlist or catalogue finds its guide channel: by tvg-id first (ASCII
  // case ignored), then by name (GuideNameKey). Among several sources, a channel that has
  // programmes wins, then the source imported last.
  GuideMatch MatchChannel(std::string_view tvgId, std::string_view name) const;
  GuideNowNext NowAndNext(GuideChannelId channel, std::int64_t now) const;
  // Programmes that overlap [range.from, range.to), in time order (LocalDay gives the range).
  std::vector<GuideProgramme> Programmes(GuideChannelId channel, TimeRange range) const;
  std::vector<GuideChannelSummary> Channels(std::string_view source) const;

 private:
  bool CreateSchema();
  bool PrepareQueries();
  std::optional<GuideProgramme> ReadProgramme(CSqliteStatement& query) const;
  GuideChannelId FindBy(CSqliteStatement& query, std::string_view key) const;
  bool ClearSource(std::int64_t sourceId);
  bool ApplyTimeline(std::vector<ProgrammeSlot>& slots, const std::vector<std::string>& channelIds,
                     GuideImportReport& report);

  std::filesystem::path m_file;
  CSqliteDb m_db;
  mutable CSqliteStatement m_byTvgId, m_byName, m_fromTime;
  std::string m_error;
  bool m_stale = false;  // the file is no guide database of this version
};

// Catalogue channels have no tvg-id: they match by name.
GuideMatch MatchCatalogueChannel(const CGuideStore& store, const CChannel& channel);

}  // namespace vantrel
