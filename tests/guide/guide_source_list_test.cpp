#include <gtest/gtest.h>
#include <sys/stat.h>

#include "catalogue/guide/guide_source_list.h"
#include "catalogue/playlist/playlist.h"
#include "catalogue/playlist/playlist_store.h"
#include "tests/guide/guide_test_support.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;

CPlaylist Playlist(const std::string& text, const std::string& base) {
  CPlaylist playlist = ReadPlaylist(text, base).playlist;
  playlist.key = base;
  return playlist;
}

// A playlist from the network names web guides only; a playlist file may also name files,
// relative ones beside it. Schemes that name no guide are refused either way.
TEST(GuideSourceList, WhatAPlaylistMayName) {
  const CPlaylist remote = Playlist("#EXTM3U\n", "http://lists.example/tv/list.m3u");
  EXPECT_EQ(PlaylistGuideAddress(remote, true, " http://epg.example/e.xml.gz "), "http://epg.example/e.xml.gz");
  EXPECT_EQ(PlaylistGuideAddress(remote, true, "epg.xml"), "http://lists.example/tv/epg.xml");
  EXPECT_EQ(PlaylistGuideAddress(remote, true, "/etc/passwd"), "http://lists.example/etc/passwd");
  EXPECT_EQ(PlaylistGuideAddress(remote, true, "file:///etc/passwd"), "");
  EXPECT_EQ(PlaylistGuideAddress(remote, true, "ftp://epg.example/e.xml"), "");

  const CPlaylist local = Playlist("#EXTM3U\n", "/home/me/tv/list.m3u");
  EXPECT_EQ(PlaylistGuideAddress(local, false, "epg.xml"), "/home/me/tv/epg.xml");
  EXPECT_EQ(PlaylistGuideAddress(local, false, "/srv/epg.xml"), "/srv/epg.xml");
  EXPECT_EQ(PlaylistGuideAddress(local, false, "file:///srv/my%20epg.xml"), "/srv/my epg.xml");
  EXPECT_EQ(PlaylistGuideAddress(local, false, "https://epg.example/e.xml"), "https://epg.example/e.xml");
  EXPECT_EQ(PlaylistGuideAddress(local, false, "javascript:alert(1)"), "");
  EXPECT_EQ(PlaylistGuideAddress(local, false, "file://otherhost/e.xml"), "");
  EXPECT_EQ(PlaylistGuideAddress(local, false, "file:///a%00b"), "");
}

// The playlists' guides are listed once each with the first playlist naming them; a channel
// with a tvg-id or tvg-name is found by its id, the others are not listed at all.
TEST(GuideSourceList, CollectsGuidesAndChannelNames) {
  const CPlaylist first = Playlist(
      "#EXTM3U url-tvg=\"http://e/1.xml, http://e/2.xml\"\n"
      "#EXTINF:-1 tvg-id=\"one.ru\",Первый\nhttp://s/1\n"
      "#EXTINF:-1 tvg-name=\"Второй канал\",Второй HD\nhttp://s/2\n"
      "#EXTINF:-1,Третий\nhttp://s/3\n",
      "http://lists/a.m3u");
  const CPlaylist second = Playlist("#EXTM3U x-tvg-url=\"http://e/2.xml\"\n#EXTINF:-1 tvg-id=\"x\",X\nhttp://s/x\n",
                                    "http://lists/b.m3u");
  PlaylistGuides guides;
  AddPlaylistGuides(first, true, "a.m3u", guides);
  AddPlaylistGuides(second, true, "b.m3u", guides);
  ASSERT_EQ(guides.sources.size(), 2u);
  EXPECT_EQ(guides.sources[0].address, "http://e/1.xml");
  EXPECT_EQ(guides.sources[1].address, "http://e/2.xml");
  EXPECT_EQ(guides.sources[1].playlist, "a.m3u");
  ASSERT_EQ(guides.channels.size(), 3u);
  EXPECT_EQ(guides.channels.at(first.ChannelId(0)).tvgId, "one.ru");
  EXPECT_EQ(guides.channels.at(first.ChannelId(1)).tvgName, "Второй канал");
  EXPECT_EQ(guides.channels.count(first.ChannelId(2)), 0u);
  EXPECT_EQ(guides.channels.at(second.ChannelId(0)).tvgId, "x");
}

// The scan reads the playlists the store keeps, each by the rules of where it came from.
TEST(GuideSourceList, ScansTheKeptPlaylists) {
  TempFolder dir;
  WriteBytes(dir / "mine.m3u", "#EXTM3U url-tvg=\"guide.xml\"\n#EXTINF:-1 tvg-id=\"a\",A\nhttp://s/a\n");
  {
    CPlaylistStore store(dir / "playlists");
    CPlaylist kept;
    ASSERT_TRUE(store.ImportFile(dir / "mine.m3u", &kept).Ok());
    ASSERT_TRUE(store
                    .ImportFetched("http://lists/web.m3u",
                                   "#EXTM3U url-tvg=\"/home/victim/secret.xml,http://e/w.xml\"\n"
                                   "#EXTINF:-1,B\nhttp://s/b\n",
                                   {})
                    .Ok());
  }
  const PlaylistGuides guides = ScanPlaylistGuides(dir / "playlists");
  ASSERT_EQ(guides.sources.size(), 3u);
  EXPECT_EQ(guides.sources[0].address, (dir / "guide.xml").string());
  EXPECT_EQ(guides.sources[0].playlist, "mine.m3u");
  // Resolved against the list's own address, it stays on the list's server.
  EXPECT_EQ(guides.sources[1].address, "http://lists/home/victim/secret.xml");
  EXPECT_EQ(guides.sources[2].address, "http://e/w.xml");
  EXPECT_EQ(guides.channels.size(), 1u);
  EXPECT_TRUE(ScanPlaylistGuides(dir / "none").sources.empty());
}

// The user's list survives a round trip; what it cannot use and repeats are left out, and a
// file that is not there is an empty list.
TEST(GuideSourceList, KeepsTheUsersList) {
  TempFolder dir;
  const std::filesystem::path file = dir / "guide" / "sources.txt";
  EXPECT_TRUE(ReadGuideSourceList(file).empty());
  const std::vector<std::string> list{"http://e/1.xml", "/srv/мой гид.xml"};
  ASSERT_TRUE(WriteGuideSourceList(file, list));
  EXPECT_EQ(ReadGuideSourceList(file), list);
  WriteBytes(file, "  http://e/1.xml \r\n\nrelative.xml\njavascript:x\nhttp://e/1.xml\nfile:///srv/a%20b.xml\n");
  EXPECT_EQ(ReadGuideSourceList(file), (std::vector<std::string>{"http://e/1.xml", "/srv/a b.xml"}));
  EXPECT_EQ(NormaliseGuideSource("two\nlines"), "");
  EXPECT_EQ(NormaliseGuideSource(" HTTPS://E/x.xml "), "HTTPS://E/x.xml");
}

// Only web addresses and plain files are read: a folder, a device or a pipe never is.
TEST(GuideSourceList, ReadsOnlyPlainFiles) {
  TempFolder dir;
  WriteBytes(dir / "g.xml", "<tv/>");
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  EXPECT_TRUE(IsReadableGuideSource("http://e/g.xml"));
  EXPECT_TRUE(IsReadableGuideSource((dir / "g.xml").string()));
  EXPECT_FALSE(IsReadableGuideSource(dir.path().string()));
  EXPECT_FALSE(IsReadableGuideSource((dir / "pipe").string()));
  EXPECT_FALSE(IsReadableGuideSource("/dev/zero"));
  EXPECT_FALSE(IsReadableGuideSource((dir / "missing.xml").string()));
  EXPECT_FALSE(IsReadableGuideSource(""));
}

}  // namespace
}  // namespace vantrel
