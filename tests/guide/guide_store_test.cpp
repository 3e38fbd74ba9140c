#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "catalogue/guide/guide_store.h"
#include "tests/guide/guide_test_support.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;

constexpr std::int64_t kHour = 3600;

// A guide of one channel "a" with programmes every hour from kDay0 + first hour, titled by
// `prefix` and their hour.
std::string HourlyGuide(const std::string& prefix, int first, int count) {
  std::string body = ChannelXml("a", "Alpha");
  for (int h = first; h < first + count; ++h)
    body += ProgrammeXml("a", kDay0 + h * kHour, kDay0 + (h + 1) * kHour, prefix + std::to_string(h));
  return GuideDoc(body);
}

class GuideStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(store.Open(dir.path() / "guide")) << store.Error(); }

  GuideImportReport Import(const std::string& source, const std::string& xml, std::int64_t now = kDay0,
                           std::function<bool()> cancelled = {}) {
    const std::filesystem::path file = dir / ("in-" + std::to_string(files++));
    WriteBytes(file, xml);
    GuideImportOptions options;
    options.now = now;
    options.cancelled = std::move(cancelled);
    options.validators = {"\"tag-" + source + "\"", "Wed, 09 Dec 2026 00:00:00 GMT"};
    return store.Import(source, file, options);
  }

  GuideChannelId Alpha() const { return store.MatchChannel("a", "").channel; }

  std::string NowTitle(std::int64_t when) const {
    const GuideNowNext nn = store.NowAndNext(Alpha(), when);
    return nn.now ? nn.now->title : "-";
  }

  TempFolder dir;
  CGuideStore store;
  int files = 0;
};

// Now and next: inside a programme, in a gap before the next, and after the last one.
TEST_F(GuideStoreTest, NowAndNext) {
  std::string body = ChannelXml("a", "Alpha");
  body += ProgrammeXml("a", kDay0 + 1 * kHour, kDay0 + 2 * kHour, "one");
  body += ProgrammeXml("a", kDay0 + 3 * kHour, kDay0 + 4 * kHour, "two");
  body += ProgrammeXml("a", kDay0 + 4 * kHour, kDay0 + 5 * kHour, "three");
  const GuideImportReport report = Import("s", GuideDoc(body));
  ASSERT_TRUE(report.imported) << report.error;
  EXPECT_EQ(report.programmes, 3u);

  GuideNowNext nn = store.NowAndNext(Alpha(), kDay0 + 1 * kHour);
  ASSERT_TRUE(nn.now && nn.next);
  EXPECT_EQ(nn.now->title, "one");
  EXPECT_EQ(nn.next->title, "two");
  EXPECT_EQ(nn.now->start, kDay0 + kHour);
  EXPECT_EQ(nn.now->stop, kDay0 + 2 * kHour);
  nn = store.NowAndNext(Alpha(), kDay0 + 2 * kHour);  // a stop is not part of its programme
  EXPECT_FALSE(nn.now);
  ASSERT_TRUE(nn.next);
  EXPECT_EQ(nn.next->title, "two");
  nn = store.NowAndNext(Alpha(), kDay0 + 4 * kHour);
  EXPECT_EQ(nn.now->title, "three");
  EXPECT_FALSE(nn.next);
  nn = store.NowAndNext(Alpha(), kDay0 + 5 * kHour);
  EXPECT_FALSE(nn.now || nn.next);
}

// A new import replaces the source's guide whole; an import that fails in the middle or is
// no guide at all leaves the previous one, its validators included, and other sources are
// never touched.
TEST_F(GuideStoreTest, ImportReplacesWholeOrNotAtAll) {
  ASSERT_TRUE(Import("s", HourlyGuide("old", 0, 24)).imported);
  std::string other = ChannelXml("b", "Beta") + ProgrammeXml("b", kDay0, kDay0 + kHour, "beta");
  ASSERT_TRUE(Import("t", GuideDoc(other)).imported);
  ASSERT_TRUE(Import("s", HourlyGuide("new", 2, 3)).imported);
  EXPECT_EQ(NowTitle(kDay0 + 3 * kHour), "new3");
  EXPECT_EQ(NowTitle(kDay0 + 10 * kHour), "-");
  EXPECT_EQ(store.Channels("s").size(), 1u);

  // While an import runs, another connection (the window's, opened meanwhile) still sees the
  // previous guide.
  std::string seenMeanwhile;
  int asked = 0;
  const GuideImportReport cancelled = Import("s", HourlyGuide("lost", 0, 5000), kDay0, [&] {
    CGuideStore window;
    EXPECT_TRUE(window.Open(dir.path() / "guide")) << window.Error();
    const GuideNowNext nn = window.NowAndNext(window.MatchChannel("a", "").channel, kDay0 + 3 * kHour);
    seenMeanwhile += nn.now ? nn.now->title : "-";
    return ++asked == 2;
  });
  EXPECT_FALSE(cancelled.imported);
  EXPECT_EQ(cancelled.error, "cancelled");
  EXPECT_EQ(seenMeanwhile, "new3new3");
  for (const char* junk : {"<html><body>Service unavailable</body></html>", "not xml at all", ""}) {
    const GuideImportReport refused = Import("s", junk);
    EXPECT_FALSE(refused.imported) << junk;
    EXPECT_FALSE(refused.error.empty());
  }
  GuideImportOptions options;
  options.now = kDay0;
  EXPECT_FALSE(store.Import("s", dir / "missing.xml", options).imported);

  EXPECT_EQ(NowTitle(kDay0 + 3 * kHour), "new3");
  EXPECT_EQ(store.Validators("s")->etag, "\"tag-s\"");
  const GuideMatch beta = store.MatchChannel("b", "");
  ASSERT_TRUE(beta);
  EXPECT_EQ(store.NowAndNext(beta.channel, kDay0).now->title, "beta");

  // A guide that breaks off after some programmes is what the source has: it is taken.
  const std::string broken = HourlyGuide("part", 0, 10);
  const GuideImportReport partial = Import("s", broken.substr(0, broken.find("part7")));
  EXPECT_TRUE(partial.imported);
  EXPECT_EQ(partial.read.status, XmltvStatus::kBroken);
  EXPECT_EQ(partial.programmes, 7u);
  EXPECT_NE(partial.error.find("broken"), std::string::npos);
}

// Overlapping programmes and ones without an end are left out with their reason; stops that
// are missing are taken from the next start.
TEST_F(GuideStoreTest, TimelineIsCleanedOnImport) {
  std::string body = ChannelXml("a", "Alpha");
  body += ProgrammeXml("a", kDay0 + 1 * kHour, kDay0 + 3 * kHour, "long");
  body += ProgrammeXml("a", kDay0 + 2 * kHour, kDay0 + 4 * kHour, "inside");
  body += "<programme start=\"" + XmltvTime(kDay0 + 3 * kHour) + "\" channel=\"a\"><title>open</title></programme>";
  body += ProgrammeXml("a", kDay0 + 5 * kHour, kDay0 + 6 * kHour, "after");
  body += "<programme start=\"" + XmltvTime(kDay0 + 7 * kHour) + "\" channel=\"a\"><title>end</title></programme>";
  const GuideImportReport report = Import("s", GuideDoc(body));
  ASSERT_TRUE(report.imported);
  EXPECT_EQ(report.programmes, 3u);
  EXPECT_EQ(report.dropsByReason.size(), 2u);
  ASSERT_EQ(report.drops.size(), 2u);
  EXPECT_EQ(report.drops[0].title, "inside");
  EXPECT_EQ(report.drops[1].title, "end");
  const GuideNowNext nn = store.NowAndNext(Alpha(), kDay0 + 4 * kHour);
  ASSERT_TRUE(nn.now);
  EXPECT_EQ(nn.now->title, "open");
  EXPECT_EQ(nn.now->stop, kDay0 + 5 * kHour);
}

// Programmes that ended before yesterday are not kept at import, and pruning later removes
// those that have since become that old.
TEST_F(GuideStoreTest, PastIsPruned) {
  const GuideImportReport report = Import("s", HourlyGuide("p", -72, 96), kDay0);
  ASSERT_TRUE(report.imported);
  EXPECT_EQ(report.past, 23u);  // ended more than 48 hours before
  EXPECT_EQ(report.programmes, 73u);
  EXPECT_EQ(NowTitle(kDay0 - 48 * kHour), "p-48");
  ASSERT_TRUE(store.Prune(kDay0 + 12 * kHour));
  EXPECT_EQ(NowTitle(kDay0 - 48 * kHour), "-");
  EXPECT_EQ(NowTitle(kDay0 - 36 * kHour), "p-36");
  EXPECT_EQ(store.Channels("s")[0].programmes, 61);
}

// A day's list is the local calendar day: a programme over local midnight is in both days,
// whatever the UTC date says.
TEST_F(GuideStoreTest, DayListsFollowLocalMidnight) {
  const char* old = std::getenv("TZ");
  const std::string saved = old ? old : "";
  setenv("TZ", "Asia/Vladivostok", 1);  // UTC+10: local midnight is 14:00 UTC
  tzset();
  std::string body = ChannelXml("a", "Alpha");
  body += ProgrammeXml("a", kDay0 + 12 * kHour, kDay0 + 13 * kHour, "evening");
  body += ProgrammeXml("a", kDay0 + 13 * kHour, kDay0 + 15 * kHour, "over midnight");
  body += ProgrammeXml("a", kDay0 + 15 * kHour, kDay0 + 16 * kHour, "night");
  body += ProgrammeXml("a", kDay0 + 40 * kHour, kDay0 + 41 * kHour, "tomorrow");
  ASSERT_TRUE(Import("s", GuideDoc(body)).imported);
  auto titles = [&](TimeRange day) {
    std::string all;
    for (const GuideProgramme& p : store.Programmes(Alpha(), day)) all += p.title + ";";
    return all;
  };
  EXPECT_EQ(titles(LocalDay(kDay0 + 12 * kHour)), "evening;over midnight;");
  EXPECT_EQ(titles(LocalDay(kDay0 + 12 * kHour, 1)), "over midnight;night;");
  EXPECT_EQ(titles(LocalDay(kDay0 + 12 * kHour, 2)), "tomorrow;");
  if (old) setenv("TZ", saved.c_str(), 1);
  else unsetenv("TZ");
  tzset();
}

// The guide database is a cache: a damaged file is started afresh rather than refusing the
// guide, and a second store on the same folder sees what the first imported.
TEST_F(GuideStoreTest, DamagedDatabaseStartsAfresh) {
  ASSERT_TRUE(Import("s", HourlyGuide("p", 0, 3)).imported);
  CGuideStore reader;
  ASSERT_TRUE(reader.Open(dir.path() / "guide"));
  EXPECT_EQ(reader.NowAndNext(reader.MatchChannel("a", "").channel, kDay0).now->title, "p0");

  TempFolder other;
  WriteBytes(other / CGuideStore::kFileName, std::string(8192, 'x'));
  CGuideStore fresh;
  ASSERT_TRUE(fresh.Open(other.path())) << fresh.Error();
  EXPECT_TRUE(fresh.Sources().empty());
}

}  // namespace
}  // namespace vantrel
