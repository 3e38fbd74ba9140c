#include <gtest/gtest.h>

#include <sstream>

#include "catalogue/channel_list.h"
#include "catalogue/playlist/playlist.h"
#include "tests/updates/zip_test_support.h"
#include "tools/catalogue/catalogue_tool.h"

namespace vantrel {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

struct ToolRun {
  int code;
  std::string out, err;
};

ToolRun List(const std::filesystem::path& file) {
  std::ostringstream out, err;
  const int code = tool::ListFile(file, out, err);
  return {code, out.str(), err.str()};
}

// `list` reads playlists by extension or first line: each channel with its name, address,
// group, country and options, then the count of entries left out.
TEST(PlaylistTool, ListsPlaylists) {
  TempFolder dir;
  WriteBytes(dir / "tv.m3u8",
             "#EXTM3U x-tvg-url=\"http://g/e.xml\"\n#EXTINF:-1 group-title=\"Кино\" tvg-country=\"RU\",Фильм\n"
             "#EXTVLCOPT:http-user-agent=UA/1\n#EXTVLCOPT:http-referrer=http://r/\nhttp://s/1\n"
             "#EXTINF:-1,Bad\njavascript:x\n");
  const ToolRun m3u = List(dir / "tv.m3u8");
  EXPECT_EQ(m3u.code, 0) << m3u.err;
  EXPECT_EQ(m3u.out,
            "format: extended M3U\nguide: http://g/e.xml\nchannels: 1\nchannel 1:\n  name: Фильм\n  URL: http://s/1\n"
            "  group: Кино\n  country: RU\n  options: http-user-agent=UA/1; http-referrer=http://r/\nskipped: 1\n");

  WriteBytes(dir / "radio.txt", "[playlist]\nFile1=http://r/1\nTitle1=Radio\n");
  const ToolRun pls = List(dir / "radio.txt");
  EXPECT_EQ(pls.code, 0);
  EXPECT_NE(pls.out.find("format: PLS\nchannels: 1\nchannel 1:\n  name: Radio\n  URL: http://r/1\n"), std::string::npos);
}

// A refused playlist is one line on the error stream and a non-zero exit; a catalogue is
// still listed as before.
TEST(PlaylistTool, RefusalsExitNonZeroAndCataloguesStayCatalogues) {
  TempFolder dir;
  WriteBytes(dir / "page.m3u", "<!doctype html><title>403</title>");
  const ToolRun html = List(dir / "page.m3u");
  EXPECT_EQ(html.code, 1);
  EXPECT_TRUE(html.out.empty());
  EXPECT_EQ(html.err, "vantrel-catalogue: " + (dir / "page.m3u").string() + ": is an HTML page (or other markup), not a playlist\n");
  WriteBytes(dir / "junk.pls", std::string("\x7F" "ELF\0\0\0", 7));
  EXPECT_EQ(List(dir / "junk.pls").code, 1);

  const ToolRun notZip = List(dir / "missing.dat");
  EXPECT_EQ(notZip.code, 1);
  EXPECT_NE(notZip.err.find("cannot be opened as a zip archive"), std::string::npos);
}

// Playlist channels survive the favourites file with their address, logo and request headers;
// a catalogue favourite is written exactly as before, without the extra elements.
TEST(PlaylistFavorites, PlaylistChannelsRoundTripBesideCatalogueOnes) {
  TempFolder dir;
  PlaylistReadResult r = ReadPlaylist(
      "#EXTM3U\n#EXTINF:-1 tvg-logo=\"http://l/x.png\" group-title=\"G\",Из списка\n#EXTVLCOPT:http-user-agent=UA\n"
      "#EXTVLCOPT:http-referrer=http://ref/\nhttp://s/live?a=1&b=2\n",
      "http://h/l.m3u");
  r.playlist.key = "http://h/l.m3u";
  CChannel catalogue{7, 2, 300, u"Каталог", u"mms://c", u"http://site/", u"d", u"g", u"c"};
  CChannelList list({}, dir / "favorites.xml");
  list.AddFavorite(catalogue);
  list.AddFavorite(r.playlist.ToChannel(0));
  list.AddFavorite(r.playlist.ToChannel(0));  // the same id: kept once
  ASSERT_TRUE(list.SaveFavorites());
  const std::string xml = ReadBytes(dir / "favorites.xml");
  const size_t second = xml.find("<channel", xml.find("<channel") + 1);
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(xml.substr(0, second).find("logo"), std::string::npos);
  EXPECT_EQ(xml.substr(0, second).find("http_"), std::string::npos);

  CChannelList loaded({}, dir / "favorites.xml");
  ASSERT_TRUE(loaded.LoadFavorites());
  ASSERT_EQ(loaded.favorites.size(), 2u);
  EXPECT_EQ(loaded.favorites[0], catalogue);
  EXPECT_EQ(loaded.favorites[1], r.playlist.ToChannel(0));
  EXPECT_EQ(loaded.favorites[1].URL, u"http://s/live?a=1&b=2");
  EXPECT_EQ(loaded.favorites[1].userAgent, u"UA");
  EXPECT_EQ(loaded.favorites[1].referrer, u"http://ref/");
  EXPECT_EQ(loaded.favorites[1].logo, u"http://l/x.png");
}

}  // namespace
}  // namespace vantrel
