// Bitmap files the way the skin engine takes them: a mapped file, a bare info-header block and
// a stream, each decoded to pixels and walked for the window shape; what the stream reader
// accepts is written back and must read again.
#include <cstddef>
#include <cstdint>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "skin/bmp_format.h"
#include "skin/key_runs.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

using namespace vantrel;

void DecodeAndWalk(const BmpLayout& layout, const uint8_t* block) {
  const auto width = static_cast<size_t>(layout.width);
  std::vector<uint32_t> pixels(width * static_cast<size_t>(layout.height));
  DecodeBmpPixels(layout, block, pixels.data(), width * sizeof(uint32_t));
  std::vector<RunRect> runs;
  size_t batches = 0;
  const size_t count = WalkOpaqueRuns(pixels.data(), layout.width, layout.height, width * sizeof(uint32_t), kKeyMagenta,
                                      [&](std::span<const RunRect> batch) {
                                        fuzz::Expect(!batch.empty() && batch.size() <= 7);
                                        runs.insert(runs.end(), batch.begin(), batch.end());
                                        ++batches;
                                      }, 7);
  fuzz::Expect(count == runs.size());
  uint64_t area = 0;
  for (const RunRect& r : MergeRowBands(runs)) {
    fuzz::Expect(r.left < r.right && r.top < r.bottom && r.left >= 0 && r.right <= layout.width && r.bottom <= layout.height);
    area += uint64_t(r.right - r.left) * uint64_t(r.bottom - r.top);
  }
  uint64_t runArea = 0;
  for (const RunRect& r : runs) runArea += uint64_t(r.right - r.left);
  fuzz::Expect(area == runArea);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BmpLayout layout;
  if (ParseBmpFile({data, size}, layout) == BmpStatus::Ok) DecodeAndWalk(layout, data + kBmpFileHeaderSize);
  if (ParseBmpInfo(data, size, layout) == BmpStatus::Ok) DecodeAndWalk(layout, data);

  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  BmpData bmp;
  if (ReadBmp(in, bmp) != BmpStatus::Ok) return 0;
  std::vector<uint8_t> block = bmp.header;
  block.insert(block.end(), bmp.pixels.begin(), bmp.pixels.end());
  DecodeAndWalk(bmp.layout, block.data());
  std::ostringstream out;
  fuzz::Expect(WriteBmp(out, bmp.layout, block.data(), block.data() + bmp.layout.pixelOffset) == BmpStatus::Ok);
  const std::string written = out.str();
  BmpLayout again;
  fuzz::Expect(ParseBmpFile({reinterpret_cast<const uint8_t*>(written.data()), written.size()}, again) == BmpStatus::Ok);
  fuzz::Expect(again.width == bmp.layout.width && again.height == bmp.layout.height);
  return 0;
}
