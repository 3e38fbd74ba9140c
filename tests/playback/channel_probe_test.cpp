// The channel check's probes against real loopback servers: what counts as a stream, each
// reason a channel is unreachable, the channel's own headers, and the bounds of a run (probes
// open at once, cancelling without waiting for silent servers).
#include "playback/channel_probe_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>

#include "tests/support/media_server.h"
#include "tests/support/probe_server.h"
#include "tools/server/update_server.h"

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using test::ProbeServer;

std::string TransportPackets(int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes += '\x47' + std::string(187, '\x11');
  return bytes;
}

// Probes every target and returns their results in the targets' order.
std::vector<ProbeResult> ProbeAll(const std::vector<ProbeTarget>& targets, ProbeOptions options = {8, 2000ms}) {
  options.parallel = 8;
  std::vector<ProbeResult> results(targets.size(), ProbeResult{ProbeOutcome::kNotChecked, -1});
  std::promise<bool> finished;
  {
    CChannelProbeRun run(targets, options, [&](std::size_t i, const ProbeResult& r) { results[i] = r; },
                         [&](bool cancelled) { finished.set_value(cancelled); });
    EXPECT_FALSE(finished.get_future().get());
  }
  return results;
}

std::vector<ProbeTarget> Targets(const std::vector<std::string>& addresses) {
  std::vector<ProbeTarget> targets;
  for (const std::string& address : addresses) targets.push_back({address, "", ""});
  return targets;
}

TEST(ChannelProbe, JudgesStreamsByBytesAndType) {
  struct Case {
    const char* type;
    std::string bytes;
    bool icy;
    bool media;
  };
  const Case cases[] = {
      {"", TransportPackets(3), false, true},
      {"application/octet-stream", TransportPackets(1), false, true},
      {"application/octet-stream", "\x47" + std::string(187, 'x') + "y", false, false},  // no second sync
      {"", std::string(4, '\0') + '\x47' + std::string(191, 'x') + '\x47', false, true},   // 192-byte packets
      {"text/plain", "\xEF\xBB\xBF\r\n#EXTM3U\n#EXT-X-VERSION:3\n", false, true},
      {"", "[playlist]\nFile1=http://x/\n", false, true},
      {"", std::string("\xFF\xF1\x50\x80", 4), false, true},  // ADTS
      {"", std::string("\xFF\xFB\x90\x00", 4), false, true},  // MP3 frame
      {"", "ID3\x04", false, true},
      {"", "FLV\x01\x05", false, true},
      {"", "OggS\0", false, true},
      {"", "\x1A\x45\xDF\xA3\x01", false, true},
      {"", std::string("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9", 10), false, true},
      {"", std::string("\0\0\0\x20" "ftypisom", 12), false, true},
      {"audio/aac", "\x12\x34\x56", false, true},               // no signature: the type says
      {"Video/MP2T; charset=x", "\x12\x34", false, true},
      {"", "\x12\x34\x56", true, true},                        // an ICY answer
      {"video/mp2t", "<!DOCTYPE html><html>", false, false},  // a page whatever it claims
      {"audio/mpeg", "  <html><body>gone", true, false},
      {"text/html", "<html><body>Not here</body></html>", false, false},
      {"application/octet-stream", "PK\x03\x04zip", false, false},
      {"video/mp2t", "", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LooksLikeMedia(c.type, c.bytes, c.icy), c.media) << c.type << " / " << c.bytes.substr(0, 12);
  }
  EXPECT_EQ(ProbeKindOf("HTTPS://x/"), ProbeKind::kHttp);
  EXPECT_EQ(ProbeKindOf("rtsp://x/a"), ProbeKind::kConnect);
  EXPECT_EQ(ProbeKindOf("mms://x/a"), ProbeKind::kConnect);
  EXPECT_EQ(ProbeKindOf("udp://@239.0.0.1:1234"), ProbeKind::kNone);
  EXPECT_EQ(ProbeKindOf("/home/user/film.ts"), ProbeKind::kNone);
}

// Real streams of the media server, and scripted answers for each way a channel fails.
TEST(ChannelProbe, ReachableAndEachReason) {
  test::MediaServer media;
  ProbeServer server;
  server.Answer("/ts", ProbeServer::Http("200 OK", "application/octet-stream", TransportPackets(20)));
  server.Answer("/icy", "ICY 200 OK\r\nicy-name: Radio\r\nicy-metaint: 16000\r\n\r\n" + std::string(2000, '\x55'));
  server.Answer("/moved", "HTTP/1.0 302 Found\r\nLocation: /ts\r\n\r\n");
  server.Answer("/short", ProbeServer::Http("200 OK", "video/mp2t", TransportPackets(2)));
  server.Answer("/missing", ProbeServer::Http("404 Not Found", "text/html", "<html>no</html>"));
  server.Answer("/forbidden", ProbeServer::Http("403 Forbidden", "text/plain", ""));
  server.Answer("/page", ProbeServer::Http("200 OK", "text/html", "<!doctype html><html><body>Stream moved</body></html>"));
  server.Answer("/empty", ProbeServer::Http("200 OK", "video/mp2t", ""));
  server.Answer("/garbage", "not http at all\r\n\r\n");
  const int closed = ProbeServer::ClosedPort();
  const std::string refused = "http://127.0.0.1:" + std::to_string(closed) + "/live";
  const std::vector<std::string> addresses = {
      media.LiveUrl("h264_aac.ts", 10),  media.LiveUrl("radio.mp3", 10), media.FileUrl("hls/index.m3u8"),
      server.Url("/ts"),                 server.Url("/icy"),             server.Url("/moved"),
      server.Url("/short"),              server.Url("/missing"),         server.Url("/forbidden"),
      server.Url("/page"),               server.Url("/empty"),           server.Url("/silent"),
      refused,                           server.Url("/garbage"),
      "rtsp://127.0.0.1:" + std::to_string(server.Port()) + "/cam",
      "rtmp://127.0.0.1:" + std::to_string(closed) + "/live/x",
      "udp://@239.0.0.1:1234",
  };
  const std::vector<ProbeResult> r = ProbeAll(Targets(addresses), {8, 3000ms});
  for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(r[i].outcome, ProbeOutcome::kReachable) << addresses[i];
  EXPECT_EQ(r[7].outcome, ProbeOutcome::kHttpStatus);
  EXPECT_EQ(r[7].httpStatus, 404);
  EXPECT_EQ(r[8].httpStatus, 403);
  EXPECT_EQ(r[9].outcome, ProbeOutcome::kNotMedia);
  EXPECT_EQ(r[10].outcome, ProbeOutcome::kNotMedia);
  EXPECT_EQ(r[11].outcome, ProbeOutcome::kTimedOut);
  EXPECT_EQ(r[12].outcome, ProbeOutcome::kRefused);
  EXPECT_EQ(r[13].outcome, ProbeOutcome::kNoAnswer);
  EXPECT_EQ(r[14].outcome, ProbeOutcome::kReachable);  // the port accepts: as far as a probe goes
  EXPECT_EQ(r[15].outcome, ProbeOutcome::kRefused);
  EXPECT_EQ(r[16].outcome, ProbeOutcome::kNotChecked);
  EXPECT_FALSE(r[16].Unreachable());
  // A resolver that is slow to say "no such name" gets the time it needs here.
  EXPECT_EQ(ProbeAll(Targets({"http://no-such-host.invalid/"}), {8, 20s})[0].outcome, ProbeOutcome::kNotResolved);
}

// The channel's user agent and referrer go with its request; none are made up when it has none.
TEST(ChannelProbe, SendsTheChannelsHeaders) {
  ProbeServer server;
  server.Answer("/a", ProbeServer::Http("200 OK", "video/mp2t", TransportPackets(8)));
  server.Answer("/b", ProbeServer::Http("200 OK", "video/mp2t", TransportPackets(8)));
  const std::vector<ProbeResult> r =
      ProbeAll({{server.Url("/a"), "Tuner/1.0", "http://portal.example/tv"}, {server.Url("/b"), "", ""}});
  EXPECT_EQ(r[0].outcome, ProbeOutcome::kReachable);
  std::vector<ProbeServer::Seen> seen = server.Requests();
  ASSERT_EQ(seen.size(), 2u);
  std::sort(seen.begin(), seen.end(), [](const auto& x, const auto& y) { return x.path < y.path; });
  EXPECT_EQ(seen[0].userAgent, "Tuner/1.0");
  EXPECT_EQ(seen[0].referrer, "http://portal.example/tv");
  EXPECT_EQ(seen[1].referrer, "");
}

// Certificates are always checked: a server whose certificate no trusted authority issued is
// unreachable for that reason, not a stream.
TEST(ChannelProbe, UntrustedCertificate) {
  char folder[] = "/tmp/vantrel-probe-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::filesystem::path dir = folder;
  const std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2"
                              " -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout " +
                              (dir / "key.pem").string() + " -out " + (dir / "cert.pem").string() + " >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ostringstream log;
  server::UpdateServerOptions options;
  options.root = dir;
  options.log = &log;
  options.tlsCertificate = dir / "cert.pem";
  options.tlsKey = dir / "key.pem";
  server::UpdateServer tls(options);
  ASSERT_TRUE(tls.Start());
  const std::vector<ProbeResult> r = ProbeAll(Targets({tls.BaseAddress()}));
  EXPECT_EQ(r[0].outcome, ProbeOutcome::kSecureFailed);
  tls.Stop();
  std::filesystem::remove_all(dir);
}

// Twenty silent channels: never more than eight open at once, each given up after its time.
TEST(ChannelProbe, BoundedAtOnce) {
  ProbeServer server;
  std::vector<std::string> addresses;
  for (int i = 0; i < 20; ++i) addresses.push_back(server.Url("/silent/" + std::to_string(i)));
  const std::vector<ProbeResult> r = ProbeAll(Targets(addresses), {8, 1000ms});
  for (const ProbeResult& result : r) EXPECT_EQ(result.outcome, ProbeOutcome::kTimedOut);
  EXPECT_EQ(server.Accepted(), 20);
  EXPECT_EQ(server.MostOpen(), 8);
}

// Cancelling ends a run whose servers stay silent for a minute without waiting for them;
// nothing is handed over after it, and the connections close.
TEST(ChannelProbe, CancelDropsOpenProbes) {
  ProbeServer server;
  std::vector<std::string> addresses;
  for (int i = 0; i < 12; ++i) addresses.push_back(server.Url("/silent/" + std::to_string(i)));
  std::atomic<int> results{0};
  std::promise<bool> finished;
  const auto start = std::chrono::steady_clock::now();
  {
    CChannelProbeRun run(Targets(addresses), {8, 60s}, [&](std::size_t, const ProbeResult&) { ++results; },
                         [&](bool cancelled) { finished.set_value(cancelled); });
    for (int i = 0; i < 2000 && server.OpenNow() < 8; ++i) std::this_thread::sleep_for(10ms);
    ASSERT_EQ(server.OpenNow(), 8);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
  EXPECT_TRUE(finished.get_future().get());
  EXPECT_EQ(results, 0);
  for (int i = 0; i < 2000 && server.OpenNow() > 0; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(server.OpenNow(), 0);
}

}  // namespace
}  // namespace vantrel
