// A recording that carries a channel's user agent and referrer: the loopback server sees them
// with every request of the capture, reconnects included, and sees FFmpeg's defaults without.

#include <algorithm>

#include "tests/streamsaver/capture_fixture.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

constexpr char16_t kAgent[] = u"ProviderBox/2.1 (Линия)";
constexpr char kAgentUtf8[] = "ProviderBox/2.1 (\xD0\x9B\xD0\xB8\xD0\xBD\xD0\xB8\xD1\x8F)";
constexpr char16_t kReferrer[] = u"http://portal.example/watch?id=7";
constexpr char kReferrerUtf8[] = "http://portal.example/watch?id=7";

std::vector<MediaServer::SeenRequest> RequestsFor(const MediaServer& server, const std::string& path) {
  std::vector<MediaServer::SeenRequest> seen;
  for (const MediaServer::SeenRequest& request : server.Requests()) {
    if (request.path == path) seen.push_back(request);
  }
  return seen;
}

bool WaitForRequests(const MediaServer& server, const std::string& path, size_t count) {
  for (int i = 0; i < 400; ++i) {
    if (RequestsFor(server, path).size() >= count) return true;
    SleepSeconds(0.05);
  }
  return false;
}

using CaptureHeaders = CaptureTest;

// Every request of the capture, the one after the server dropped it included, carries both.
TEST_F(CaptureHeaders, SentWithEveryRequestAndKeptForReconnects) {
  MediaServer server;
  const std::string url = server.LiveUrl("h264_aac.ts", 6.0);
  const fs::path out = Out("headers.ts");
  ASSERT_EQ(StartCaptureSourceWithHeaders(U16(url).c_str(), out.u16string().c_str(), kAgent, kReferrer, nullptr), 0);
  const size_t before = RequestsFor(server, "/live/h264_aac.ts").size();
  ASSERT_GE(before, 1u);
  SleepSeconds(0.5);
  server.DropLiveConnections();
  ASSERT_TRUE(WaitForRequests(server, "/live/h264_aac.ts", before + 1));
  EXPECT_EQ(StopCaptureSource(U16(url).c_str(), nullptr), 0);
  for (const MediaServer::SeenRequest& request : RequestsFor(server, "/live/h264_aac.ts")) {
    EXPECT_EQ(request.userAgent, kAgentUtf8);
    EXPECT_TRUE(request.hasReferrer);
    EXPECT_EQ(request.referrer, kReferrerUtf8);
  }
  EXPECT_GT(fs::file_size(out), 0u);
}

// Null and empty strings send nothing of their own: FFmpeg's user agent, no referrer, as
// StartCaptureSource does.
TEST_F(CaptureHeaders, NullOrEmptySendTheDefaults) {
  MediaServer server;
  const std::string plain = server.LiveUrl("mpeg2_mp2.ts", 6.0);
  const std::string blank = server.LiveUrl("h264_aac.ts", 6.0);
  ASSERT_EQ(StartCaptureSource(U16(plain).c_str(), Out("plain.ts").u16string().c_str(), nullptr), 0);
  ASSERT_EQ(StartCaptureSourceWithHeaders(U16(blank).c_str(), Out("blank.ts").u16string().c_str(), u"", nullptr,
                                          nullptr),
            0);
  EXPECT_EQ(StopCaptureAllSources(nullptr), 0);
  const auto plainSeen = RequestsFor(server, "/live/mpeg2_mp2.ts");
  const auto blankSeen = RequestsFor(server, "/live/h264_aac.ts");
  ASSERT_FALSE(plainSeen.empty());
  ASSERT_FALSE(blankSeen.empty());
  EXPECT_EQ(plainSeen.front().userAgent.rfind("Lavf", 0), 0u) << plainSeen.front().userAgent;
  for (const auto& request : blankSeen) {
    EXPECT_EQ(request.userAgent, plainSeen.front().userAgent);
    EXPECT_FALSE(request.hasReferrer);
  }
}

// A value with a line break would add a header of the sender's choosing: refused before
// anything is connected, with its one line, and the table stays empty.
TEST_F(CaptureHeaders, ControlCharactersAreRefused) {
  MediaServer server;
  const std::string url = server.LiveUrl("h264_aac.ts", 6.0);
  StderrCapture errors;
  EXPECT_EQ(StartCaptureSourceWithHeaders(U16(url).c_str(), Out("bad.ts").u16string().c_str(), u"Agent",
                                          u"http://a/\r\nX-Injected: 1", nullptr),
            STREAMSAVER_E_INVALIDARG);
  EXPECT_EQ(StartCaptureSourceWithHeaders(U16(url).c_str(), Out("bad.ts").u16string().c_str(), u"Agent\n", nullptr,
                                          nullptr),
            STREAMSAVER_E_INVALIDARG);
  const std::vector<std::string> lines = errors.Lines();
  EXPECT_EQ(lines, std::vector<std::string>(2, "FAILED(hr=0x80070057) in HeaderValue(userAgent, referrer)"));
  EXPECT_TRUE(server.Requests().empty());
  EXPECT_FALSE(fs::exists(Out("bad.ts")));
  EXPECT_EQ(StopCaptureAllSources(nullptr), STREAMSAVER_S_FALSE);
}

}  // namespace
}  // namespace vantrel::test
