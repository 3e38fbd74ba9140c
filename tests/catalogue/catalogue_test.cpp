#include <gtest/gtest.h>

#include "base/program_path.h"
#include "catalogue/base64.h"
#include "tests/catalogue/catalogue_test_support.h"

namespace vantrel {
namespace {

using namespace testing;

class Catalogue : public ::testing::Test {
 protected:
  bool Load(std::u16string_view xml) {
    WriteCatalogue(dir / "channels.dat", xml);
    return list.LoadChannels();
  }
  TempFolder dir;
  CChannelList list{dir / "channels.dat", dir / "favorites.xml"};
};

// Every field arrives: attributes, child elements in any order, Cyrillic through the code page.
TEST_F(Catalogue, ReadsAllNineFields) {
  ASSERT_TRUE(Load(uR"(<?xml version="1.0" encoding="windows-1251"?>
<channels version="42">
  <channel id="7" name="Первый канал" type="3" URL="mms://tv/1 a">
    <BPS> 300kbit</BPS><site_URL>http://site/</site_URL><country>Россия</country>
    <genre>Новости</genre><description>Две
строки &amp; знак</description><genre>ignored second</genre>
  </channel>
</channels>)"));
  EXPECT_EQ(list.version, 42);
  ASSERT_EQ(list.channels.size(), 1u);
  const CChannel expected{7, 3, 300, u"Первый канал", u"mms://tv/1 a", u"http://site/", u"Две\nстроки & знак", u"Новости",
                          u"Россия"};
  EXPECT_EQ(list.channels[0], expected);
  EXPECT_TRUE(Consistent(list));
}

// A channel lacking one of id, name, type or URL is skipped; an empty URL is kept; other
// nodes of the root are not channels.
TEST_F(Catalogue, RequiredAttributesDecide) {
  ASSERT_TRUE(Load(uR"(<channels version="1">text<!-- note -->
  <channel id="1" name="no url" type="1"/>
  <channel name="no id" type="1" URL="x"/>
  <channel id="2" type="1" URL="x"/>
  <channel id="3" name="no type" URL="x"/>
  <channel id="4" name="empty url" type="1" URL=""/>
  <station id="5" name="any element name" type="1" URL="y"/>
</channels>)"));
  ASSERT_EQ(list.channels.size(), 2u);
  EXPECT_EQ(list.channels[0].name, u"empty url");
  EXPECT_EQ(list.channels[0].URL, u"");
  EXPECT_EQ(list.channels[0].BPS, 0);
  EXPECT_EQ(list.channels[1].name, u"any element name");
}

// Versions: none means failure with version 0; text without digits gives 0 and loads.
TEST_F(Catalogue, VersionAttribute) {
  ASSERT_TRUE(Load(u"<channels version=\"12\"/>"));
  EXPECT_EQ(list.version, 12);
  EXPECT_FALSE(Load(u"<channels>" + Channel(1, u"a", u"c", u"g") + u"</channels>"));
  EXPECT_EQ(list.version, 0);
  EXPECT_TRUE(list.channels.empty());
  ASSERT_TRUE(Load(u"<channels version=\"v2\">" + Channel(1, u"a", u"c", u"g") + u"</channels>"));
  EXPECT_EQ(list.version, 0);
  EXPECT_EQ(list.channels.size(), 1u);
  ASSERT_TRUE(Load(u"<channels version=\" -7th\"/>"));
  EXPECT_EQ(list.version, -7);
}

// Failures before the version is read keep the old version and leave no channels.
TEST_F(Catalogue, FailuresKeepTheVersionAndEmptyTheCatalogue) {
  ASSERT_TRUE(Load(u"<channels version=\"5\">" + Channel(1, u"a", u"c", u"g") + u"</channels>"));
  list.favorites.push_back(list.channels[0]);
  for (const std::u16string& bad : {std::u16string(u"<channels version=\"6\">"), std::u16string(u"<other version=\"6\"/>")}) {
    EXPECT_FALSE(Load(bad));
    EXPECT_EQ(list.version, 5);
    EXPECT_TRUE(list.channels.empty());
    EXPECT_TRUE(list.countryCounts.empty());
    EXPECT_TRUE(list.channelIndex.empty());
    EXPECT_EQ(list.favorites.size(), 1u);
  }
  std::filesystem::remove(dir / "channels.dat");
  EXPECT_FALSE(list.LoadChannels());
  EXPECT_EQ(list.LoadCatalogue(), CatalogueStatus::kCannotOpen);
  WriteBytes(dir / "channels.dat", "not a zip at all");
  EXPECT_EQ(list.LoadCatalogue(), CatalogueStatus::kCannotOpen);
  EXPECT_EQ(list.version, 5);
}

// A catalogue using an entity XML does not define is not well-formed and loads nothing.
TEST_F(Catalogue, UndefinedEntityFailsTheLoad) {
  EXPECT_FALSE(Load(u"<channels version=\"2\"><channel id=\"1\" name=\"a&nbsp;b\" type=\"1\" URL=\"u\"/></channels>"));
  EXPECT_EQ(list.LoadCatalogue(), CatalogueStatus::kBadXml);
  EXPECT_TRUE(list.channels.empty());
  ASSERT_TRUE(Load(u"<channels version=\"2\"><channel id=\"1\" name=\"a&amp;b&#160;c\" type=\"1\" URL=\"u\"/></channels>"));
  EXPECT_EQ(list.channels.at(0).name, u"a&b\u00A0c");
}

// The archive must hold exactly one member.
TEST_F(Catalogue, MemberCount) {
  const std::string text = Base64Encode("<channels version=\"1\"/>");
  WriteBytes(dir / "channels.dat", MakeZip({Member("a", text), Member("b", text)}));
  EXPECT_EQ(list.LoadCatalogue(), CatalogueStatus::kNotOneMember);
  WriteBytes(dir / "channels.dat", MakeZip({Member("a", text)}, "one member, stored name irrelevant"));
  EXPECT_EQ(list.LoadCatalogue(), CatalogueStatus::kOk);
}

// Base64 broken into lines, padded, with stray characters, and text after a zero byte (in the
// member and in the decoded bytes) all read as the one unbroken text.
TEST_F(Catalogue, Base64AndZeroEndings) {
  const std::string xml = "<channels version=\"3\"><channel id=\"1\" name=\"n\" type=\"1\" URL=\"u\"/></channels>";
  std::string lined = Base64Encode(xml, 10, "\n  \t");
  lined.insert(5, "*!");
  WriteBytes(dir / "channels.dat", MakeZip({Member("m", lined + std::string("\0garbage", 8))}));
  ASSERT_TRUE(list.LoadChannels());
  EXPECT_EQ(list.channels.size(), 1u);
  WriteBytes(dir / "channels.dat", MakeZip({Member("m", Base64Encode(xml + std::string("\0<junk", 6)))}));
  EXPECT_TRUE(list.LoadChannels());
  // Only the first 655,360 bytes of the member count: a catalogue cut there is broken XML.
  WriteBytes(dir / "channels.dat",
             MakeZip({Member("m", Base64Encode(xml.substr(0, xml.size() - 11)) + std::string(kCatalogueBufferSize, '\n') +
                                      Base64Encode("</channels>"))}));
  EXPECT_EQ(list.LoadCatalogue(), CatalogueStatus::kBadXml);
}

// Duplicates are kept and counted; missing keys count under the empty text; equal keys keep
// catalogue order in the index.
TEST_F(Catalogue, CountsAndIndex) {
  ASSERT_TRUE(Load(u"<channels version=\"1\">" + Channel(1, u"x", u"C", u"G") + Channel(1, u"x", u"C", u"G") +
                   Channel(2, u"y", u"C", u"H") + u"<channel id=\"9\" name=\"bare\" type=\"1\" URL=\"\"/>" +
                   Channel(3, u"z", u"C", u"G") + u"</channels>"));
  EXPECT_EQ(list.channels.size(), 5u);
  EXPECT_EQ(list.countryCounts, (ChannelCounts{{u"", 1}, {u"C", 4}}));
  EXPECT_EQ(list.genreCounts, (ChannelCounts{{u"", 1}, {u"G", 3}, {u"H", 1}}));
  auto [begin, end] = list.IndexRange(u"C", u"G");
  std::vector<std::u16string> names;
  for (auto it = begin; it != end; ++it) names.push_back(it->name);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"x", u"x", u"z"}));
  EXPECT_EQ(list.IndexRange(u"", u"").first->name, u"bare");
  EXPECT_EQ(list.IndexRange(u"C", u"").first, list.IndexRange(u"C", u"").second);
  names.clear();
  for (const CChannel& c : list.channelIndex) names.push_back(c.name);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"bare", u"x", u"x", u"z", u"y"}));
  EXPECT_TRUE(Consistent(list));
}

// Keys order by code unit: upper-case Latin, then lower-case, then Cyrillic.
TEST_F(Catalogue, KeyOrder) {
  ASSERT_TRUE(Load(u"<channels version=\"1\">" + Channel(1, u"", u"Россия", u"") + Channel(2, u"", u"austria", u"") +
                   Channel(3, u"", u"Zambia", u"") + Channel(4, u"", u"Ab", u"") + Channel(5, u"", u"A", u"") +
                   u"</channels>"));
  std::vector<std::u16string> keys;
  for (const auto& [key, n] : list.countryCounts) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::u16string>{u"A", u"Ab", u"Zambia", u"austria", u"Россия"}));
}

// A second load leaves exactly the second file's channels and counts.
TEST_F(Catalogue, SecondLoadReplacesTheFirst) {
  ASSERT_TRUE(Load(u"<channels version=\"1\">" + Channel(1, u"old", u"A", u"G") + Channel(2, u"old2", u"B", u"G") +
                   u"</channels>"));
  ASSERT_TRUE(Load(u"<channels version=\"2\">" + Channel(3, u"new", u"C", u"H") + u"</channels>"));
  EXPECT_EQ(list.version, 2);
  ASSERT_EQ(list.channels.size(), 1u);
  EXPECT_EQ(list.countryCounts, (ChannelCounts{{u"C", 1}}));
  EXPECT_EQ(list.genreCounts, (ChannelCounts{{u"H", 1}}));
  EXPECT_EQ(list.channelIndex.size(), 1u);
}

// The process-wide store takes its paths from the program folder and starts empty.
TEST(ChannelStore, ProcessWideStore) {
  SetProgramPathForTesting("/opt/vantrel/Vantrel");
  CChannelList& store = GetChannelList();
  EXPECT_EQ(&store, &GetChannelList());
  EXPECT_EQ(store.catalogPath, std::filesystem::path("/opt/vantrel/channels.dat"));
  EXPECT_EQ(store.favoritesPath, std::filesystem::path("/opt/vantrel/favorites.xml"));
  EXPECT_EQ(store.version, 0);
  EXPECT_TRUE(store.channels.empty());
}

// Numbers read like atoi, saturating instead of overflowing.
TEST(ChannelStore, DecimalParsing) {
  EXPECT_EQ(ParseDecimal(u"  \t\n-42abc"), -42);
  EXPECT_EQ(ParseDecimal(u"+17"), 17);
  EXPECT_EQ(ParseDecimal(u"abc"), 0);
  EXPECT_EQ(ParseDecimal(u"- 5"), 0);
  EXPECT_EQ(ParseDecimal(u""), 0);
  EXPECT_EQ(ParseDecimal(u"99999999999999999999"), INT32_MAX);
  EXPECT_EQ(ParseDecimal(u"-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseDecimal(u"-99999999999"), INT32_MIN);
}

// Base64: junk skipped, short last groups, and encoding round trips for every tail length.
TEST(Base64, DecodeRules) {
  auto decode = [](std::string_view text) {
    std::string out(Base64DecodedLimit(text.size()), '\0');
    out.resize(Base64Decode(text, out.data()));
    return out;
  };
  EXPECT_EQ(decode("TWFu"), "Man");
  EXPECT_EQ(decode("T W\r\nF-u"), "Man");
  EXPECT_EQ(decode("TWE="), "Ma");
  EXPECT_EQ(decode("TWE"), "Ma");
  EXPECT_EQ(decode("TQ=="), "M");
  EXPECT_EQ(decode("TWFuT"), "Man");  // one character alone gives nothing
  EXPECT_EQ(decode("=\xFF\x80"), "");
  for (size_t n = 0; n < 12; ++n) {
    std::string bytes;
    for (size_t i = 0; i < n; ++i) bytes.push_back(static_cast<char>(i * 37 + 200));
    EXPECT_EQ(decode(Base64Encode(bytes, 4, "\r\n")), bytes) << n;
  }
}

}  // namespace
}  // namespace vantrel
