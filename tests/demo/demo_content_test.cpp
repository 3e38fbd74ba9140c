#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "base/text_codec.h"
#include "catalogue/channel_list.h"
#include "tests/updates/zip_test_support.h"
#include "tools/server/live_stream.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;

const fs::path kDemo = VANTREL_DEMO_DIR;

CChannelList LoadCatalogue(const fs::path& file) {
  CChannelList list(file, {});
  EXPECT_TRUE(list.LoadChannels()) << file;
  return list;
}

std::string DemoAddress() {
  std::string address = ReadBytes(kDemo / "address");
  while (!address.empty() && (address.back() == '\n' || address.back() == '\r')) address.pop_back();
  return address;
}

bool HasCyrillic(std::u16string_view text) {
  return std::any_of(text.begin(), text.end(), [](char16_t c) { return c >= u'\u0400' && c <= u'\u04FF'; });
}

// The catalogue the program starts with: about thirty channels of several countries and
// genres, each complete, each playing from a media file the demo server has.
TEST(DemoContent, StartingCatalogueIsCompleteAndPlayable) {
  const CChannelList list = LoadCatalogue(kDemo / "channels.dat");
  EXPECT_GE(list.channels.size(), 25u);
  EXPECT_LE(list.channels.size(), 35u);
  EXPECT_GE(list.countryCounts.size(), 5u);
  EXPECT_GE(list.genreCounts.size(), 5u);
  const std::u16string live = Utf8ToUtf16(DemoAddress() + "live/");
  std::set<std::string> kinds;
  std::set<int32_t> ids;
  int cyrillicNames = 0;
  for (const CChannel& channel : list.channels) {
    SCOPED_TRACE(Utf16ToUtf8(channel.name));
    EXPECT_TRUE(ids.insert(channel.id).second);
    EXPECT_FALSE(channel.country.empty() || channel.genre.empty() || channel.description.empty());
    EXPECT_TRUE(channel.site_URL.starts_with(u"http://") && channel.site_URL.ends_with(u".example.org/"));
    EXPECT_GT(channel.BPS, 0);
    ASSERT_TRUE(channel.URL.starts_with(live));
    const fs::path media = kDemo / "server" / "media" / Utf16ToUtf8(channel.URL.substr(live.size()));
    EXPECT_TRUE(fs::is_regular_file(media)) << media;
    kinds.insert(media.extension().string());
    cyrillicNames += HasCyrillic(channel.name);
  }
  EXPECT_EQ(kinds, (std::set<std::string>{".ts", ".m3u8", ".wmv", ".mp3"}));
  EXPECT_GT(cyrillicNames, 0);
  EXPECT_LT(cyrillicNames, int(list.channels.size()));
}

// The server's catalogue is newer and holds every starting channel and the few it adds.
TEST(DemoContent, OfferedCatalogueAddsChannels) {
  const CChannelList start = LoadCatalogue(kDemo / "channels.dat");
  const CChannelList offered = LoadCatalogue(kDemo / "server" / "channels" / "channels.dat");
  EXPECT_GT(offered.version, start.version);
  for (const CChannel& channel : start.channels) {
    EXPECT_NE(std::find(offered.channels.begin(), offered.channels.end(), channel), offered.channels.end())
        << Utf16ToUtf8(channel.name);
  }
  EXPECT_GT(offered.channels.size(), start.channels.size());
  // What the server tells about it.
  EXPECT_EQ(std::stoi(ReadBytes(kDemo / "server" / "channels" / "version")), offered.version);
  const std::string offer = ReadBytes(kDemo / "server" / "channels" / "offer.txt");
  EXPECT_EQ(offer.substr(offer.find('\n') + 1), std::to_string(offered.channels.size() - start.channels.size()) + "\n");
}

// Every stream is media the live server can time; only ASF is sent once instead of looped.
TEST(DemoContent, EveryStreamGoesOutLive) {
  const CChannelList offered = LoadCatalogue(kDemo / "server" / "channels" / "channels.dat");
  const std::u16string live = Utf8ToUtf16(DemoAddress() + "live/");
  for (const CChannel& channel : offered.channels) {
    const fs::path media = kDemo / "server" / "media" / Utf16ToUtf8(channel.URL.substr(live.size()));
    if (media.extension() == ".m3u8") {
      EXPECT_TRUE(server::LivePlaylist(ReadBytes(media), "/media/", 100)) << media;
      continue;
    }
    const auto timed = server::LoadLiveMedia(media);
    ASSERT_TRUE(timed) << media;
    EXPECT_EQ(timed->loops, media.extension() != ".wmv") << media;
  }
}

}  // namespace
}  // namespace vantrel
