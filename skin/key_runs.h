#pragma once
// The shape of a colour-keyed image as rectangles, without any toolkit.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace vantrel {

// Pure magenta: pixels of (about) this colour lie outside a skin image's shape.
inline constexpr uint32_t kKeyMagenta = 0xFF00FF;

// A half-open rectangle [left, right) x [top, bottom).
struct RunRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const RunRect&, const RunRect&) = default;
};

// Rectangles are handed over this many at a time, so no single batch grows without bound.
inline constexpr size_t kRunBatchSize = 2000;

// True when each of red, green and blue lies in [key value, key value + 16] (capped at 255).
// Colours are 0x..RRGGBB; the top byte is ignored.
bool IsKeyColour(uint32_t colour, uint32_t key);

// Walks rows from the top (y = 0) and reports every maximal run of non-key pixels of a row as the
// one-pixel-high rectangle (x0, y, x1, y + 1). `pixels` are 32-bit 0x..RRGGBB, `stride` in bytes.
// Runs are handed to `flush` in order, in batches of at most `batchSize`; returns the run count.
size_t WalkOpaqueRuns(const uint32_t* pixels, int width, int height, size_t stride, uint32_t key,
                      const std::function<void(std::span<const RunRect>)>& flush,
                      size_t batchSize = kRunBatchSize);

// Joins consecutive rows whose runs are identical into taller rectangles (same set of pixels,
// far fewer rectangles for shapes with straight sides). Input in walk order; output stays banded:
// sorted by top, then left, all rectangles of a band sharing top and bottom.
std::vector<RunRect> MergeRowBands(std::span<const RunRect> runs);

}  // namespace vantrel
