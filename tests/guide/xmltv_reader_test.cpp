#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/guide/guide_bytes.h"
#include "catalogue/guide/xmltv_reader.h"
#include "catalogue/guide/xmltv_time.h"
#include "tests/guide/guide_test_support.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;

struct Read {
  XmltvResult result;
  std::vector<XmltvChannel> channels;
  std::vector<XmltvProgramme> programmes;
  std::vector<std::pair<XmltvDrop, std::string>> drops;  // why, title
};

XmltvSink Collect(Read& read) {
  return {[&](XmltvChannel&& c) { return read.channels.push_back(std::move(c)), true; },
          [&](XmltvProgramme&& p) { return read.programmes.push_back(std::move(p)), true; },
          [&](XmltvDrop why, const XmltvProgramme& p, std::uint64_t) { read.drops.emplace_back(why, p.title); }};
}

Read ReadBytes(std::string_view bytes, const XmltvLimits& limits = {}) {
  Read read;
  read.result = ReadXmltvBytes(bytes, Collect(read), limits);
  return read;
}

// Offsets are applied, fields may be left off from the right, no offset means UTC, and
// anything out of range or trailing is refused rather than guessed at.
TEST(XmltvTime, ParsesOffsetsAndShortForms) {
  EXPECT_EQ(ParseXmltvTime("20240301120000 +0300"), 1709283600);
  EXPECT_EQ(ParseXmltvTime("20240301120000+0300"), 1709283600);
  EXPECT_EQ(ParseXmltvTime("20240301090000"), 1709283600);
  EXPECT_EQ(ParseXmltvTime("20240301090000 +0000"), 1709283600);
  EXPECT_EQ(ParseXmltvTime("20240301013000 +0200"), 1709249400);  // the day before in UTC: Feb 29
  EXPECT_EQ(ParseXmltvTime("20240229220000 -0130"), 1709249400);
  EXPECT_EQ(ParseXmltvTime("202403010900"), 1709283600);
  EXPECT_EQ(ParseXmltvTime("2024030109 +0000"), 1709283600);
  EXPECT_EQ(ParseXmltvTime("20240301"), 1709251200);
  for (const char* bad : {"", "2024", "2024030112000", "20241301120000", "20230229120000", "20240301250000",
                          "20240301120000 +03", "20240301120000 0300", "20240301120000 +0300 x", "20240301120000 +2400",
                          "2024-03-01 12:00", "20240301120000 UTC"})
    EXPECT_FALSE(ParseXmltvTime(bad)) << bad;
}

// Local days follow the zone's calendar: a daylight-saving change makes a 23-hour day, and a
// moment just before local midnight belongs to the day before.
TEST(XmltvTime, LocalDaysFollowTheZone) {
  const char* old = std::getenv("TZ");
  const std::string saved = old ? old : "";
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  const auto spring = *ParseXmltvTime("20240331120000 +0200");
  const TimeRange day = LocalDay(spring);
  EXPECT_EQ(day.from, *ParseXmltvTime("20240331000000 +0100"));
  EXPECT_EQ(day.to - day.from, 23 * 3600);
  const TimeRange before = LocalDay(*ParseXmltvTime("20240330235959 +0100"));
  EXPECT_EQ(before.to, day.from);
  EXPECT_EQ(LocalDay(spring, -1).from, before.from);
  EXPECT_EQ(LocalDay(spring, 1).from, day.to);
  if (old) setenv("TZ", saved.c_str(), 1);
  else unsetenv("TZ");
  tzset();
}

// Channels keep their names in order; of several languages the Russian text wins wherever
// it stands, else the first; entities, CDATA and surrounding blanks are dealt with.
TEST(XmltvReader, ChannelsProgrammesAndLanguages) {
  const Read read = ReadBytes(GuideDoc(
      "<channel id=\" one \"><display-name lang=\"en\">One</display-name><display-name lang=\"ru\">Первый</display-name>"
      "<icon src=\"x\"/></channel>\n"
      "<programme start=\"20261209060000 +0300\" stop=\"20261209070000 +0300\" channel=\"one\">"
      "<title lang=\"en\">Morning</title><title lang=\"ru\">  Утро  </title><title lang=\"de\">Morgen</title>"
      "<sub-title lang=\"de\">Teil 1</sub-title><sub-title lang=\"en\">Episode 1</sub-title>"
      "<desc lang=\"ru-RU\">Новости &amp; <![CDATA[<погода>]]></desc>"
      "<credits><actor>Not a title</actor></credits><category lang=\"en\">News</category></programme>\n"));
  ASSERT_EQ(read.result.status, XmltvStatus::kOk);
  ASSERT_EQ(read.channels.size(), 1u);
  EXPECT_EQ(read.channels[0].id, "one");
  EXPECT_EQ(read.channels[0].displayNames, (std::vector<std::string>{"One", "Первый"}));
  ASSERT_EQ(read.programmes.size(), 1u);
  const XmltvProgramme& p = read.programmes[0];
  EXPECT_EQ(p.channel, "one");
  EXPECT_EQ(p.start, kDay0 + 3 * 3600);
  EXPECT_EQ(p.stop, kDay0 + 4 * 3600);
  EXPECT_EQ(p.title, "Утро");
  EXPECT_EQ(p.subTitle, "Teil 1");
  EXPECT_EQ(p.description, "Новости & <погода>");
  EXPECT_EQ(p.category, "News");
}

// Programmes that cannot be placed are reported and left out; the rest goes on. A missing
// stop is no fault of its own (the store ends it at the next start).
TEST(XmltvReader, DropsWhatCannotBePlaced) {
  const Read read = ReadBytes(GuideDoc(
      "<programme start=\"20261209060000\" stop=\"20261209050000\" channel=\"a\"><title>back</title></programme>"
      "<programme start=\"20261209060000\" stop=\"20261209060000\" channel=\"a\"><title>empty</title></programme>"
      "<programme start=\"yesterday\" stop=\"20261209060000\" channel=\"a\"><title>bad start</title></programme>"
      "<programme stop=\"20261209060000\" channel=\"a\"><title>no start</title></programme>"
      "<programme start=\"20261209060000\" stop=\"soon\" channel=\"a\"><title>bad stop</title></programme>"
      "<programme start=\"20261209060000\" stop=\"20261209070000\"><title>no channel</title></programme>"
      "<programme start=\"20261209060000\" channel=\"a\"><title>open</title></programme>"));
  EXPECT_EQ(read.result.status, XmltvStatus::kOk);
  ASSERT_EQ(read.programmes.size(), 1u);
  EXPECT_EQ(read.programmes[0].title, "open");
  EXPECT_EQ(read.programmes[0].stop, kNoStop);
  EXPECT_EQ(read.result.dropped, 6u);
  const std::vector<std::pair<XmltvDrop, std::string>> expected = {
      {XmltvDrop::kBackwards, "back"},  {XmltvDrop::kBackwards, "empty"},   {XmltvDrop::kBadStart, "bad start"},
      {XmltvDrop::kBadStart, "no start"}, {XmltvDrop::kBadStop, "bad stop"}, {XmltvDrop::kNoChannel, "no channel"}};
  EXPECT_EQ(read.drops, expected);
}

// A document that breaks off keeps everything before the break, plain or compressed, and
// says where it broke; a document that is not a guide at all hands on nothing.
TEST(XmltvReader, BrokenDocumentsKeepWhatCameBefore) {
  std::string body;
  for (int i = 0; i < 3; ++i) body += ProgrammeXml("a", kDay0 + i * 3600, kDay0 + (i + 1) * 3600, "p" + std::to_string(i));
  const std::string whole = GuideDoc(body + ProgrammeXml("a", kDay0 + 4 * 3600, kDay0 + 5 * 3600, "last"));
  const std::string cut = whole.substr(0, whole.find("last") + 2);
  for (const std::string& bytes : {cut, Gzip(cut), Gzip(whole).substr(0, Gzip(whole).size() - 12),
                                   whole.substr(0, whole.find("last")) + "</titel></programme></tv>"}) {
    const Read read = ReadBytes(bytes);
    EXPECT_EQ(read.result.status, XmltvStatus::kBroken);
    EXPECT_FALSE(read.result.error.empty());
    ASSERT_GE(read.programmes.size(), 3u);
    EXPECT_EQ(read.programmes[2].title, "p2");
  }
  EXPECT_EQ(ReadBytes(cut).result.line, 7u);

  EXPECT_EQ(ReadBytes("<html><body>404</body></html>").result.status, XmltvStatus::kNotXmltv);
  EXPECT_EQ(ReadBytes("").result.status, XmltvStatus::kBroken);
  EXPECT_EQ(ReadBytes(std::string("\x1f\x8b", 2)).result.status, XmltvStatus::kBroken);
  // Entity declarations are how expansion bombs start: refused before any expansion.
  const Read bomb = ReadBytes("<!DOCTYPE tv [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]><tv>&b;</tv>");
  EXPECT_EQ(bomb.result.status, XmltvStatus::kBroken);
  EXPECT_TRUE(bomb.programmes.empty());
  // A tag that never ends is not buffered without bound.
  const Read endless = ReadBytes("<tv>" + ProgrammeXml("a", kDay0, kDay0 + 60, "kept") + "<programme title=\"" +
                                 std::string(20 << 20, 'x'));
  EXPECT_EQ(endless.result.status, XmltvStatus::kBroken);
  EXPECT_EQ(endless.result.error, "a tag or comment is too long");
  EXPECT_EQ(endless.programmes.size(), 1u);
}

// Texts are cut at the limit without splitting a character; the counts and the total size
// stop the reading with what was read so far kept.
TEST(XmltvReader, SizesAreBounded) {
  XmltvLimits limits;
  limits.maxTextBytes = 9;  // four Cyrillic letters and a half
  limits.maxDisplayNames = 2;
  const Read cut = ReadBytes(GuideDoc("<channel id=\"c\"><display-name>1</display-name><display-name>2</display-name>"
                                      "<display-name>3</display-name></channel>"
                                      "<programme start=\"20261209060000\" channel=\"c\"><title>Длинное</title>"
                                      "<desc>" + std::string(100000, 'x') + "</desc></programme>"),
                             limits);
  ASSERT_EQ(cut.programmes.size(), 1u);
  EXPECT_EQ(cut.programmes[0].title, "Длин");
  EXPECT_EQ(cut.programmes[0].description, std::string(9, 'x'));
  EXPECT_EQ(cut.channels[0].displayNames.size(), 2u);

  std::string body;
  for (int i = 0; i < 50; ++i) body += ProgrammeXml("a", kDay0 + i * 60, kDay0 + (i + 1) * 60, "p");
  XmltvLimits few;
  few.maxProgrammes = 10;
  const Read counted = ReadBytes(GuideDoc(body), few);
  EXPECT_EQ(counted.result.status, XmltvStatus::kTooLarge);
  EXPECT_EQ(counted.programmes.size(), 10u);
  XmltvLimits small;
  small.maxDocumentBytes = 4000;
  for (const std::string& bytes : {GuideDoc(body), Gzip(GuideDoc(body))}) {
    const Read sized = ReadBytes(bytes, small);
    EXPECT_EQ(sized.result.status, XmltvStatus::kTooLarge);
    EXPECT_GT(sized.programmes.size(), 5u);
    EXPECT_LT(sized.programmes.size(), 50u);
  }
}

// Files are read in chunks, plain or gzip (also several gzip members one after another),
// and give the same programmes either way; Windows-1251 guides are understood.
TEST(XmltvReader, FilesPlainGzipAndCodePage) {
  TempFolder dir;
  std::string body;
  for (int i = 0; i < 6000; ++i)
    body += ProgrammeXml("ch" + std::to_string(i % 7), kDay0 + i * 60, kDay0 + i * 60 + 60, "Передача " + std::to_string(i));
  const std::string doc = GuideDoc(body);
  ASSERT_GT(doc.size(), 2 * CGuideBytes::kChunkBytes);
  const std::string half = doc.substr(0, doc.size() / 2);
  WriteBytes(dir / "plain.xml", doc);
  WriteBytes(dir / "packed.xml.gz", Gzip(doc));
  WriteBytes(dir / "members.gz", Gzip(half) + Gzip(doc.substr(half.size())));
  for (const char* name : {"plain.xml", "packed.xml.gz", "members.gz"}) {
    Read read;
    read.result = ReadXmltvFile(dir / name, Collect(read));
    EXPECT_EQ(read.result.status, XmltvStatus::kOk) << name;
    ASSERT_EQ(read.programmes.size(), 6000u) << name;
    EXPECT_EQ(read.programmes[5999].title, "Передача 5999");
  }
  Read missing;
  EXPECT_EQ(ReadXmltvFile(dir / "none.xml", Collect(missing)).status, XmltvStatus::kCannotOpen);

  const std::string cp1251 = "<?xml version=\"1.0\" encoding=\"windows-1251\"?><tv><channel id=\"c\"><display-name>"
                             "\xCF\xE5\xF0\xE2\xFB\xE9 \xB8</display-name></channel></tv>";
  const Read coded = ReadBytes(cp1251);
  ASSERT_EQ(coded.channels.size(), 1u);
  EXPECT_EQ(coded.channels[0].displayNames[0], "Первый ё");
}

}  // namespace
}  // namespace vantrel
