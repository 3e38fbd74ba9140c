#include <gtest/gtest.h>

#include <atomic>

#include "tests/guide/guide_server.h"
#include "updates/guide_fetch.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;

// A transfer the caller gives up on ends as cancelled, leaves no file, and a refresh given up
// keeps the guide there was.
TEST(GuideFetch, CancelledTransferKeepsTheGuide) {
  const std::string xml =
      GuideDoc(ChannelXml("one", "Первый") + ProgrammeXml("one", kDay0, kDay0 + 3600, "Утро"));
  CGuideServer server(xml);
  TempFolder dir;
  std::atomic<int> asked{0};
  const GuideFetchResult fetched = FetchGuide(server.Url("/guide.xml.gz"), {}, dir.path(), u"test", [&] {
    ++asked;
    return true;
  });
  EXPECT_EQ(fetched.status, GuideFetchStatus::kCancelled);
  EXPECT_GT(asked.load(), 0);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

  CGuideStore store;
  ASSERT_TRUE(store.Open(dir / "store"));
  const std::string address = server.Url("/guide.xml.gz");
  ASSERT_TRUE(RefreshGuideSource(store, dir / "store", address, kDay0, u"test").imported);
  server.Publish(GuideDoc(ChannelXml("one", "Первый") + ProgrammeXml("one", kDay0, kDay0 + 3600, "Другое")), "\"v2\"");
  const GuideRefreshResult given = RefreshGuideSource(store, dir / "store", address, kDay0, u"test", [] { return true; });
  EXPECT_EQ(given.fetch, GuideFetchStatus::kCancelled);
  EXPECT_FALSE(given.imported);
  const GuideNowNext kept = store.NowAndNext(store.MatchChannel("one", "").channel, kDay0);
  ASSERT_TRUE(kept.now);
  EXPECT_EQ(kept.now->title, "Утро");
}

}  // namespace
}  // namespace vantrel
