#include <gtest/gtest.h>

#include "catalogue/guide/guide_names.h"
#include "catalogue/guide/guide_sources.h"
#include "catalogue/guide/guide_store.h"
#include "tests/guide/guide_test_support.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;

// Names compare without case, blanks or punctuation, in Latin and Cyrillic, with ё = е;
// digits and other letters still tell channels apart.
TEST(GuideNameKey, FoldsCaseBlanksAndPunctuation) {
  EXPECT_EQ(GuideNameKey("Первый канал HD"), GuideNameKey("первый-канал  hd"));
  EXPECT_EQ(GuideNameKey("ПЕРВЫЙ КАНАЛ (HD)"), GuideNameKey("Первый канал HD"));
  EXPECT_EQ(GuideNameKey("Ёлки ТВ"), GuideNameKey("елки тв"));
  EXPECT_EQ(GuideNameKey("ЁЛКИ"), GuideNameKey("Елки"));
  EXPECT_EQ(GuideNameKey("Россия 1"), GuideNameKey("РОССИЯ-1"));
  EXPECT_NE(GuideNameKey("Россия 1"), GuideNameKey("Россия 24"));
  EXPECT_EQ(GuideNameKey("Café «Ѣ» Ї"), GuideNameKey("CAFÉ ѣ ї"));
  EXPECT_EQ(GuideNameKey("Euronews\xC2\xA0—\tEnglish!"), "euronewsenglish");
  EXPECT_EQ(GuideNameKey(" - . "), "");
  EXPECT_EQ(GuideNameKey("bad\xFF\xC3name"), "badname");
}

// A playlist's url-tvg may name several guides.
TEST(GuideSources, SplitsCommaSeparatedAddresses) {
  EXPECT_EQ(SplitGuideAddresses(" http://a/e.xml.gz, http://b/e.xml ,,http://a/e.xml.gz,/home/me/my guide.xml "),
            (std::vector<std::string>{"http://a/e.xml.gz", "http://b/e.xml", "/home/me/my guide.xml"}));
  EXPECT_TRUE(SplitGuideAddresses(" , ").empty());
}

class GuideMatchTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(store.Open(dir.path())); }
  void Import(const std::string& source, const std::string& body, std::int64_t now = kDay0) {
    WriteBytes(dir / "in.xml", GuideDoc(body));
    GuideImportOptions options;
    options.now = now;
    ASSERT_TRUE(store.Import(source, dir / "in.xml", options).imported);
  }
  std::string NowTitle(GuideMatch match) const {
    if (!match) return "no match";
    const GuideNowNext nn = store.NowAndNext(match.channel, kDay0);
    return nn.now ? nn.now->title : "-";
  }

  TempFolder dir;
  CGuideStore store;
};

// tvg-id first (ASCII case ignored), then the name; an id that the guide lacks falls back
// to the name; catalogue channels match by name.
TEST_F(GuideMatchTest, ByTvgIdThenByName) {
  Import("s", ChannelXml("first.ru", "Первый канал") + ChannelXml("vesti", "Россия 24") +
                  ProgrammeXml("first.ru", kDay0, kDay0 + 3600, "first") +
                  ProgrammeXml("vesti", kDay0, kDay0 + 3600, "vesti"));
  EXPECT_EQ(store.MatchChannel("First.RU", "anything").rule, GuideMatchRule::kTvgId);
  EXPECT_EQ(NowTitle(store.MatchChannel("First.RU", "")), "first");
  const GuideMatch byName = store.MatchChannel("unknown-id", "РОССИЯ-24");
  EXPECT_EQ(byName.rule, GuideMatchRule::kName);
  EXPECT_EQ(NowTitle(byName), "vesti");
  EXPECT_EQ(NowTitle(store.MatchChannel("vesti", "Первый канал")), "vesti");
  EXPECT_FALSE(store.MatchChannel("", "Россия 1"));
  EXPECT_FALSE(store.MatchChannel("", ""));

  CChannel catalogued;
  catalogued.name = u"первый  канал";
  EXPECT_EQ(NowTitle(MatchCatalogueChannel(store, catalogued)), "first");
}

// When two sources know a channel, the one with programmes wins, then the newer import.
TEST_F(GuideMatchTest, SourcesRankedByProgrammesThenAge) {
  Import("full", ChannelXml("x", "Экс") + ProgrammeXml("x", kDay0, kDay0 + 3600, "from full"), kDay0);
  Import("empty", ChannelXml("x", "Экс"), kDay0 + 1);
  EXPECT_EQ(NowTitle(store.MatchChannel("x", "")), "from full");
  EXPECT_EQ(NowTitle(store.MatchChannel("", "экс")), "from full");
  Import("newer", ChannelXml("x", "Экс") + ProgrammeXml("x", kDay0, kDay0 + 3600, "from newer"), kDay0 + 2);
  EXPECT_EQ(NowTitle(store.MatchChannel("x", "")), "from newer");
}

// Nothing of a guide is lost for want of a matching channel: undeclared channels and
// channels nobody has keep their programmes, to be found by id later.
TEST_F(GuideMatchTest, UnmatchedChannelsLoseNothing) {
  std::string body;
  for (int i = 0; i < 50; ++i) body += ChannelXml("c" + std::to_string(i), "Канал " + std::to_string(i));
  for (int i = 0; i < 50; ++i) body += ProgrammeXml("c" + std::to_string(i), kDay0, kDay0 + 3600, "t" + std::to_string(i));
  body += ProgrammeXml("undeclared", kDay0, kDay0 + 3600, "stray");
  Import("s", body);
  const std::vector<GuideChannelSummary> channels = store.Channels("s");
  ASSERT_EQ(channels.size(), 51u);
  for (const GuideChannelSummary& c : channels) EXPECT_EQ(c.programmes, 1) << c.xmltvId;
  EXPECT_EQ(channels[0].names, (std::vector<std::string>{"Канал 0"}));
  EXPECT_EQ(NowTitle(store.MatchChannel("undeclared", "")), "stray");
  EXPECT_EQ(NowTitle(store.MatchChannel("", "канал 49")), "t49");
}

}  // namespace
}  // namespace vantrel
