// The plan of timed and scheduled recordings, walked through with a clock of the test's own,
// and the schedule file that keeps the guide's recordings between runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/text_codec.h"
#include "playback/recording_schedule.h"

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

constexpr int64_t kMinute = 60 * 1000;
constexpr int64_t kEvening = 1'800'000'000'000;  // some moment in 2027

PlannedRecording Plan(std::u16string channel, int64_t start, int64_t stop, bool kept = true) {
  PlannedRecording plan;
  plan.channel = channel;
  plan.url = u"http://127.0.0.1:1/" + channel;
  plan.file = u"/tmp/" + channel + u".mkv";
  plan.title = u"Новости";
  plan.startMs = start;
  plan.stopMs = stop;
  plan.kept = kept;
  return plan;
}

std::vector<std::u16string> Channels(const std::vector<ScheduledRecording>& list) {
  std::vector<std::u16string> names;
  for (const ScheduledRecording& entry : list) names.push_back(entry.plan.channel);
  return names;
}

class TempFolder {
 public:
  TempFolder() {
    m_path = fs::temp_directory_path() / ("vantrel-schedule-" + std::to_string(::getpid()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_path);
    fs::create_directories(m_path);
  }
  ~TempFolder() { fs::remove_all(m_path); }
  const fs::path& Path() const { return m_path; }

 private:
  fs::path m_path;
};

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

// An evening: one channel recorded at once for 30 minutes, one until stopped, two programmes
// later on, one of which the machine slept through. Each starts and stops exactly once.
TEST(RecordingSchedule, EveningWalkThrough) {
  CRecordingSchedule schedule;
  const uint64_t now30 = schedule.Add(Plan(u"A", kEvening, kEvening + 30 * kMinute, false));
  const uint64_t open = schedule.Add(Plan(u"B", kEvening, 0, false));
  const uint64_t later = schedule.Add(Plan(u"C", kEvening + 60 * kMinute, kEvening + 90 * kMinute));
  schedule.Add(Plan(u"D", kEvening + 100 * kMinute, kEvening + 110 * kMinute));
  EXPECT_LT(now30, open);
  EXPECT_LT(open, later);

  CRecordingSchedule::Due due = schedule.Poll(kEvening);
  EXPECT_EQ(Channels(due.start), (std::vector<std::u16string>{u"A", u"B"}));
  EXPECT_TRUE(due.stop.empty() && due.missed.empty());
  EXPECT_TRUE(schedule.IsCapturing(u"http://127.0.0.1:1/A"));
  EXPECT_FALSE(schedule.IsCapturing(u"http://127.0.0.1:1/C"));  // waiting is not capturing
  schedule.MarkRunning(now30, kEvening + 1000);
  EXPECT_EQ(schedule.Find(now30)->phase, RecordingPhase::kRunning);
  EXPECT_EQ(schedule.Find(now30)->startedMs, kEvening + 1000);
  EXPECT_EQ(schedule.Find(open)->phase, RecordingPhase::kStarting);

  // Nothing is started twice.
  due = schedule.Poll(kEvening + kMinute);
  EXPECT_TRUE(due.start.empty() && due.stop.empty() && due.missed.empty());

  // The timed one ends; "B" is still connecting and stays (it has no stop).
  due = schedule.Poll(kEvening + 30 * kMinute);
  EXPECT_EQ(Channels(due.stop), std::vector<std::u16string>{u"A"});
  EXPECT_EQ(schedule.Find(now30), nullptr);

  due = schedule.Poll(kEvening + 59 * kMinute);
  EXPECT_TRUE(due.start.empty());
  due = schedule.Poll(kEvening + 60 * kMinute);
  EXPECT_EQ(Channels(due.start), std::vector<std::u16string>{u"C"});
  EXPECT_EQ(schedule.KeptPlans().size(), 2u);

  // Asleep from 80 to 120 minutes: C, still connecting, is stopped; D was never begun.
  due = schedule.Poll(kEvening + 120 * kMinute);
  EXPECT_EQ(Channels(due.stop), std::vector<std::u16string>{u"C"});
  EXPECT_EQ(Channels(due.missed), std::vector<std::u16string>{u"D"});
  EXPECT_TRUE(schedule.KeptPlans().empty());

  // Stopping by hand removes it once; its id is not found again.
  ASSERT_TRUE(schedule.Remove(open).has_value());
  EXPECT_FALSE(schedule.Remove(open).has_value());
  EXPECT_TRUE(schedule.Entries().empty());
  schedule.MarkRunning(open, kEvening);  // late news of a removed one changes nothing
  EXPECT_TRUE(schedule.Entries().empty());
}

// Two programmes of one channel back to back: with the margins they overlap, and the library
// records an address once. The second starts as the first ends, in the same look at the
// schedule, with the stop asked for before the start; another channel is not held up.
TEST(RecordingSchedule, BackToBackProgrammesOfOneChannel) {
  CRecordingSchedule schedule;
  schedule.Add(Plan(u"A", kEvening - kMinute, kEvening + 63 * kMinute));
  PlannedRecording next = Plan(u"A", kEvening + 59 * kMinute, kEvening + 123 * kMinute);
  next.title = u"Фильм";
  const uint64_t second = schedule.Add(next);
  schedule.Add(Plan(u"B", kEvening + 59 * kMinute, kEvening + 90 * kMinute));

  EXPECT_EQ(Channels(schedule.Poll(kEvening).start), std::vector<std::u16string>{u"A"});
  CRecordingSchedule::Due due = schedule.Poll(kEvening + 59 * kMinute);
  EXPECT_EQ(Channels(due.start), std::vector<std::u16string>{u"B"});
  EXPECT_EQ(schedule.Find(second)->phase, RecordingPhase::kWaiting);

  due = schedule.Poll(kEvening + 63 * kMinute);
  ASSERT_EQ(due.stop.size(), 1u);
  EXPECT_EQ(due.stop.front().plan.title, u"Новости");
  ASSERT_EQ(due.start.size(), 1u);
  EXPECT_EQ(due.start.front().id, second);
  EXPECT_EQ(due.start.front().file, next.file);
  EXPECT_TRUE(due.missed.empty());
}

// Written and read back: names with markup, quotes, Cyrillic and line breaks survive; only
// what is still to come is read; only kept plans are written by the schedule's callers.
TEST(RecordingScheduleFile, RoundTripKeepsWhatIsToCome) {
  std::vector<PlannedRecording> plans = {Plan(u"Первый <канал> & \"друзья\"", kEvening, kEvening + kMinute),
                                         Plan(u"Past", kEvening - 10 * kMinute, kEvening - kMinute),
                                         Plan(u"Running", kEvening - kMinute, kEvening + 10 * kMinute)};
  plans[0].title = u"Вечер\nс 'гостями'\t!";
  plans[2].title = u"Титр\x01\x1f";  // no place in XML: written as blanks, the file stays readable
  plans[0].url = u"http://127.0.0.1:1/a?b=1&c=\"2\"";
  // A playlist channel's own headers go with it to the next run.
  plans[0].userAgent = u"Box/1.0 (Linux)";
  plans[0].referrer = u"http://portal.example/tv";
  const std::string text = WriteSchedule(plans);
  const std::optional<std::vector<PlannedRecording>> read = ParseSchedule(text, kEvening);
  ASSERT_TRUE(read.has_value());
  ASSERT_EQ(read->size(), 2u);
  EXPECT_EQ((*read)[0].channel, plans[0].channel);
  EXPECT_EQ((*read)[0].title, plans[0].title);
  EXPECT_EQ((*read)[0].url, plans[0].url);
  EXPECT_EQ((*read)[0].file, plans[0].file);
  EXPECT_EQ((*read)[0].userAgent, plans[0].userAgent);
  EXPECT_EQ((*read)[0].referrer, plans[0].referrer);
  EXPECT_TRUE((*read)[1].userAgent.empty());
  EXPECT_EQ((*read)[0].startMs, kEvening);
  EXPECT_EQ((*read)[0].stopMs, kEvening + kMinute);
  EXPECT_TRUE((*read)[0].kept);
  // Begun before the restart: it starts again at once, for what is left.
  EXPECT_EQ((*read)[1].channel, u"Running");
  EXPECT_EQ((*read)[1].title, u"Титр  ");
  CRecordingSchedule schedule;
  for (const PlannedRecording& plan : *read) schedule.Add(plan);
  EXPECT_EQ(Channels(schedule.Poll(kEvening).start), (std::vector<std::u16string>{plans[0].channel, u"Running"}));
}

// Entries that make no sense are left out one by one; text that is no schedule is refused as a
// whole; a file of endless entries is cut at the bound.
TEST(RecordingScheduleFile, BadInputIsLeftOut) {
  const std::string bad =
      "<recordings>"
      "<recording start='100' stop='50' url='u' file='/f'/>"
      "<recording start='100' stop='" + std::to_string(100 + kMaxSpanMs + 1) + "' url='u' file='/f'/>"
      "<recording start='-5' stop='50' url='u' file='/f'/>"
      "<recording start='1x' stop='50' url='u' file='/f'/>"
      "<recording start='' stop='50' url='u' file='/f'/>"
      "<recording start='100' stop='99999999999999999999999' url='u' file='/f'/>"
      "<recording start='100' stop='200' file='/f'/>"
      "<recording start='100' stop='200' url='u' file='relative.mkv'/>"
      "<recording start='100' stop='200' url='u'/>"
      "<other start='100' stop='200' url='u' file='/f'/>"
      "<recording start='100' stop='200' url='u' file='/good'/>"
      "</recordings>";
  const auto read = ParseSchedule(bad, 0);
  ASSERT_TRUE(read.has_value());
  ASSERT_EQ(read->size(), 1u);
  EXPECT_EQ(read->front().file, u"/good");

  for (const char* text : {"", "<recordings>", "<channels/>", "\xff\xfe<", "plain text"})
    EXPECT_FALSE(ParseSchedule(text, 0).has_value()) << text;
  EXPECT_TRUE(ParseSchedule("<recordings/>", 0).has_value());

  std::string many = "<recordings>";
  for (size_t i = 0; i < kMaxKept + 5; ++i) many += "<recording start='100' stop='200' url='u' file='/f'/>";
  many += "</recordings>";
  EXPECT_EQ(ParseSchedule(many, 0)->size(), kMaxKept);
}

// A missing file is an empty schedule; a damaged one is moved aside, never overwritten, and a
// save replaces the file whole.
TEST(RecordingScheduleFile, LoadAndSave) {
  TempFolder folder;
  const fs::path file = folder.Path() / "sub" / "recordings.xml";
  EXPECT_TRUE(LoadSchedule(file, kEvening).empty());

  ASSERT_TRUE(SaveSchedule(file, {Plan(u"A", kEvening, kEvening + kMinute)}));
  EXPECT_EQ(LoadSchedule(file, kEvening).size(), 1u);
  EXPECT_TRUE(LoadSchedule(file, kEvening + kMinute).empty());  // ended meanwhile
  ASSERT_TRUE(SaveSchedule(file, {}));
  EXPECT_TRUE(LoadSchedule(file, kEvening).empty());
  EXPECT_TRUE(fs::exists(file));

  { std::ofstream(file, std::ios::binary) << "<recordings><recording"; }
  EXPECT_TRUE(LoadSchedule(file, kEvening).empty());
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(ReadAll(file.string() + ".bad"), "<recordings><recording");
}

// A programme's file name holds nothing a file system refuses, stays short, and a name in use
// gets a number rather than being replaced.
TEST(RecordingFileNames, ProgrammeNamesAndFreeNames) {
  EXPECT_EQ(ProgrammeFileName(u"Первый", u"Новости", u"2027-01-15 21.00"), u"Первый - Новости - 2027-01-15 21.00.mkv");
  EXPECT_EQ(ProgrammeFileName(u"../A/B", u"x:y*z?\"<>|\n", u""), u"_A_B - x_y_z______.mkv");
  EXPECT_EQ(ProgrammeFileName(u"", u"", u""), u"Vantrel.mkv");
  const std::u16string longName = ProgrammeFileName(std::u16string(500, u'Щ'), std::u16string(500, u'Ж'), u"w");
  EXPECT_LT(Utf16ToUtf8(longName).size(), 255u);
  // A cut never splits a character made of two code units.
  std::u16string pairs;
  for (int i = 0; i < 100; ++i) pairs += u"\U0001F3A5";
  const std::u16string cut = ProgrammeFileName(pairs, u"", u"");
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(cut)), cut);

  TempFolder folder;
  const fs::path first = folder.Path() / "Канал - Фильм.mkv";
  EXPECT_EQ(FreeFileName(first), first);
  { std::ofstream(first) << "x"; }
  const fs::path second = FreeFileName(first);
  EXPECT_EQ(second, folder.Path() / "Канал - Фильм (2).mkv");
  { std::ofstream(second) << "x"; }
  EXPECT_EQ(FreeFileName(first), folder.Path() / "Канал - Фильм (3).mkv");
}
