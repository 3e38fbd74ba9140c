#include <gtest/gtest.h>

#include "catalogue/channel_tree.h"
#include "tests/catalogue/catalogue_test_support.h"

namespace vantrel {
namespace {

using namespace testing;

// The tree as indented labels, for whole-shape comparisons.
std::vector<std::string> Shape(const std::vector<ChannelTreeNode>& nodes, const std::string& indent = "") {
  std::vector<std::string> lines;
  for (const auto& n : nodes) {
    lines.push_back(indent + Utf16ToUtf8(n.label));
    for (auto& line : Shape(n.children, indent + "  ")) lines.push_back(line);
  }
  return lines;
}

class ChannelTree : public ::testing::Test {
 protected:
  void Load(const std::u16string& channels) {
    ASSERT_EQ(list.LoadCatalogueXml(u"<channels version=\"1\">" + channels + u"</channels>"), CatalogueStatus::kOk);
  }
  CChannelList list{"", ""};
};

// Top level in code-unit order with total counts; second level only where the pair has
// channels, counted per pair; leaves named after the channels.
TEST_F(ChannelTree, ByCountryAndByGenre) {
  Load(Channel(1, u"b1", u"B", u"News") + Channel(2, u"b2", u"B", u"Sport") + Channel(3, u"a1", u"A", u"News"));
  EXPECT_EQ(Shape(BuildChannelTree(list, ChannelGrouping::kByCountry)),
            (std::vector<std::string>{"A(1)", "  News(1)", "    a1", "B(2)", "  News(1)", "    b1", "  Sport(1)",
                                      "    b2"}));
  EXPECT_EQ(Shape(BuildChannelTree(list, ChannelGrouping::kByGenre)),
            (std::vector<std::string>{"News(2)", "  A(1)", "    a1", "  B(1)", "    b1", "Sport(1)", "  B(1)",
                                      "    b2"}));
}

// No country and genre: labels that are only the count; equal names stay two leaves; leaves
// point at the index's own records.
TEST_F(ChannelTree, EmptyKeysDuplicatesAndLeafRecords) {
  Load(u"<channel id=\"1\" name=\"same\" type=\"1\" URL=\"first\"/><channel id=\"2\" name=\"same\" type=\"1\" URL=\"second\"/>");
  const auto tree = BuildChannelTree(list, ChannelGrouping::kByCountry);
  EXPECT_EQ(Shape(tree), (std::vector<std::string>{"(2)", "  (2)", "    same", "    same"}));
  const auto& leaves = tree[0].children[0].children;
  EXPECT_EQ(leaves[0].channel->URL, u"first");  // equal labels keep catalogue order
  EXPECT_EQ(leaves[1].channel->URL, u"second");
  EXPECT_EQ(leaves[0].channel, &list.channelIndex.front());
  EXPECT_EQ(tree[0].channel, nullptr);
  EXPECT_EQ(tree[0].children[0].channel, nullptr);
}

// Lower levels are alphabetical as a sorted tree inserts them: case does not matter, ё sits
// with е; the top level stays in code-unit order.
TEST_F(ChannelTree, LowerLevelsAlphabetical) {
  Load(Channel(1, u"beta", u"X", u"g") + Channel(2, u"Alpha", u"X", u"g") + Channel(3, u"ёлка", u"X", u"g") +
       Channel(4, u"Ежи", u"X", u"g") + Channel(5, u"жук", u"X", u"g") + Channel(6, u"z", u"X", u"Drama") +
       Channel(7, u"y", u"a", u"g"));
  EXPECT_EQ(Shape(BuildChannelTree(list, ChannelGrouping::kByCountry)),
            (std::vector<std::string>{"X(6)", "  Drama(1)", "    z", "  g(5)", "    Alpha", "    beta", "    Ежи",
                                      "    ёлка", "    жук", "a(1)", "  g(1)", "    y"}));
  EXPECT_LT(CompareTreeLabels(u"abc", u"ABD"), 0);
  EXPECT_EQ(CompareTreeLabels(u"Ёж", u"еж"), 0);
  EXPECT_LT(CompareTreeLabels(u"ab", u"abc"), 0);
}

// Playlists keep the provider's order: playlists as given, groups by first appearance, channels
// in file order; channels without a group come last, right under their playlist. Leaves point
// at the playlist's own records.
TEST(PlaylistTree, ProviderOrderAndUngroupedLast) {
  auto channel = [](std::u16string name, std::u16string group) {
    CChannel c;
    c.name = std::move(name);
    c.genre = std::move(group);
    return c;
  };
  const std::vector<CChannel> first{channel(u"z1", u"Спорт"), channel(u"loose", u""), channel(u"a1", u"Кино"),
                                    channel(u"z2", u"Спорт")};
  const std::vector<CChannel> second{};
  const std::vector<ChannelSource> sources{{u"tv.m3u", first}, {u"empty.m3u", second}};
  const auto tree = BuildPlaylistTree(sources);
  EXPECT_EQ(Shape(tree), (std::vector<std::string>{"tv.m3u(4)", "  Спорт(2)", "    z1", "    z2", "  Кино(1)",
                                                   "    a1", "  loose", "empty.m3u(0)"}));
  EXPECT_EQ(tree[0].children[0].children[1].channel, &first[3]);
  EXPECT_EQ(tree[0].children[2].channel, &first[1]);
  EXPECT_EQ(tree[0].children[0].channel, nullptr);
}

}  // namespace
}  // namespace vantrel
