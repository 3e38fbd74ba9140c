// Damaged archives of every kind must be rejected or fail their own extraction, never read out
// of bounds (this suite runs under AddressSanitizer in CI) and never deliver more than declared.
#include <gtest/gtest.h>

#include <random>

#include "tests/updates/zip_test_support.h"
#include "updates/zip/zip_archive.h"

namespace vantrel {
namespace {

using namespace testing;

std::string SampleArchive() {
  auto folder = Member("dir/", "");
  folder.folder = true;
  return MakeZip({Member("stored", "stored bytes", false), Member("deflated", SampleText(3000, 3)), folder,
                  Member("dir/unix", "#!", true)},
                 "comment");
}

// Opens and drains everything the archive claims to hold.
void Exercise(const TempFolder& dir, std::string_view bytes) {
  WriteBytes(dir / "m.zip", bytes);
  auto archive = ZipArchive::Open(dir / "m.zip");
  if (!archive) return;
  ZipEntryInfo info;
  archive->GetEntry(-1, info);
  const int count = std::min(info.index, 8);
  for (int i = 0; i < count; ++i) {
    if (archive->GetEntry(i, info) != kZipOk) continue;
    char buffer[4096];
    size_t delivered = 0, total = 0;
    for (int calls = 0; calls < 64 && archive->ExtractToMemory(i, buffer, sizeof buffer, &delivered) == kZipMore; ++calls)
      total += delivered;
    EXPECT_LE(total, info.uncompressedSize);
    archive->ExtractToFile(i, dir / "out" / "x");
  }
}

TEST(ZipMalformed, TruncatedArchives) {
  TempFolder dir(true);
  std::filesystem::create_directories(dir / "out");
  const std::string zip = SampleArchive();
  for (size_t size = 0; size < zip.size(); ++size) {
    Exercise(dir, std::string_view(zip).substr(0, size));
    Exercise(dir, std::string_view(zip).substr(size));  // front missing: offsets point nowhere
  }
}

TEST(ZipMalformed, RandomlyDamagedArchives) {
  TempFolder dir(true);
  std::filesystem::create_directories(dir / "out");
  const std::string zip = SampleArchive();
  std::mt19937 rng(20240601);
  const uint8_t extremes[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = zip;
    const int changes = 1 + static_cast<int>(rng() % 4);
    for (int c = 0; c < changes; ++c) {
      const size_t at = rng() % bytes.size();
      bytes[at] = static_cast<char>(rng() % 2 ? extremes[rng() % 6] : rng() % 256);
    }
    Exercise(dir, bytes);
  }
}

}  // namespace
}  // namespace vantrel
