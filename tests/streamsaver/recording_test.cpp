// Recording real streams from the loopback server through the library's exports, and reading
// the files back as a player would.

#include <chrono>
#include <filesystem>
#include <future>

#include "tests/streamsaver/capture_fixture.h"
#include "tests/streamsaver/media_probe.h"

namespace vantrel::test {
namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// The live server sends one second at once, then keeps to real time in pieces of 64 TS
// packets, so it may be up to one piece ahead.
constexpr double kLiveHeadStart = 1.0;
constexpr double kServerPieceBytes = 188 * 64;
constexpr double kTolerance = 0.5;

struct Source {
  std::string label;
  std::string url;
  fs::path out;
  std::string sourceFile;  // what the server sends, for the expected streams
  double liveSpeed;        // media seconds per second for a live stream; 0 for a file sent whole
  double loopSeconds = 0;  // the server's pacing: the source file per this many seconds
  Clock::time_point startEntry{};
  Clock::time_point startReturn{};
};

// `name` played by the server as a live stream, `loopSeconds` per pass of its `mediaSeconds`.
Source Live(MediaServer& server, const std::string& label, const std::string& name,
            double mediaSeconds, double loopSeconds, const fs::path& out) {
  return Source{label, server.LiveUrl(name, loopSeconds), out, MediaDir() + "/" + name,
                mediaSeconds / loopSeconds, loopSeconds};
}

Source Whole(const std::string& label, const std::string& url, const std::string& name,
             const fs::path& out) {
  return Source{label, url, out, MediaDir() + "/" + name, 0};
}

// Expected length of a live recording: what the server had sent between the capture's connect
// (somewhere inside its start call) and its stop.
void ExpectLiveLength(const Source& s, const RecordedFile& file, Clock::time_point stopEntry,
                      Clock::time_point stopReturn) {
  const double least = (SecondsSince(s.startReturn, stopEntry) + kLiveHeadStart) * s.liveSpeed;
  const double piece = kServerPieceBytes / (fs::file_size(s.sourceFile) / s.loopSeconds);
  const double most =
      (SecondsSince(s.startEntry, stopReturn) + kLiveHeadStart + piece) * s.liveSpeed;
  EXPECT_GE(file.duration, least - kTolerance * s.liveSpeed);
  EXPECT_LE(file.duration, most + kTolerance * s.liveSpeed);
}

void ExpectFinished(const Source& s, const RecordedFile& file) {
  EXPECT_FALSE(fs::exists(s.out.string() + ".part"));
  ASSERT_TRUE(file.opened);
  EXPECT_EQ(file.format, s.out.extension() == ".asf" ? "asf" : "avi");
  EXPECT_EQ(file.codecs, SourceCodecs(s.sourceFile));
  EXPECT_TRUE(file.monotonic);
  EXPECT_TRUE(file.readToEnd);
  if (file.format == "avi") {
    EXPECT_TRUE(HasAviIndex(s.out));
  }
}

class Recording : public CaptureTest {
 protected:
  void Start(Source& s) {
    s.startEntry = Clock::now();
    EXPECT_EQ(StartCaptureSource(U16(s.url).c_str(), s.out.u16string().c_str(), nullptr), 0)
        << s.label;
    s.startReturn = Clock::now();
  }
};

// Every kind of source the program meets, recorded at once into AVI and ASF files: each file
// holds the source's streams and lasts as long as it was recorded.
TEST_F(Recording, EachKindOfSourceKeepsItsStreamsAndLength) {
  MediaServer server;
  // An upper-case ".WMV" address: the extension test ignores letter case.
  fs::create_directory(Out("wm"));
  fs::copy_file(Media("clip.wmv"), Out("wm") / "clip.WMV");
  MediaServer wmServer(Out("wm").string());

  std::vector<Source> sources = {
      Live(server, "H.264/AAC TS to AVI", "h264_aac.ts", 6, 6, Out("h264.avi")),
      Live(server, "MPEG-2/MP2 TS to ASF", "mpeg2_mp2.ts", 6, 6, Out("mpeg2.asf")),
      Live(server, "MP3 radio to AVI", "radio.mp3", 10, 10, Out(u"радио.avi")),
      Whole("WMV file to AVI", wmServer.FileUrl("clip.WMV"), "clip.wmv", Out("clip.avi")),
      Whole("HLS playlist to AVI", server.FileUrl("hls/index.m3u8"), "hls/index.m3u8",
            Out("hls.avi")),
  };
  for (Source& s : sources) Start(s);
  SleepSeconds(2.5);
  const Clock::time_point stopEntry = Clock::now();
  EXPECT_EQ(StopCaptureAllSources(nullptr), 0);
  const Clock::time_point stopReturn = Clock::now();

  for (const Source& s : sources) {
    SCOPED_TRACE(s.label);
    const RecordedFile file = ReadRecording(s.out);
    ExpectFinished(s, file);
    if (s.liveSpeed > 0) {
      ExpectLiveLength(s, file, stopEntry, stopReturn);
    } else {
      EXPECT_NEAR(file.duration, ReadRecording(s.sourceFile).duration, kTolerance);
    }
  }
}

// A live source that loops jumps back in time at every loop; the file still goes forward.
TEST_F(Recording, LiveSourceThatJumpsBackStaysContinuous) {
  MediaServer server;
  Source s = Live(server, "looping", "h264_aac.ts", 6, 2, Out("loop.asf"));
  Start(s);
  SleepSeconds(3.0);
  const Clock::time_point stopEntry = Clock::now();
  EXPECT_EQ(StopCaptureSource(U16(s.url).c_str(), nullptr), 0);
  const RecordedFile file = ReadRecording(s.out);
  ExpectFinished(s, file);
  ExpectLiveLength(s, file, stopEntry, Clock::now());
}

// A stop while the server sends nothing does not wait for the network.
TEST_F(Recording, StopDuringStalledStreamIsPrompt) {
  MediaServer server;
  Source s = Live(server, "stalled", "h264_aac.ts", 6, 6, Out("stall.avi"));
  Start(s);
  server.Stall(true);
  SleepSeconds(1.5);  // the head start is used up; the pump waits on the socket
  const Clock::time_point stopEntry = Clock::now();
  EXPECT_EQ(StopCaptureSource(U16(s.url).c_str(), nullptr), 0);
  EXPECT_LT(SecondsSince(stopEntry), 2.0);
  ExpectFinished(s, ReadRecording(s.out));
}

// A stop-all while a start still waits for a silent server interrupts that start.
TEST_F(Recording, StopAllInterruptsStartWaitingOnNetwork) {
  MediaServer server;
  server.Stall(true);
  const std::u16string url = U16(server.LiveUrl("h264_aac.ts", 6.0));
  const std::u16string out = Out("never.avi").u16string();
  StderrCapture err;
  auto start = std::async(std::launch::async,
                          [&] { return StartCaptureSource(url.c_str(), out.c_str(), nullptr); });
  SleepSeconds(1.0);
  const Clock::time_point stopEntry = Clock::now();
  EXPECT_EQ(StopCaptureAllSources(nullptr), 1);
  EXPECT_LT(SecondsSince(stopEntry), 2.0);
  EXPECT_EQ(start.get(), STREAMSAVER_E_ABORT);
  EXPECT_EQ(err.Lines(), std::vector<std::string>{
                             "FAILED(hr=0x80004004) in avformat_open_input(&pAsf, wURL, NULL, "
                             "&options)"});
  EXPECT_FALSE(fs::exists(Out("never.avi")));
  EXPECT_FALSE(fs::exists(Out("never.avi.part")));
  EXPECT_EQ(StopCaptureSource(url.c_str(), nullptr), 1);
}

}  // namespace
}  // namespace vantrel::test
