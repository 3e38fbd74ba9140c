#include "tests/support/media_server.h"

#include <gtest/gtest.h>

namespace vantrel::test {
namespace {

// Files are served whole; a live stream keeps coming, stalls on command and is dropped.
TEST(MediaServer, FilesAndLiveStreams) {
  MediaServer server;
  httplib::Client client("127.0.0.1", server.Port());
  auto file = client.Get("/files/radio.mp3");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->status, 200);
  EXPECT_GT(file->body.size(), 100000u);
  auto missing = client.Get("/files/none.ts");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404);

  server.LiveUrl("h264_aac.ts", 1.0);  // fast pacing keeps the test short
  size_t received = 0;
  httplib::Client live("127.0.0.1", server.Port());
  auto res = live.Get("/live/h264_aac.ts", [&](const char*, size_t n) {
    received += n;
    if (received > 800000) server.DropLiveConnections();  // more than one loop of the file
    return true;
  });
  EXPECT_GT(received, 800000u);
  EXPECT_EQ(server.LiveRequests(), 1);
}

// A stopped server refuses connections and cuts the live ones; it comes back on the same
// port. Live answers can join the broadcast mid-way, past the file's first packet.
TEST(MediaServer, GoesAwayAndComesBack) {
  MediaServer server;
  server.LiveUrl("h264_aac.ts", 1.0);
  server.SetJoinLiveMidway(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  size_t received = 0;
  std::string head;
  std::thread stopper;
  httplib::Client live("127.0.0.1", server.Port());
  live.Get("/live/h264_aac.ts", [&](const char* data, size_t n) {
    if (head.empty()) head.assign(data, std::min<size_t>(n, 188));
    received += n;
    if (received > 100000 && !stopper.joinable()) stopper = std::thread([&server] { server.StopListening(); });
    return received < 4000000;
  });
  ASSERT_TRUE(stopper.joinable());
  stopper.join();
  EXPECT_LT(received, 4000000u);
  std::ifstream file(MediaDir() + "/h264_aac.ts", std::ios::binary);
  std::string start(188, '\0');
  file.read(start.data(), 188);
  EXPECT_NE(head, start);

  httplib::Client refused("127.0.0.1", server.Port());
  EXPECT_FALSE(refused.Get("/files/radio.mp3"));
  server.ListenAgain();
  httplib::Client back("127.0.0.1", server.Port());
  auto file2 = back.Get("/files/radio.mp3");
  ASSERT_TRUE(file2);
  EXPECT_EQ(file2->status, 200);
}

}  // namespace
}  // namespace vantrel::test
