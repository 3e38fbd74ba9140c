#include <gtest/gtest.h>

#include <malloc.h>

#include <string>

#include "base/text_codec.h"
#include "catalogue/playlist/playlist.h"
#include "catalogue/playlist/playlist_address.h"
#include "tests/updates/zip_test_support.h"

namespace vantrel {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

PlaylistReadResult Read(std::string text, std::string_view base = {}) { return ReadPlaylist(std::move(text), base); }

// Everything the extended format carries reaches its channel: duration, the six attributes,
// the display name after the first comma outside quotes, #EXTGRP, the two request options.
TEST(PlaylistReader, ExtendedM3uCarriesAttributesNameGroupAndOptions) {
  const PlaylistReadResult r = Read(
      "#EXTM3U url-tvg=\"http://g/1.xml,http://g/2.xml\" x-tvg-url=\"http://g/3.xml.gz\"\n"
      "#EXTINF:-1 tvg-id=\"one.ru\" tvg-name=\"One HD\" tvg-logo=\"http://l/1.png\" group-title=\"Новости, мир\" "
      "tvg-country=\"RU\" tvg-language=\"Russian\",Первый, \"главный\"\n"
      "#EXTVLCOPT:http-user-agent=Mozilla/5.0 (X11)\n"
      "#EXTVLCOPT:http-referrer=http://ref/\n"
      "http://s/1.m3u8?token=a,b\n"
      "#EXTINF:120,Radio\n"
      "#EXTGRP:Музыка\n"
      "http://s/2.mp3\n");
  ASSERT_TRUE(r.Ok());
  const CPlaylist& p = r.playlist;
  EXPECT_EQ(p.format, PlaylistFormat::kExtendedM3u);
  EXPECT_EQ(p.guideAddresses, (std::vector<std::string>{"http://g/1.xml", "http://g/2.xml", "http://g/3.xml.gz"}));
  ASSERT_EQ(p.Size(), 2u);
  const CPlaylistChannel& a = p.Channels()[0];
  EXPECT_EQ(p.Name(0), "Первый, \"главный\"");
  EXPECT_EQ(p.Address(0), "http://s/1.m3u8?token=a,b");
  EXPECT_EQ(p.Group(0), "Новости, мир");
  EXPECT_EQ(p.Country(0), "RU");
  EXPECT_EQ(p.Text(a.tvgId), "one.ru");
  EXPECT_EQ(p.Text(a.tvgName), "One HD");
  EXPECT_EQ(p.Text(a.logo), "http://l/1.png");
  EXPECT_EQ(p.Text(a.language), "Russian");
  EXPECT_EQ(p.Text(a.userAgent), "Mozilla/5.0 (X11)");
  EXPECT_EQ(p.Text(a.referrer), "http://ref/");
  EXPECT_EQ(a.duration, -1);
  EXPECT_EQ(p.Channels()[1].duration, 120);
  EXPECT_EQ(p.Name(1), "Radio");
  EXPECT_EQ(p.Group(1), "Музыка");
  EXPECT_TRUE(p.Channels()[1].userAgent.Empty());  // options belong to one entry only
  EXPECT_EQ(p.skipped, 0u);

  // What the player, recorder and favourites take.
  const CChannel c = p.ToChannel(0);
  EXPECT_EQ(c.name, u"Первый, \"главный\"");
  EXPECT_EQ(c.URL, u"http://s/1.m3u8?token=a,b");
  EXPECT_EQ(c.genre, u"Новости, мир");
  EXPECT_EQ(c.userAgent, u"Mozilla/5.0 (X11)");
  EXPECT_EQ(c.referrer, u"http://ref/");
  EXPECT_EQ(c.logo, u"http://l/1.png");
  EXPECT_LT(c.id, 0);
}

// Odd but common shapes of #EXTINF: no attributes, unquoted and single-quoted values, an
// unclosed quote, no display name (tvg-name, then the address stand in), lower case tags.
TEST(PlaylistReader, ExtinfVariants) {
  const PlaylistReadResult r = Read(
      "#EXTM3U\r\n"
      "#EXTINF:0,Plain\r\nudp://@239.0.0.1:1234\r\n"
      "#EXTINF:-1 group-title=Sport tvg-id='x,y',  Spaced name  \r\nrtmp://a/b\r\n"
      "#EXTINF:-1 tvg-name=\"Named\",\r\nhttp://n/\r\n"
      "#EXTINF:-1,\r\nhttp://bare/\r\n"
      "#EXTINF:-1 group-title=\"Open,Rest of name\r\nhttp://o/\r\n"
      "#extinf:5.7,lower\r\nhttp://l/\r\n"
      "#EXTVLCOPT:http-referrer=http://before/\r\n#EXTGRP:Early\r\n#EXTINF:-1,Options first\r\nhttp://f/\r\n");
  ASSERT_TRUE(r.Ok());
  const CPlaylist& p = r.playlist;
  ASSERT_EQ(p.Size(), 7u);
  EXPECT_EQ(p.Name(0), "Plain");
  EXPECT_EQ(p.Address(0), "udp://@239.0.0.1:1234");
  EXPECT_EQ(p.Group(1), "Sport");
  EXPECT_EQ(p.Text(p.Channels()[1].tvgId), "x,y");
  EXPECT_EQ(p.Name(1), "Spaced name");
  EXPECT_EQ(p.Name(2), "Named");
  EXPECT_EQ(p.Name(3), "http://bare/");
  EXPECT_EQ(p.Group(4), "Open");
  EXPECT_EQ(p.Name(4), "Rest of name");
  EXPECT_EQ(p.Name(5), "lower");
  EXPECT_EQ(p.Channels()[5].duration, 5);
  EXPECT_EQ(p.Text(p.Channels()[6].referrer), "http://before/");
  EXPECT_EQ(p.Group(6), "Early");
}

// A plain M3U is one address per line; comments and blank lines are not entries.
TEST(PlaylistReader, PlainM3u) {
  const PlaylistReadResult r = Read("# my radios\n\nhttp://a/1.mp3\n  http://b/2.aac  \n#comment\nmms://c/3\n");
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(r.playlist.format, PlaylistFormat::kPlainM3u);
  ASSERT_EQ(r.playlist.Size(), 3u);
  EXPECT_EQ(r.playlist.Address(1), "http://b/2.aac");
  EXPECT_EQ(r.playlist.Name(2), "mms://c/3");
}

// PLS: keys in any case, entries in number order whatever the line order, a title or length
// without a file is skipped.
TEST(PlaylistReader, Pls) {
  const PlaylistReadResult r = Read(
      "[playlist]\r\nNumberOfEntries=4\r\nFile2=http://two/\r\nTitle2=Второй\r\nfile1=http://one/\r\n"
      "TITLE1=First\r\nLength1=-1\r\nTitle3=No file\r\nFile10=http://ten/\r\nLength10=300\r\nVersion=2\r\n");
  ASSERT_TRUE(r.Ok());
  const CPlaylist& p = r.playlist;
  EXPECT_EQ(p.format, PlaylistFormat::kPls);
  ASSERT_EQ(p.Size(), 3u);
  EXPECT_EQ(p.Name(0), "First");
  EXPECT_EQ(p.Name(1), "Второй");
  EXPECT_EQ(p.Address(2), "http://ten/");
  EXPECT_EQ(p.Name(2), "http://ten/");
  EXPECT_EQ(p.Channels()[2].duration, 300);
  EXPECT_EQ(p.skipped, 1u);
}

// Every encoding and line end gives the same channels: UTF-8 with and without a byte order
// mark, Windows-1251 (not valid UTF-8), UTF-16 with a mark; LF, CRLF, lone CR and a mix.
TEST(PlaylistReader, EncodingsAndLineEndsGiveTheSameChannels) {
  const std::u16string text = u"#EXTM3U\n#EXTINF:-1 group-title=\"Кино\",Ёлка и ещё\nhttp://k/1\n#EXTINF:-1,Два\nhttp://k/2\n";
  const std::string utf8 = Utf16ToUtf8(text);
  auto replaceAll = [](std::string s, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += to.size()) s.replace(at, from.size(), to);
    return s;
  };
  std::string utf16le = "\xFF\xFE";
  for (char16_t u : text) {
    utf16le += static_cast<char>(u & 0xFF);
    utf16le += static_cast<char>(u >> 8);
  }
  std::string mixed = replaceAll(utf8, "\n", "\r");
  mixed[mixed.find('\r')] = '\n';
  const std::vector<std::pair<const char*, std::string>> forms = {
      {"utf-8", utf8},
      {"utf-8 bom", "\xEF\xBB\xBF" + utf8},
      {"cp1251", Utf16ToCp1251(text)},
      {"utf-16le", utf16le},
      {"crlf", replaceAll(utf8, "\n", "\r\n")},
      {"cr", replaceAll(utf8, "\n", "\r")},
      {"mixed", mixed},
  };
  for (const auto& [label, bytes] : forms) {
    SCOPED_TRACE(label);
    const PlaylistReadResult r = Read(bytes);
    ASSERT_TRUE(r.Ok());
    ASSERT_EQ(r.playlist.Size(), 2u);
    EXPECT_EQ(r.playlist.format, PlaylistFormat::kExtendedM3u);
    EXPECT_EQ(r.playlist.Name(0), "Ёлка и ещё");
    EXPECT_EQ(r.playlist.Group(0), "Кино");
    EXPECT_EQ(r.playlist.Address(1), "http://k/2");
  }
}

// Any #EXT-X- tag makes the file an HLS playlist: the stream is the playlist's own address.
TEST(PlaylistReader, HlsIsOneStreamAtItsOwnAddress) {
  const std::string hls = "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:6\n#EXTINF:6.0,\nseg1.ts\n#EXTINF:6.0,\nseg2.ts\n";
  const PlaylistReadResult r = Read(hls, "http://cdn/live/index.m3u8?t=1");
  ASSERT_TRUE(r.Ok());
  EXPECT_TRUE(r.playlist.IsStream());
  ASSERT_EQ(r.playlist.Size(), 1u);
  EXPECT_EQ(r.playlist.Address(0), "http://cdn/live/index.m3u8?t=1");
  EXPECT_EQ(r.playlist.Name(0), "index.m3u8");
  EXPECT_EQ(r.playlist.skipped, 0u);
  const PlaylistReadResult master = Read("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\nlow.m3u8\n");
  EXPECT_TRUE(master.playlist.IsStream());
  EXPECT_EQ(master.playlist.Size(), 0u);  // no address of its own to play
  // A stray tag after channels does not turn a channel list into a stream.
  const PlaylistReadResult list = Read("#EXTM3U\n#EXTINF:-1,A\nhttp://a/\n#EXT-X-ENDLIST\n#EXTINF:-1,B\nhttp://b/\n");
  EXPECT_FALSE(list.playlist.IsStream());
  EXPECT_EQ(list.playlist.Size(), 2u);
}

// Entries without an address and entries the player must not open are counted, not kept.
TEST(PlaylistReader, SkipsEntriesWithoutAddressOrWithForbiddenSchemes) {
  const PlaylistReadResult r = Read(
      "#EXTM3U\n#EXTINF:-1,No address\n#EXTINF:-1,Script\njavascript:alert(1)\n#EXTINF:-1,Data\n"
      "DATA:text/html,x\n  about:blank\nvbscript:x\n#EXTINF:-1,Good\nhttp://ok/\n#EXTINF:-1,Last without\n");
  ASSERT_TRUE(r.Ok());
  ASSERT_EQ(r.playlist.Size(), 1u);
  EXPECT_EQ(r.playlist.Name(0), "Good");
  EXPECT_EQ(r.playlist.skipped, 6u);
}

// HTML pages, binary data and oversized files are refused with their reason; text with a few
// stray control characters is still a playlist.
TEST(PlaylistReader, RefusesWhatIsNotAPlaylist) {
  EXPECT_EQ(Read("\r\n  <!DOCTYPE html><html><body>#EXTM3U</body></html>").refusal, PlaylistRefusal::kHtml);
  EXPECT_EQ(Read("\xEF\xBB\xBF<html>").refusal, PlaylistRefusal::kHtml);
  EXPECT_EQ(Read(std::string("#EXTM3U\nhttp://a/\n\0\x01\x02", 20)).refusal, PlaylistRefusal::kBinary);
  std::string junk(4096, '\0');
  for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>(1 + (i * 7919) % 255);
  EXPECT_EQ(Read(junk).refusal, PlaylistRefusal::kBinary);
  EXPECT_TRUE(Read("#EXTM3U\n#EXTINF:-1,A\fB\nhttp://a/\n\x1A").Ok());

  TempFolder dir;
  const auto big = dir / "big.m3u";
  {
    std::ofstream out(big, std::ios::binary);
    out.seekp(static_cast<std::streamoff>(kPlaylistMaxBytes));
    out.put('\n');  // one byte over, sparse
  }
  EXPECT_EQ(ReadPlaylistFile(big).refusal, PlaylistRefusal::kTooLarge);
  EXPECT_EQ(ReadPlaylistFile(dir / "missing.m3u").refusal, PlaylistRefusal::kCannotRead);
  EXPECT_EQ(ReadPlaylistFile(dir.path()).refusal, PlaylistRefusal::kCannotRead);
  EXPECT_EQ(ReadPlaylist(std::string(kPlaylistMaxBytes + 1, '#'), "").refusal, PlaylistRefusal::kTooLarge);
}

// Relative entries resolve against the address the playlist came from, or beside its file;
// absolute ones and other schemes stay as written.
TEST(PlaylistReader, RelativeEntriesResolveAgainstTheBase) {
  const std::string text = "a/1.ts\n../2.ts\n/root/3.ts\n//other/4.ts\nrtsp://x/5\nsub\\6.mp3\n";
  const PlaylistReadResult web = Read(text, "https://h:8080/lists/tv/list.m3u?key=1");
  ASSERT_EQ(web.playlist.Size(), 6u);
  EXPECT_EQ(web.playlist.Address(0), "https://h:8080/lists/tv/a/1.ts");
  EXPECT_EQ(web.playlist.Address(1), "https://h:8080/lists/2.ts");
  EXPECT_EQ(web.playlist.Address(2), "https://h:8080/root/3.ts");
  EXPECT_EQ(web.playlist.Address(3), "https://other/4.ts");
  EXPECT_EQ(web.playlist.Address(4), "rtsp://x/5");

  TempFolder dir;
  WriteBytes(dir / "radio.m3u", text);
  const PlaylistReadResult file = ReadPlaylistFile(dir / "radio.m3u");
  ASSERT_EQ(file.playlist.Size(), 6u);
  EXPECT_EQ(file.playlist.Address(0), (dir.path() / "a/1.ts").string());
  EXPECT_EQ(file.playlist.Address(1), (dir.path().parent_path() / "2.ts").string());
  EXPECT_EQ(file.playlist.Address(2), "/root/3.ts");
  EXPECT_EQ(file.playlist.Address(5), (dir.path() / "sub/6.mp3").string());

  EXPECT_EQ(Read(text).playlist.Address(0), "a/1.ts");  // no base: as written
  EXPECT_EQ(ResolveAddress("http://h", "x.ts"), "http://h/x.ts");
  EXPECT_FALSE(IsRelativeAddress("C:\\Music\\a.mp3"));
  EXPECT_EQ(AddressScheme("HTTP://A"), "http");
}

// Channel ids are negative (catalogue ids are not), stable for the same playlist and address,
// and differ between playlists holding the same address.
TEST(PlaylistReader, ChannelIdsAreStableAndApartFromTheCatalogue) {
  const int32_t id = PlaylistChannelId("http://list/a.m3u", "http://s/1");
  EXPECT_LT(id, 0);
  EXPECT_EQ(id, PlaylistChannelId("http://list/a.m3u", "http://s/1"));
  EXPECT_NE(id, PlaylistChannelId("http://list/b.m3u", "http://s/1"));
  EXPECT_NE(id, PlaylistChannelId("http://list/a.m3u", "http://s/2"));
  PlaylistReadResult r = Read("http://s/1\n");
  r.playlist.key = "http://list/a.m3u";
  EXPECT_EQ(r.playlist.ChannelId(0), id);
}

// Groups in order of first appearance with their channels in file order; no group is "".
TEST(PlaylistReader, GroupsInFileOrder) {
  const PlaylistReadResult r = Read(
      "#EXTM3U\n#EXTINF:-1 group-title=\"B\",1\nu1\n#EXTINF:-1 group-title=\"A\",2\nu2\n#EXTINF:-1,3\nu3\n"
      "#EXTINF:-1 group-title=\"B\",4\nu4\n");
  const std::vector<PlaylistGroup> groups = PlaylistGroups(r.playlist);
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups[0].name, "B");
  EXPECT_EQ(groups[0].channels, (std::vector<uint32_t>{0, 3}));
  EXPECT_EQ(groups[1].name, "A");
  EXPECT_EQ(groups[2].name, "");
  EXPECT_EQ(groups[2].channels, (std::vector<uint32_t>{2}));
}

// The largest file read, packed with the shortest entries, is refused for its entry count and
// the heap does not grow past a bound on the way; a large realistic list stays near its size.
TEST(PlaylistReader, MemoryStaysBoundedOnHugeInput) {
  const auto heap = [] { return mallinfo2().uordblks + mallinfo2().hblkhd; };
  std::string tiny(kPlaylistMaxBytes, 'a');
  for (size_t i = 1; i < tiny.size(); i += 2) tiny[i] = '\n';
  const size_t before = heap();
  {
    const PlaylistReadResult r = ReadPlaylist(std::move(tiny), "/x/list.m3u");
    EXPECT_EQ(r.refusal, PlaylistRefusal::kTooManyEntries);
  }
  EXPECT_LT(heap(), before + (1u << 20));  // everything given back

  std::string real = "#EXTM3U\n";
  for (int i = 0; i < 100'000; ++i)
    real += "#EXTINF:-1 tvg-id=\"c" + std::to_string(i) + "\" group-title=\"G" + std::to_string(i % 200) +
            "\",Канал " + std::to_string(i) + "\nhttp://s.example/live/" + std::to_string(i) + ".m3u8?token=abcdef\n";
  const size_t textBytes = real.capacity();
  const size_t start = heap();
  const PlaylistReadResult r = ReadPlaylist(std::move(real), "");
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(r.playlist.Size(), 100'000u);
  // The text itself plus about one record per entry; nothing per text.
  EXPECT_LT(heap() - start, r.playlist.MemoryBytes() + (1u << 20));
  EXPECT_LT(r.playlist.MemoryBytes(), textBytes + 100'000 * sizeof(CPlaylistChannel) + (1u << 20));
}

}  // namespace
}  // namespace vantrel
