// The output name chooses the container: each one recorded from the loopback server and read
// back, a fragmented MP4 cut off by a killed process, and streams a container cannot carry.

#include <csignal>
#include <filesystem>

#include <spawn.h>
#include <sys/wait.h>

#include "tests/streamsaver/capture_fixture.h"
#include "tests/streamsaver/media_probe.h"

extern char** environ;

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

using Containers = CaptureTest;

// Every container from live channels at once: the demuxer a player picks, the source's
// streams, and pictures that decode.
TEST_F(Containers, EachNameGetsItsContainer) {
  struct Case {
    std::string source;
    std::string name;
    std::string format;
  };
  const std::vector<Case> cases = {
      {"h264_aac.ts", "a.mkv", "matroska,webm"},
      {"h264_aac.ts", "b.TS", "mpegts"},
      {"h264_aac.ts", "c.mp4", "mov,mp4,m4a,3gp,3g2,mj2"},
      {"radio.mp3", "d.mp4", "mov,mp4,m4a,3gp,3g2,mj2"},
      {"mpeg2_mp2.ts", "e.wmv", "asf"},
      {"radio.mp3", "f.wma", "asf"},
      {"h264_aac.ts", "g.rec", "avi"},
  };
  MediaServer server;
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::string url = server.LiveUrl(cases[i].source, 6.0) + "?n=" + std::to_string(i);
    const std::u16string out = Out(cases[i].name).u16string();
    ASSERT_EQ(StartCaptureSource(U16(url).c_str(), out.c_str(), nullptr), 0) << cases[i].name;
  }
  SleepSeconds(2.5);
  EXPECT_EQ(StopCaptureAllSources(nullptr), 0);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RecordedFile file = ReadRecording(Out(c.name));
    ASSERT_TRUE(file.opened);
    EXPECT_EQ(file.format, c.format);
    EXPECT_EQ(file.codecs, SourceCodecs(Media(c.source)));
    EXPECT_TRUE(file.readToEnd);
    EXPECT_TRUE(file.monotonic);
    EXPECT_GE(file.duration, 2.0);
    EXPECT_EQ(file.decodeErrors, 0);
    if (c.source != "radio.mp3") {
      EXPECT_GE(file.videoFrames, 50);
    }
  }
}

// A recording process killed outright leaves an MP4 that plays up to its last fragment.
TEST_F(Containers, CutOffFragmentedMp4StaysReadable) {
  MediaServer server;
  const std::string url = server.LiveUrl("h264_aac.ts", 6.0);
  const fs::path out = Out("killed.mp4");
  const std::string probe = STREAMSAVER_EXIT_PROBE;
  std::vector<std::string> args = {probe, url, out.string(), "60"};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, probe.c_str(), &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  SleepSeconds(3.5);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));

  const RecordedFile file = ReadRecording(out);
  ASSERT_TRUE(file.opened);
  EXPECT_EQ(file.format, "mov,mp4,m4a,3gp,3g2,mj2");
  EXPECT_TRUE(file.readToEnd);
  EXPECT_TRUE(file.monotonic);
  EXPECT_EQ(file.decodeErrors, 0);
  EXPECT_GE(file.lastVideoTime, 2.0);
}

// A stream the chosen container cannot carry fails the start with its own code and one line,
// and leaves no file; the same streams go into a container that carries them.
TEST_F(Containers, StreamTheContainerCannotCarryIsRefused) {
  struct Case {
    std::string source;
    std::string name;
    std::string line;
  };
  const std::vector<Case> refused = {
      {"hevc.ts", "hevc.avi",
       "FAILED(hr=0x80040218) in avformat_query_codec(avi, hevc, FF_COMPLIANCE_NORMAL)"},
      {"clip.wmv", "wmv.ts", "FAILED(hr=0x80040218) in Carries(mpegts, wmv2)"},
      {"clip.wmv", "wmv.mp4",
       "FAILED(hr=0x80040218) in avformat_query_codec(mp4, wmv2, FF_COMPLIANCE_NORMAL)"},
  };
  MediaServer server;
  for (const Case& c : refused) {
    SCOPED_TRACE(c.name);
    const std::u16string url = U16(server.FileUrl(c.source));
    StderrCapture err;
    EXPECT_EQ(StartCaptureSource(url.c_str(), Out(c.name).u16string().c_str(), nullptr),
              STREAMSAVER_E_CANNOT_RENDER);
    EXPECT_EQ(err.Lines(), std::vector<std::string>{c.line});
    EXPECT_EQ(StopCaptureSource(url.c_str(), nullptr), 1);
  }
  EXPECT_TRUE(fs::is_empty(m_dir));

  for (const std::string source : {"hevc.ts", "opus.ts"}) {
    SCOPED_TRACE(source);
    const std::u16string url = U16(server.FileUrl(source));
    const fs::path out = Out(source + ".mkv");
    ASSERT_EQ(StartCaptureSource(url.c_str(), out.u16string().c_str(), nullptr), 0);
    SleepSeconds(1.0);  // served whole, it is recorded to its end by then
    EXPECT_EQ(StopCaptureSource(url.c_str(), nullptr), 0);
    const RecordedFile file = ReadRecording(out);
    EXPECT_TRUE(file.readToEnd);
    EXPECT_EQ(file.codecs, SourceCodecs(Media(source)));
    EXPECT_NEAR(file.duration, ReadRecording(Media(source)).duration, 0.5);
  }
}

}  // namespace
}  // namespace vantrel::test
