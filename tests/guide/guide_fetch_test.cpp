#include <gtest/gtest.h>

#include "tests/guide/guide_server.h"
#include "updates/guide_fetch.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;

constexpr std::int64_t kHour = 3600;

std::string Guide(const std::string& title) {
  return GuideDoc(ChannelXml("one", "Первый") + ProgrammeXml("one", kDay0, kDay0 + kHour, title) +
                  ProgrammeXml("one", kDay0 + kHour, kDay0 + 2 * kHour, title + " 2"));
}

std::size_t FilesIn(const std::filesystem::path& folder) {
  std::size_t n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().filename().string().starts_with("guide-download")) ++n;
  return n;
}

// A plain fetch streams the body to a file as sent and keeps the answer's validators;
// gzip is asked for, and a body the server compressed on the way arrives compressed.
TEST(GuideFetch, FetchesToATemporaryFile) {
  CGuideServer server(Guide("Утро"));
  TempFolder dir;
  GuideFetchResult packed = FetchGuide(server.Url("/moved"), {}, dir.path(), u"test");
  ASSERT_EQ(packed.status, GuideFetchStatus::kFetched);
  EXPECT_EQ(packed.httpCode, 200);
  EXPECT_EQ(packed.validators.etag, "\"v1\"");
  EXPECT_EQ(packed.validators.lastModified, "Wed, 09 Dec 2026 00:00:00 GMT");
  EXPECT_EQ(ReadBytes(packed.file.Path()), Gzip(Guide("Утро")));

  const GuideFetchResult plain = FetchGuide(server.Url("/guide.xml"), {}, dir.path(), u"test");
  ASSERT_EQ(plain.status, GuideFetchStatus::kFetched);
  EXPECT_EQ(ReadBytes(plain.file.Path()).substr(0, 2), "\x1f\x8b");
  EXPECT_EQ(server.Requests().back().acceptEncoding, "gzip");
  EXPECT_TRUE(plain.validators.etag.empty());

  const std::filesystem::path file = packed.file.Path();
  packed = {};
  EXPECT_FALSE(std::filesystem::exists(file));
}

// Failures leave no file behind: a refusal, a body that breaks off, no server at all.
TEST(GuideFetch, FailuresLeaveNoFile) {
  TempFolder dir;
  {
    CGuideServer server(Guide("x"));
    const GuideFetchResult missing = FetchGuide(server.Url("/nothing.xml"), {}, dir.path(), u"test");
    EXPECT_EQ(missing.status, GuideFetchStatus::kHttpError);
    EXPECT_EQ(missing.httpCode, 404);
    EXPECT_EQ(FetchGuide(server.Url("/cut"), {}, dir.path(), u"test").status, GuideFetchStatus::kBroken);
    EXPECT_EQ(FilesIn(dir.path()), 0u);
  }
  EXPECT_EQ(FetchGuide("http://127.0.0.1:1/guide.xml", {}, dir.path(), u"test").status,
            GuideFetchStatus::kNotConnected);
  EXPECT_EQ(FetchGuide("http://127.0.0.1/x", {}, dir / "no-such-folder", u"test").status,
            GuideFetchStatus::kCannotWrite);
  EXPECT_EQ(FilesIn(dir.path()), 0u);
}

// Refreshing: the first time imports; then the stored validators go along and a 304 changes
// nothing; a new edition is imported; a broken transfer keeps the guide there was.
TEST(GuideFetch, RefreshUsesConditionalGet) {
  CGuideServer server(Guide("first"));
  TempFolder dir;
  CGuideStore store;
  ASSERT_TRUE(store.Open(dir.path()));
  const std::string address = server.Url("/guide.xml.gz");
  auto nowTitle = [&] {
    const GuideNowNext nn = store.NowAndNext(store.MatchChannel("one", "").channel, kDay0);
    return nn.now ? nn.now->title : "-";
  };

  GuideRefreshResult result = RefreshGuideSource(store, dir.path(), address, kDay0, u"test");
  EXPECT_EQ(result.fetch, GuideFetchStatus::kFetched);
  ASSERT_TRUE(result.imported) << result.report.error;
  EXPECT_EQ(nowTitle(), "first");
  EXPECT_EQ(store.Validators(address)->etag, "\"v1\"");

  result = RefreshGuideSource(store, dir.path(), address, kDay0, u"test");
  EXPECT_EQ(result.fetch, GuideFetchStatus::kNotModified);
  EXPECT_EQ(result.httpCode, 304);
  EXPECT_FALSE(result.imported);
  EXPECT_EQ(server.Requests().back().ifNoneMatch, "\"v1\"");
  EXPECT_EQ(server.Requests().back().ifModifiedSince, "Wed, 09 Dec 2026 00:00:00 GMT");
  EXPECT_EQ(nowTitle(), "first");

  server.Publish(Guide("second"), "\"v2\"");
  result = RefreshGuideSource(store, dir.path(), address, kDay0, u"test");
  ASSERT_TRUE(result.imported);
  EXPECT_EQ(nowTitle(), "second");
  EXPECT_EQ(store.Validators(address)->etag, "\"v2\"");

  const GuideRefreshResult cut = RefreshGuideSource(store, dir.path(), server.Url("/cut"), kDay0, u"test");
  EXPECT_EQ(cut.fetch, GuideFetchStatus::kBroken);
  EXPECT_FALSE(cut.imported);
  EXPECT_EQ(nowTitle(), "second");
  EXPECT_EQ(FilesIn(dir.path()), 0u);

  // A local file is simply read again.
  WriteBytes(dir / "local.xml", GuideDoc(ChannelXml("loc", "Local") + ProgrammeXml("loc", kDay0, kDay0 + kHour, "here")));
  ASSERT_TRUE(RefreshGuideSource(store, dir.path(), (dir / "local.xml").string(), kDay0, u"test").imported);
  EXPECT_EQ(store.NowAndNext(store.MatchChannel("loc", "").channel, kDay0).now->title, "here");
}

}  // namespace
}  // namespace vantrel
