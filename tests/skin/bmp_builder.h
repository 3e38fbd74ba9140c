#pragma once
// Builds small .bmp files byte by byte, so tests can say exactly what a file holds.
#include <cstdint>
#include <vector>

namespace vantrel::test {

struct BmpSpec {
  int32_t width = 1;
  int32_t height = 1;  // negative: top-down
  uint16_t bitCount = 24;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  uint32_t clrUsed = 0;
  uint32_t infoSize = 40;
  std::vector<uint32_t> palette;  // 0x00RRGGBB entries written as the colour table
  std::vector<uint32_t> masks;    // written right after a 40-byte header (bit-field images)
};

inline void Put(std::vector<uint8_t>& v, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) v.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// The file header, info header, masks and colour table; the caller appends the rows as stored.
inline std::vector<uint8_t> BmpHead(const BmpSpec& s) {
  std::vector<uint8_t> v;
  const uint32_t table = static_cast<uint32_t>(4 * (s.palette.size() + s.masks.size()));
  Put(v, 0x4D42, 2);
  Put(v, 0, 4);  // file size: nothing reads it
  Put(v, 0, 4);
  Put(v, 14 + s.infoSize + table, 4);
  Put(v, s.infoSize, 4);
  Put(v, static_cast<uint32_t>(s.width), 4);
  Put(v, static_cast<uint32_t>(s.height), 4);
  Put(v, 1, 2);
  Put(v, s.bitCount, 2);
  Put(v, s.compression, 4);
  Put(v, s.sizeImage, 4);
  Put(v, 2835, 4);
  Put(v, 2835, 4);
  Put(v, s.clrUsed, 4);
  Put(v, 0, 4);
  for (uint32_t i = 40; i < s.infoSize; ++i) v.push_back(0);
  for (uint32_t m : s.masks) Put(v, m, 4);
  for (uint32_t c : s.palette) Put(v, c, 4);
  return v;
}

// A 24-bit image from top-down 0x00RRGGBB pixels, stored bottom-up (or top-down) with padding.
inline std::vector<uint8_t> Bmp24(int width, int height, const std::vector<uint32_t>& pixels, bool topDown = false) {
  BmpSpec s;
  s.width = width;
  s.height = topDown ? -height : height;
  std::vector<uint8_t> v = BmpHead(s);
  const int stride = (width * 3 + 3) & ~3;
  for (int r = 0; r < height; ++r) {
    const int y = topDown ? r : height - 1 - r;
    for (int x = 0; x < width; ++x) Put(v, pixels[static_cast<size_t>(y * width + x)], 3);
    for (int p = width * 3; p < stride; ++p) v.push_back(0);
  }
  return v;
}

}  // namespace vantrel::test
