// Live sources that break off in the middle of a recording, through real outages of the
// loopback server: the capture reconnects and goes on writing the same file, gives up after
// its limit, and stops promptly whatever it is waiting for.

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "tests/streamsaver/capture_fixture.h"
#include "tests/streamsaver/media_probe.h"

namespace vantrel::test {
namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// The live server sends one second at once on every connection, then keeps to real time.
constexpr double kHeadStart = 1.0;
constexpr double kTolerance = 0.5;

// Shortens one of the library's reconnect limits for the captures started while it lives.
class ScopedLimit {
 public:
  ScopedLimit(const char* name, int ms) : m_name(name) {
    setenv(name, std::to_string(ms).c_str(), 1);
  }
  ~ScopedLimit() { unsetenv(m_name); }
  ScopedLimit(const ScopedLimit&) = delete;
  ScopedLimit& operator=(const ScopedLimit&) = delete;

 private:
  const char* m_name;
};

// Waits, within `seconds`, for a capture to finish its AVI file by itself.
bool WaitForIndex(const fs::path& file, double seconds) {
  for (const Clock::time_point start = Clock::now(); SecondsSince(start) < seconds;) {
    if (HasAviIndex(file)) return true;
    SleepSeconds(0.05);
  }
  return HasAviIndex(file);
}

void ExpectPlaysThrough(const RecordedFile& file) {
  ASSERT_TRUE(file.opened);
  EXPECT_TRUE(file.readToEnd);
  EXPECT_TRUE(file.monotonic);
  EXPECT_EQ(file.decodeErrors, 0);
  EXPECT_EQ(file.codecs, (std::vector<std::string>{"h264", "aac"}));
}

using Reconnect = CaptureTest;

// Three seconds recorded, three seconds of server outage, three seconds more: each file holds
// both sides, plays through, and its clock goes on across the gap without counting it.
TEST_F(Reconnect, OutageInTheMiddleIsBridged) {
  MediaServer server;
  const std::string url = server.LiveUrl("h264_aac.ts", 6.0);
  const std::vector<fs::path> outs = {Out("gap.avi"), Out("gap.mp4")};
  const Clock::time_point startEntry = Clock::now();
  for (size_t i = 0; i < outs.size(); ++i) {
    ASSERT_EQ(StartCaptureSource(U16(url + "?take=" + std::to_string(i)).c_str(),
                                 outs[i].u16string().c_str(), nullptr), 0);
  }
  const Clock::time_point started = Clock::now();
  const int requests = server.LiveRequests();
  SleepSeconds(3.0);
  const Clock::time_point cut = Clock::now();
  server.StopListening();
  SleepSeconds(3.0);
  server.ListenAgain();
  const Clock::time_point back = Clock::now();
  SleepSeconds(3.0);
  const Clock::time_point stop = Clock::now();
  EXPECT_EQ(StopCaptureAllSources(nullptr), 0);

  EXPECT_GE(server.LiveRequests(), requests + 2);  // each capture came back
  // Recorded for sure, and at most: the captures connected somewhere inside their starts.
  const double recorded = SecondsSince(started, cut) + SecondsSince(back, stop);
  const double most = SecondsSince(startEntry, cut) + SecondsSince(back, stop);
  for (const fs::path& out : outs) {
    SCOPED_TRACE(out.string());
    const RecordedFile file = ReadRecording(out);
    ExpectPlaysThrough(file);
    EXPECT_GE(file.lastVideoTime, recorded - kTolerance);
    // The gap is closed up: at most a head start per connection beyond what was recorded.
    EXPECT_LE(file.lastVideoTime, most + 2 * kHeadStart + kTolerance);
    EXPECT_GE(file.videoFrames, static_cast<int>(recorded * 25 * 0.9));
  }
  EXPECT_TRUE(HasAviIndex(outs[0]));
}

// A source that stays away is given up after the outage limit, and the file is finished then,
// with one line naming what failed last; it stays in the table until stopped.
TEST_F(Reconnect, SourceThatNeverReturnsIsFinishedAfterLimit) {
  ScopedLimit limit("VANTREL_STREAMSAVER_OUTAGE_MS", 2000);
  MediaServer server;
  const std::u16string url = U16(server.LiveUrl("h264_aac.ts", 6.0));
  const fs::path out = Out("gone.avi");
  ASSERT_EQ(StartCaptureSource(url.c_str(), out.u16string().c_str(), nullptr), 0);
  SleepSeconds(1.5);
  StderrCapture err;
  const Clock::time_point cut = Clock::now();
  server.StopListening();
  EXPECT_TRUE(WaitForIndex(out, 30.0));
  EXPECT_GE(SecondsSince(cut), 2.0);
  const std::vector<std::string> lines = err.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0],
            "FAILED(hr=0xa0ee006f) in avformat_open_input(&pAsf, wURL, "
            "av_find_input_format(\"mpegts\"), &options)");
  const RecordedFile file = ReadRecording(out);
  ExpectPlaysThrough(file);
  EXPECT_GE(file.duration, 1.5 - kTolerance);
  EXPECT_EQ(StopCaptureSource(url.c_str(), nullptr), 0);
}

// A stop while the capture waits for its source to come back is prompt and finishes the file.
TEST_F(Reconnect, StopDuringOutageIsPrompt) {
  MediaServer server;
  const std::u16string url = U16(server.LiveUrl("h264_aac.ts", 6.0));
  const fs::path out = Out("waiting.mkv");
  ASSERT_EQ(StartCaptureSource(url.c_str(), out.u16string().c_str(), nullptr), 0);
  SleepSeconds(1.5);
  server.StopListening();
  SleepSeconds(2.5);  // inside the two-second pause before the fifth attempt
  const Clock::time_point stopEntry = Clock::now();
  EXPECT_EQ(StopCaptureSource(url.c_str(), nullptr), 0);
  EXPECT_LT(SecondsSince(stopEntry), 1.0);
  const RecordedFile file = ReadRecording(out);
  ExpectPlaysThrough(file);
  EXPECT_EQ(file.format, "matroska,webm");
  EXPECT_GE(file.duration, 1.5 - kTolerance);
}

// A server that keeps the connection but sends nothing past the stall limit is reconnected to,
// the new connection waiting out the rest of the stall.
TEST_F(Reconnect, StallPastLimitReconnects) {
  ScopedLimit limit("VANTREL_STREAMSAVER_STALL_MS", 1000);
  MediaServer server;
  const std::u16string url = U16(server.LiveUrl("h264_aac.ts", 6.0));
  const fs::path out = Out("stall.ts");
  ASSERT_EQ(StartCaptureSource(url.c_str(), out.u16string().c_str(), nullptr), 0);
  SleepSeconds(1.5);
  const int requests = server.LiveRequests();
  server.Stall(true);
  SleepSeconds(2.5);
  server.Stall(false);
  SleepSeconds(2.0);
  EXPECT_EQ(StopCaptureSource(url.c_str(), nullptr), 0);
  EXPECT_GE(server.LiveRequests(), requests + 1);
  const RecordedFile file = ReadRecording(out);
  ExpectPlaysThrough(file);
  EXPECT_EQ(file.format, "mpegts");
  EXPECT_GE(file.lastVideoTime, 3.5 - kTolerance);
}

// A live source that ends and comes back with other streams would make another file: this one
// is finished with what it had.
TEST_F(Reconnect, SourceBackWithOtherStreamsEndsTheFile) {
  fs::create_directory(Out("channel"));
  fs::copy_file(Media("h264_aac.ts"), Out("channel") / "live.ts");
  MediaServer server(Out("channel").string());
  const std::u16string url = U16(server.LiveUrl("live.ts", 6.0));
  const fs::path out = Out("changed.avi");
  ASSERT_EQ(StartCaptureSource(url.c_str(), out.u16string().c_str(), nullptr), 0);
  SleepSeconds(1.5);
  fs::copy_file(Media("mpeg2_mp2.ts"), Out("channel") / "live.ts",
                fs::copy_options::overwrite_existing);
  const int requests = server.LiveRequests();
  StderrCapture err;
  server.EndLiveStreams();
  EXPECT_TRUE(WaitForIndex(out, 30.0));
  EXPECT_EQ(err.Lines(),
            std::vector<std::string>{"FAILED(hr=0x80040218) in MatchStreams(pAsf, pOutput)"});
  EXPECT_EQ(server.LiveRequests(), requests + 1);  // one look at the new streams was enough
  ExpectPlaysThrough(ReadRecording(out));
  EXPECT_EQ(StopCaptureSource(url.c_str(), nullptr), 0);
}

}  // namespace
}  // namespace vantrel::test
