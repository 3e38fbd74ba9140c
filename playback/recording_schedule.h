#pragma once
// The recordings made besides the record button's: what each records, when it starts and
// stops, and the file that keeps the ones scheduled from the guide between runs. No Qt and no
// clock of its own: every decision takes "now" (UTC milliseconds since 1970) from the caller,
// so a whole evening's schedule can be walked through without waiting for it.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

struct PlannedRecording {
  std::u16string channel;  // the channel's name, as the list of recordings shows it
  std::u16string url;
  std::u16string file;
  std::u16string title;  // the programme's; empty for a channel recorded from its menu
  std::u16string userAgent;  // the channel's own request headers; empty: the defaults
  std::u16string referrer;
  int64_t startMs = 0;   // at once when not in the future
  int64_t stopMs = 0;    // 0: until it is stopped
  bool kept = false;     // in the schedule file until it is done (scheduled from the guide)
};

enum class RecordingPhase { kWaiting, kStarting, kRunning };

struct ScheduledRecording {
  uint64_t id = 0;
  PlannedRecording plan;
  RecordingPhase phase = RecordingPhase::kWaiting;
  int64_t startedMs = 0;  // when the capture began to run
  std::u16string file;    // what the capture writes: the plan's file, or a free name beside it
};

class CRecordingSchedule {
 public:
  // Ids start at 1 and are never reused.
  uint64_t Add(PlannedRecording plan);

  struct Due {
    std::vector<ScheduledRecording> start;   // now kStarting: their captures are to be started
    std::vector<ScheduledRecording> stop;    // removed: their captures are to be stopped
    std::vector<ScheduledRecording> missed;  // removed: their stop passed before they began
  };
  // What `now` asks for. A recording whose stop has come is stopped even while still
  // connecting (the stop then follows the start). One whose start has come waits while
  // another one captures the same address, until that one ends.
  Due Poll(int64_t now);

  void MarkRunning(uint64_t id, int64_t now);
  void SetFile(uint64_t id, std::u16string file);
  std::optional<ScheduledRecording> Remove(uint64_t id);
  const ScheduledRecording* Find(uint64_t id) const;
  const std::vector<ScheduledRecording>& Entries() const { return m_entries; }
  // The plans the schedule file holds: the kept ones, waiting or not.
  std::vector<PlannedRecording> KeptPlans() const;
  // A capture of `url` is starting or running.
  bool IsCapturing(std::u16string_view url) const;

 private:
  std::vector<ScheduledRecording> m_entries;
  uint64_t m_nextId = 1;
};

// How far before a programme's start and after its stop its recording runs: guides are rarely
// exact to the minute, and channels run late more often than early.
struct ProgrammeMargins {
  int64_t beforeMs = 60 * 1000;
  int64_t afterMs = 3 * 60 * 1000;
};
ProgrammeMargins CurrentProgrammeMargins();
// Test seam: other margins; nullopt restores the defaults.
void SetProgrammeMarginsForTesting(std::optional<ProgrammeMargins> margins);

// The schedule file, XML:
//   <recordings><recording start="ms" stop="ms" url="" file="" channel="" title=""
//                          [userAgent="" referrer=""]/>...
// Reading keeps only sound entries (a start, a stop after it and within kMaxSpanMs, an address
// and an absolute file) whose stop is after `now`, at most kMaxKept of them. Null when the text
// is no schedule at all (as opposed to one with nothing left in it).
inline constexpr size_t kMaxKept = 1000;
inline constexpr int64_t kMaxSpanMs = 48LL * 3600 * 1000;
inline constexpr uintmax_t kMaxScheduleFileBytes = 4 * 1024 * 1024;
std::string WriteSchedule(const std::vector<PlannedRecording>& plans);
std::optional<std::vector<PlannedRecording>> ParseSchedule(std::string_view utf8, int64_t now);
// Replaces the file as a whole; false when it could not be written (the old one stays).
bool SaveSchedule(const std::filesystem::path& path, const std::vector<PlannedRecording>& plans);
// A missing file is an empty schedule. A file that is no schedule (or too large to be one) is
// moved aside to "<name>.bad" rather than overwritten later, and reads as empty.
std::vector<PlannedRecording> LoadSchedule(const std::filesystem::path& path, int64_t now);

// "<channel> - <title> - <when>.mkv" for a programme's recording (Matroska carries whatever
// a channel sends); characters no file name may hold become "_", and overlong parts are cut.
std::u16string ProgrammeFileName(std::u16string_view channel, std::u16string_view title, std::u16string_view when);
// `path` when nothing is there, else the first free "<stem> (N)<ext>": a recording that resumes
// after a restart must not replace the part recorded before it.
std::filesystem::path FreeFileName(const std::filesystem::path& path);

}  // namespace vantrel
