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

// An outage refuses connections and ends the live streams; afterwards the same port serves again.
TEST(MediaServer, OutageAndReturnOnTheSamePort) {
  MediaServer server;
  server.LiveUrl("h264_aac.ts", 6.0);
  std::atomic<size_t> received{0};
  std::thread reader([&] {
    httplib::Client live("127.0.0.1", server.Port());
    live.Get("/live/h264_aac.ts", [&](const char*, size_t n) {
      received += n;
      return true;
    });
  });
  while (received == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  server.Shutdown();
  reader.join();  // the live stream ended with the outage
  EXPECT_GT(received, 0u);
  httplib::Client refused("127.0.0.1", server.Port());
  EXPECT_FALSE(refused.Get("/files/radio.mp3"));
  ASSERT_TRUE(server.Restart());
  httplib::Client back("127.0.0.1", server.Port());
  auto file = back.Get("/files/radio.mp3");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->status, 200);
}

}  // namespace
}  // namespace vantrel::test
