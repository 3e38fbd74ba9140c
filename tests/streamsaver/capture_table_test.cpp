// The capture table through the exports: exact addresses as keys, the 1/0 answers, the time
// argument, and failed starts that leave nothing behind.

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "tests/streamsaver/capture_fixture.h"
#include "tests/streamsaver/media_probe.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

CaptureTime Untouched() {
  CaptureTime t;
  std::memset(&t, 0xAB, sizeof t);
  return t;
}

bool IsUntouched(const CaptureTime& t) {
  const CaptureTime fresh = Untouched();
  return std::memcmp(&t, &fresh, sizeof t) == 0;
}

bool IsLocalTime(const CaptureTime& t) {
  return t.wYear >= 2024 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 && t.wDay <= 31 &&
         t.wDayOfWeek <= 6 && t.wHour <= 23 && t.wMinute <= 59 && t.wSecond <= 60 &&
         t.wMilliseconds <= 999;
}

using CaptureTable = CaptureTest;

// One capture per exact address: a second start is refused with 1, another letter case is
// another capture, unknown stops and an empty stop-all answer 1, and stop-all makes room.
TEST_F(CaptureTable, KeysOnExactAddress) {
  MediaServer server;
  const std::u16string url = U16(server.LiveUrl("h264_aac.ts", 6.0) + "?take=a");
  const std::u16string otherCase = U16(server.LiveUrl("h264_aac.ts", 6.0) + "?take=A");
  const std::u16string first = Out("first.avi").u16string();
  const std::u16string second = Out("second.avi").u16string();

  CaptureTime started = Untouched();
  ASSERT_EQ(StartCaptureSource(url.c_str(), first.c_str(), &started), 0);
  EXPECT_TRUE(IsLocalTime(started));

  CaptureTime refused = Untouched();
  EXPECT_EQ(StartCaptureSource(url.c_str(), second.c_str(), &refused), 1);
  EXPECT_TRUE(IsUntouched(refused));
  EXPECT_FALSE(fs::exists(second));
  EXPECT_FALSE(fs::exists(second + u".part"));
  // The table is looked up before the output path is checked.
  EXPECT_EQ(StartCaptureSource(url.c_str(), nullptr, nullptr), 1);

  EXPECT_EQ(StartCaptureSource(otherCase.c_str(), second.c_str(), nullptr), 0);

  CaptureTime notStopped = Untouched();
  EXPECT_EQ(StopCaptureSource(u"http://127.0.0.1:9/none.ts", &notStopped), 1);
  EXPECT_TRUE(IsUntouched(notStopped));

  CaptureTime stopped = Untouched();
  EXPECT_EQ(StopCaptureSource(url.c_str(), &stopped), 0);
  EXPECT_TRUE(IsLocalTime(stopped));
  EXPECT_EQ(StopCaptureSource(url.c_str(), nullptr), 1);

  CaptureTime all = Untouched();
  EXPECT_EQ(StopCaptureAllSources(&all), 0);  // the other-case capture was still running
  EXPECT_TRUE(IsLocalTime(all));
  CaptureTime none = Untouched();
  EXPECT_EQ(StopCaptureAllSources(&none), 1);
  EXPECT_TRUE(IsUntouched(none));

  const std::u16string again = Out("again.avi").u16string();
  EXPECT_EQ(StartCaptureSource(url.c_str(), again.c_str(), nullptr), 0);
  EXPECT_EQ(StopCaptureAllSources(nullptr), 0);

  for (const fs::path& file : {fs::path(first), fs::path(second), fs::path(again)}) {
    SCOPED_TRACE(file.string());
    EXPECT_TRUE(ReadRecording(file).opened);
    EXPECT_TRUE(HasAviIndex(file));
  }
}

// Null names are refused before anything is built and without a line on standard error.
TEST_F(CaptureTable, NullNamesAreRefused) {
  StderrCapture err;
  EXPECT_EQ(StartCaptureSource(u"http://127.0.0.1:9/a.ts", nullptr, nullptr),
            STREAMSAVER_E_POINTER);
  EXPECT_EQ(StartCaptureSource(nullptr, Out("a.avi").u16string().c_str(), nullptr),
            STREAMSAVER_E_POINTER);
  EXPECT_EQ(StopCaptureSource(nullptr, nullptr), 1);
  EXPECT_TRUE(err.Lines().empty());
  EXPECT_EQ(StopCaptureSource(u"http://127.0.0.1:9/a.ts", nullptr), 1);
  EXPECT_TRUE(fs::is_empty(m_dir));
}

// A server that is not there: a negative code naming the refusal, one line naming the call.
TEST_F(CaptureTable, UnreachableSourceFailsWithOneLine) {
  int port = 0;
  {
    MediaServer gone;
    port = gone.Port();
  }
  const std::u16string url = U16("http://127.0.0.1:" + std::to_string(port) + "/live/a.ts");
  StderrCapture err;
  EXPECT_EQ(StartCaptureSource(url.c_str(), Out("a.avi").u16string().c_str(), nullptr),
            STREAMSAVER_E_ERRNO(ECONNREFUSED));
  const std::vector<std::string> lines = err.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "FAILED(hr=0xa0ee006f) in avformat_open_input(&pAsf, wURL, NULL, &options)");
  EXPECT_EQ(StopCaptureSource(url.c_str(), nullptr), 1);
  EXPECT_TRUE(fs::is_empty(m_dir));
}

// A stream the container cannot hold fails the start after the file was opened: the file
// already at that name is left as it was and no part file stays behind.
TEST_F(CaptureTable, StreamTheContainerCannotHoldLeavesExistingFileAlone) {
  MediaServer server;
  const std::u16string url = U16(server.FileUrl("opus.ts"));
  const fs::path out = Out("kept.avi");
  { std::ofstream(out) << "an earlier recording"; }

  StderrCapture err;
  EXPECT_EQ(StartCaptureSource(url.c_str(), out.u16string().c_str(), nullptr),
            STREAMSAVER_E_CANNOT_RENDER);
  const std::vector<std::string> lines = err.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "FAILED(hr=0x80040218) in avformat_query_codec(avi, opus, FF_COMPLIANCE_NORMAL)");
  EXPECT_EQ(ReadFile(out), "an earlier recording");
  EXPECT_FALSE(fs::exists(out.string() + ".part"));
  EXPECT_EQ(StopCaptureSource(url.c_str(), nullptr), 1);
}

// A long tokenised address is recorded into a path deeper than the old Windows limits, and the
// table keys it by the whole address, not a cut of it.
TEST_F(CaptureTable, LongAddressIntoDeepPath) {
  MediaServer server;
  std::string token;
  while (token.size() < 5200) token += "sig" + std::to_string(token.size()) + "-";
  const std::u16string url = U16(server.LiveUrl("h264_aac.ts", 6.0) + "?token=" + token);
  ASSERT_GT(url.size(), 5000u);
  const fs::path folder = m_dir / std::string(120, 'a') / std::string(120, 'b');
  fs::create_directories(folder);
  const fs::path out = folder / (std::string(60, 'c') + ".avi");
  ASSERT_GT(out.u16string().size(), 259u);

  ASSERT_EQ(StartCaptureSource(url.c_str(), out.u16string().c_str(), nullptr), 0);
  SleepSeconds(1.0);
  const std::u16string cut = url.substr(0, 2599);
  EXPECT_EQ(StopCaptureSource(cut.c_str(), nullptr), 1);
  EXPECT_EQ(StartCaptureSource(url.c_str(), out.u16string().c_str(), nullptr), 1);
  EXPECT_EQ(StopCaptureSource(url.c_str(), nullptr), 0);
  const RecordedFile file = ReadRecording(out);
  EXPECT_TRUE(file.readToEnd);
  EXPECT_GT(file.videoFrames, 10);
  EXPECT_EQ(file.decodeErrors, 0);
}

// A process that ends with a capture still running leaves a finished file.
TEST_F(CaptureTable, ProcessExitFinishesRunningCaptures) {
  MediaServer server;
  const std::string url = server.LiveUrl("h264_aac.ts", 6.0);
  const fs::path out = Out("exit.avi");
  const std::string command = std::string(STREAMSAVER_EXIT_PROBE) + " '" + url + "' '" +
                              out.string() + "' 1.5 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_TRUE(HasAviIndex(out));
  const RecordedFile file = ReadRecording(out);
  EXPECT_TRUE(file.readToEnd);
  EXPECT_GT(file.duration, 1.5);
}

}  // namespace
}  // namespace vantrel::test
