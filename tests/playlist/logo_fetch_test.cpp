// Channel logos from addresses against a real loopback server: pictures come, anything else
// (pages, junk, oversized bodies, errors, other protocols) does not; the cache names are stable.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/media_server.h"
#include "tests/updates/zip_test_support.h"
#include "updates/logo_fetch.h"

namespace vantrel {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

const std::string kPngStart("\x89PNG\r\n\x1A\n", 8);

TEST(LogoFetch, OnlyPicturesWithinTheLimitCome) {
  TempFolder served;
  WriteBytes(served / "logo.png", kPngStart + std::string(100, 'x'));
  WriteBytes(served / "page.png", "<!DOCTYPE html><html>Not found</html>");
  WriteBytes(served / "big.png", kPngStart + std::string(kLogoMaxBytes, 'x'));
  WriteBytes(served / "empty.png", "");
  test::MediaServer server(served.path().string());

  const LogoFetch logo = FetchLogo(server.FileUrl("logo.png"));
  EXPECT_EQ(logo.status, LogoFetchStatus::kFetched);
  EXPECT_EQ(logo.bytes, kPngStart + std::string(100, 'x'));
  EXPECT_EQ(FetchLogo(server.FileUrl("page.png")).status, LogoFetchStatus::kNotPicture);
  EXPECT_EQ(FetchLogo(server.FileUrl("empty.png")).status, LogoFetchStatus::kNotPicture);
  const LogoFetch big = FetchLogo(server.FileUrl("big.png"));
  EXPECT_EQ(big.status, LogoFetchStatus::kTooLarge);
  EXPECT_TRUE(big.bytes.empty());
  EXPECT_EQ(FetchLogo(server.FileUrl("missing.png")).status, LogoFetchStatus::kHttpError);
  // A playlist must not make the program read local files.
  EXPECT_EQ(FetchLogo("file://" + (served / "logo.png").string()).status, LogoFetchStatus::kNotConnected);
  EXPECT_EQ(FetchLogo("").status, LogoFetchStatus::kNotConnected);
}

TEST(LogoFetch, PictureSniffing) {
  EXPECT_TRUE(LooksLikePicture(kPngStart));
  EXPECT_TRUE(LooksLikePicture("\xFF\xD8\xFF\xE0"));
  EXPECT_TRUE(LooksLikePicture("GIF89a..."));
  EXPECT_TRUE(LooksLikePicture("BM" + std::string(60, '\0')));
  EXPECT_FALSE(LooksLikePicture("BM"));  // shorter than a bitmap's headers
  EXPECT_FALSE(LooksLikePicture("<svg xmlns=\"http://www.w3.org/2000/svg\"/>"));
  EXPECT_FALSE(LooksLikePicture(""));
}

// One file per address, named the same in every run, written whole.
TEST(LogoFetch, CacheFiles) {
  TempFolder dir;
  const auto folder = dir / "logos";
  const auto a = LogoCacheFile(folder, "http://x/a.png");
  EXPECT_EQ(a, LogoCacheFile(folder, "http://x/a.png"));
  EXPECT_NE(a, LogoCacheFile(folder, "http://x/b.png"));
  EXPECT_EQ(a.parent_path(), folder);
  EXPECT_EQ(a.filename().string().size(), 16u + 5u);
  EXPECT_TRUE(StoreLogo(folder, "http://x/a.png", kPngStart));
  EXPECT_EQ(ReadBytes(a), kPngStart);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

}  // namespace
}  // namespace vantrel
