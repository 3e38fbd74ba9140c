#include "skin/key_runs.h"

#include <algorithm>
#include <vector>

namespace vantrel {
namespace {

struct KeyRange {
  uint8_t lo[3], hi[3];
  explicit KeyRange(uint32_t key) {
    for (int c = 0; c < 3; ++c) {
      const int v = static_cast<int>((key >> (8 * c)) & 0xFF);
      lo[c] = static_cast<uint8_t>(v);
      hi[c] = static_cast<uint8_t>(std::min(v + 16, 255));
    }
  }
  bool Contains(uint32_t colour) const {
    for (int c = 0; c < 3; ++c) {
      const uint8_t v = static_cast<uint8_t>(colour >> (8 * c));
      if (v < lo[c] || v > hi[c]) return false;
    }
    return true;
  }
};

}  // namespace

bool IsKeyColour(uint32_t colour, uint32_t key) { return KeyRange(key).Contains(colour); }

size_t WalkOpaqueRuns(const uint32_t* pixels, int width, int height, size_t stride, uint32_t key,
                      const std::function<void(std::span<const RunRect>)>& flush, size_t batchSize) {
  if (pixels == nullptr || width <= 0 || height <= 0) return 0;
  batchSize = std::max<size_t>(batchSize, 1);
  const KeyRange range(key);
  std::vector<RunRect> batch;
  batch.reserve(std::min<size_t>(batchSize, 4096));
  size_t total = 0;
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(pixels) + y * stride);
    int x = 0;
    while (x < width) {
      while (x < width && range.Contains(row[x])) ++x;
      if (x == width) break;
      const int x0 = x;
      while (x < width && !range.Contains(row[x])) ++x;
      batch.push_back(RunRect{x0, y, x, y + 1});
      ++total;
      if (batch.size() == batchSize) {
        flush(batch);
        batch.clear();
      }
    }
  }
  if (!batch.empty()) flush(batch);
  return total;
}

std::vector<RunRect> MergeRowBands(std::span<const RunRect> runs) {
  std::vector<RunRect> out;
  out.reserve(runs.size());
  size_t bandStart = 0, bandCount = 0;  // the last band in `out`
  for (size_t i = 0; i < runs.size();) {
    size_t j = i;
    while (j < runs.size() && runs[j].top == runs[i].top) ++j;
    const size_t count = j - i;
    bool same = bandCount == count && out[bandStart].bottom == runs[i].top;
    for (size_t k = 0; same && k < count; ++k)
      same = out[bandStart + k].left == runs[i + k].left && out[bandStart + k].right == runs[i + k].right;
    if (same) {
      for (size_t k = 0; k < count; ++k) out[bandStart + k].bottom = runs[i + k].bottom;
    } else {
      bandStart = out.size();
      bandCount = count;
      out.insert(out.end(), runs.begin() + static_cast<std::ptrdiff_t>(i), runs.begin() + static_cast<std::ptrdiff_t>(j));
    }
    i = j;
  }
  return out;
}

}  // namespace vantrel
