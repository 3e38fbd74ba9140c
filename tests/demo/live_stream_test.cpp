#include <gtest/gtest.h>

#include <httplib.h>

#include <sstream>
#include <string>

#include "tests/support/media_server.h"
#include "tests/updates/zip_test_support.h"
#include "tools/server/live_stream.h"
#include "tools/server/update_server.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using server::LivePlaylist;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

const std::string kVod =
    "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:3\n#EXT-X-PLAYLIST-TYPE:VOD\n"
    "#EXTINF:2.000000,\nseg0.ts\n#EXTINF:2.500000,\r\nseg1.ts\r\n#EXTINF:1.5,\nhttp://elsewhere.example.org/seg2.ts\n"
    "#EXT-X-ENDLIST\n";

// The addresses a playlist lists, in order, and how many discontinuities it marks.
std::vector<std::string> Addresses(const std::string& playlist) {
  std::vector<std::string> addresses;
  std::istringstream in(playlist);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] != '#') addresses.push_back(line);
  }
  return addresses;
}

// At the start only the first segment has begun; relative addresses move under the segment
// folder, absolute ones stay.
TEST(LivePlaylist, StartsWithTheSegmentsBegunSoFar) {
  const auto at0 = LivePlaylist(kVod, "/media/tv/", 0.5);
  ASSERT_TRUE(at0);
  EXPECT_EQ(Addresses(*at0), std::vector<std::string>{"/media/tv/seg0.ts"});
  EXPECT_NE(at0->find("#EXT-X-TARGETDURATION:3\n"), std::string::npos);
  EXPECT_NE(at0->find("#EXT-X-MEDIA-SEQUENCE:0\n"), std::string::npos);
  EXPECT_EQ(at0->find("#EXT-X-ENDLIST"), std::string::npos);
  EXPECT_EQ(at0->find("#EXT-X-DISCONTINUITY\n"), std::string::npos);

  const auto at5 = LivePlaylist(kVod, "/media/tv/", 4.6);
  ASSERT_TRUE(at5);
  EXPECT_EQ(Addresses(*at5), (std::vector<std::string>{"/media/tv/seg0.ts", "/media/tv/seg1.ts",
                                                        "http://elsewhere.example.org/seg2.ts"}));
}

// Later the window slides over the loop: five segments, numbered on from the first loop, with a
// discontinuity wherever the recording starts over.
TEST(LivePlaylist, SlidesOverTheLoopWithDiscontinuities) {
  // One loop lasts 6 s; 13.9 s in, segment 6 (seg0 of the third loop, from 12 s) is under way.
  const auto playlist = LivePlaylist(kVod, "/m/", 13.9);
  ASSERT_TRUE(playlist);
  const std::string elsewhere = "http://elsewhere.example.org/seg2.ts";
  EXPECT_EQ(Addresses(*playlist),
            (std::vector<std::string>{elsewhere, "/m/seg0.ts", "/m/seg1.ts", elsewhere, "/m/seg0.ts"}))
      << *playlist;
  EXPECT_NE(playlist->find("#EXT-X-MEDIA-SEQUENCE:2\n"), std::string::npos);
  EXPECT_NE(playlist->find("#EXT-X-DISCONTINUITY-SEQUENCE:0\n"), std::string::npos);
  EXPECT_EQ(playlist->find("seg1.ts\n#EXT-X-DISCONTINUITY\n"), std::string::npos);
  EXPECT_NE(playlist->find("seg2.ts\n#EXT-X-DISCONTINUITY\n#EXTINF:2.000000,\n/m/seg0.ts"), std::string::npos);

  // A later request continues the numbering the earlier one began.
  const auto later = LivePlaylist(kVod, "/m/", 16.1);
  ASSERT_TRUE(later);
  EXPECT_NE(later->find("#EXT-X-MEDIA-SEQUENCE:3\n"), std::string::npos);
  EXPECT_NE(later->find("#EXT-X-DISCONTINUITY-SEQUENCE:1\n"), std::string::npos);
}

// Playlists that cannot be timed give nothing rather than a window that never moves.
TEST(LivePlaylist, RefusesUntimedPlaylists) {
  EXPECT_FALSE(LivePlaylist("", "/m/", 1));
  EXPECT_FALSE(LivePlaylist("#EXTM3U\n#EXT-X-ENDLIST\n", "/m/", 1));
  EXPECT_FALSE(LivePlaylist("#EXTM3U\n#EXTINF:0,\na.ts\n", "/m/", 1));
  EXPECT_FALSE(LivePlaylist("#EXTM3U\n#EXTINF:two,\na.ts\n", "/m/", 1));
  EXPECT_FALSE(LivePlaylist("#EXTM3U\n#EXTINF:-2,\na.ts\n", "/m/", 1));
}

class LiveServer : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(m_root / "media" / "hls");
    for (const char* file : {"short.ts", "clip.wmv", "radio.mp3"}) {
      fs::copy_file(fs::path(test::MediaDir()) / file, m_root / "media" / file);
    }
    for (const auto& entry : fs::directory_iterator(fs::path(test::MediaDir()) / "hls")) {
      fs::copy_file(entry.path(), m_root / "media" / "hls" / entry.path().filename());
    }
    ASSERT_TRUE(m_server.Start());
  }

  // Reads the live address until `limit` bytes came or the answer ended.
  std::string Receive(const std::string& path, std::size_t limit, int* status = nullptr) {
    httplib::Client client("127.0.0.1", m_server.Port());
    client.set_read_timeout(30, 0);
    std::string body;
    const auto result = client.Get(path.c_str(), [&](const char* data, std::size_t length) {
      body.append(data, length);
      return body.size() < limit;
    });
    if (status) *status = result ? result->status : -1;
    return body;
  }

  TempFolder m_root;
  std::ostringstream m_log;
  server::UpdateServer m_server{{m_root.path(), "127.0.0.1", 0, &m_log}};
};

// A transport stream goes out again and again, byte for byte, for as long as it is read.
TEST_F(LiveServer, TransportStreamLoopsEndlessly) {
  const std::string file = ReadBytes(m_root / "media" / "short.ts");
  const auto media = server::LoadLiveMedia(m_root / "media" / "short.ts");
  ASSERT_TRUE(media);
  EXPECT_TRUE(media->loops);
  // The one-second clip goes out at about its own size per second.
  EXPECT_GT(media->bytesPerSecond, 0.7 * double(file.size()));
  EXPECT_LT(media->bytesPerSecond, 1.5 * double(file.size()));

  const std::string body = Receive("/live/short.ts", file.size() * 5 / 2);
  ASSERT_GE(body.size(), file.size() * 5 / 2);
  for (std::size_t at = 0; at < body.size(); at += file.size()) {
    ASSERT_EQ(body.substr(at, file.size()), file.substr(0, body.size() - at)) << "loop at byte " << at;
  }
  // MP3 joins end to end as well.
  EXPECT_TRUE(server::LoadLiveMedia(m_root / "media" / "radio.mp3")->loops);
}

// An ASF file, which cannot be joined to itself, is sent once, paced, and the answer ends.
TEST_F(LiveServer, AsfIsSentOnce) {
  const std::string file = ReadBytes(m_root / "media" / "clip.wmv");
  EXPECT_FALSE(server::LoadLiveMedia(m_root / "media" / "clip.wmv")->loops);
  int status = 0;
  EXPECT_EQ(Receive("/live/clip.wmv", file.size() * 2, &status), file);
  EXPECT_EQ(status, 200);
}

// A playlist is answered with its live window, whose segments are the plain files.
TEST_F(LiveServer, PlaylistBecomesALiveWindow) {
  int status = 0;
  const std::string playlist = Receive("/live/hls/index.m3u8", 1 << 20, &status);
  EXPECT_EQ(status, 200);
  const auto addresses = Addresses(playlist);
  ASSERT_FALSE(addresses.empty()) << playlist;
  EXPECT_EQ(addresses.front(), "/media/hls/seg0.ts");
  EXPECT_EQ(playlist.find("#EXT-X-ENDLIST"), std::string::npos);
  EXPECT_EQ(Receive(addresses.front(), 1 << 20), ReadBytes(m_root / "media" / "hls" / "seg0.ts"));
}

// Only media files inside the media folder go out live.
TEST_F(LiveServer, RefusesWhatIsNoMediaOfTheFolder) {
  WriteBytes(m_root / "media" / "notes.txt", "not a stream");
  fs::create_directories(m_root / "program");
  WriteBytes(m_root / "program" / "default.txt", "1024");
  for (const char* path : {"/live/notes.txt", "/live/missing.ts", "/live/../program/default.txt",
                           "/live/%2e%2e/program/default.txt", "/live/", "/live/hls"}) {
    int status = 0;
    Receive(path, 1 << 20, &status);
    EXPECT_EQ(status, 404) << path;
  }
}

// A port another server holds cannot be taken a second time.
TEST_F(LiveServer, SecondServerOnATakenPortFails) {
  server::UpdateServer second({m_root.path(), "127.0.0.1", m_server.Port(), &m_log});
  EXPECT_FALSE(second.Start());
}

}  // namespace
}  // namespace vantrel
