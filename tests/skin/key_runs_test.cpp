#include "skin/key_runs.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vantrel;

namespace {

struct Walk {
  std::vector<RunRect> runs;
  std::vector<size_t> batchSizes;
  size_t total = 0;
};

Walk WalkImage(const std::vector<uint32_t>& pixels, int width, int height, size_t batch = kRunBatchSize) {
  Walk w;
  w.total = WalkOpaqueRuns(pixels.data(), width, height, static_cast<size_t>(width) * 4, kKeyMagenta,
                           [&](std::span<const RunRect> runs) {
                             w.batchSizes.push_back(runs.size());
                             w.runs.insert(w.runs.end(), runs.begin(), runs.end());
                           },
                           batch);
  return w;
}

}  // namespace

// The key range is [key, key + 16] per channel, capped at 255.
TEST(KeyRuns, KeyRangeBoundaries) {
  EXPECT_TRUE(IsKeyColour(0xFF00FF, kKeyMagenta));
  EXPECT_TRUE(IsKeyColour(0xFF10FF, kKeyMagenta));   // (255, 16, 255)
  EXPECT_FALSE(IsKeyColour(0xFF11FF, kKeyMagenta));  // (255, 17, 255)
  EXPECT_FALSE(IsKeyColour(0xFE00FF, kKeyMagenta));  // red below the key
  EXPECT_FALSE(IsKeyColour(0xFF00FE, kKeyMagenta));
  EXPECT_TRUE(IsKeyColour(0xAAFF00FF, kKeyMagenta)) << "the top byte is not a channel";
  EXPECT_TRUE(IsKeyColour(0x102030, 0x102030));
  EXPECT_TRUE(IsKeyColour(0x203040, 0x102030));
  EXPECT_FALSE(IsKeyColour(0x213040, 0x102030));
}

// All key: nothing; no key: one run per row covering it; mixed rows: maximal runs, top row first.
TEST(KeyRuns, RunsPerRow) {
  EXPECT_TRUE(WalkImage(std::vector<uint32_t>(12, kKeyMagenta), 4, 3).runs.empty());
  EXPECT_EQ(WalkImage(std::vector<uint32_t>(12, kKeyMagenta), 4, 3).batchSizes.size(), 0u);

  const Walk full = WalkImage(std::vector<uint32_t>(12, 0x123456), 4, 3);
  ASSERT_EQ(full.runs.size(), 3u);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(full.runs[static_cast<size_t>(y)], (RunRect{0, y, 4, y + 1}));

  const uint32_t K = kKeyMagenta, o = 0x000000, n = 0xFF10FF, m = 0xFF11FF;
  const std::vector<uint32_t> pixels = {
      K, o, o, K, o,  //
      n, n, m, n, n,  //
      o, K, K, K, K,
  };
  const Walk w = WalkImage(pixels, 5, 3);
  EXPECT_EQ(w.runs, (std::vector<RunRect>{{1, 0, 3, 1}, {4, 0, 5, 1}, {2, 1, 3, 2}, {0, 2, 1, 3}}));
  EXPECT_EQ(w.total, 4u);
}

// More runs than a batch holds: full batches, then the rest, and every run delivered once in order.
TEST(KeyRuns, BatchesCoverEveryRun) {
  const int width = 100, height = 90;  // 50 runs a row, 4500 in all
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, kKeyMagenta);
  for (size_t i = 0; i < pixels.size(); i += 2) pixels[i] = 0x00FF00;
  const Walk w = WalkImage(pixels, width, height);
  EXPECT_EQ(w.total, 4500u);
  EXPECT_EQ(w.batchSizes, (std::vector<size_t>{2000, 2000, 500}));
  ASSERT_EQ(w.runs.size(), 4500u);
  EXPECT_EQ(w.runs[2000], (RunRect{0, 40, 1, 41}));
  EXPECT_EQ(w.runs.back(), (RunRect{98, 89, 99, 90}));
}

// Rows with a stride wider than the pixels: the padding is never taken for pixels.
TEST(KeyRuns, StrideSkipsPadding) {
  const std::vector<uint32_t> rows = {0x111111, kKeyMagenta, 0x999999, 0x222222, 0x333333, 0x999999};
  std::vector<RunRect> runs;
  WalkOpaqueRuns(rows.data(), 2, 2, 12, kKeyMagenta,
                 [&](std::span<const RunRect> r) { runs.insert(runs.end(), r.begin(), r.end()); });
  EXPECT_EQ(runs, (std::vector<RunRect>{{0, 0, 1, 1}, {0, 1, 2, 2}}));
}

// Identical consecutive rows become one taller band; a differing row starts a new one.
TEST(KeyRuns, MergeRowBands) {
  const std::vector<RunRect> runs = {{0, 0, 2, 1}, {4, 0, 5, 1}, {0, 1, 2, 2}, {4, 1, 5, 2},
                                     {0, 2, 2, 3}, {0, 3, 2, 4}, {0, 5, 2, 6}};
  EXPECT_EQ(MergeRowBands(runs), (std::vector<RunRect>{{0, 0, 2, 2}, {4, 0, 5, 2}, {0, 2, 2, 4}, {0, 5, 2, 6}}));
  EXPECT_TRUE(MergeRowBands({}).empty());
}
