#include "skin/bmp_format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <istream>
#include <ostream>

namespace vantrel {
namespace {

// Room for the largest info header (124 bytes), masks, a full colour table and a small gap.
constexpr size_t kMaxHeaderBlock = 64 * 1024;
constexpr size_t kReadChunk = 1 << 20;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

BmpInfoHeader ReadInfo(const uint8_t* p) {
  BmpInfoHeader h;
  h.size = Le32(p);
  h.width = static_cast<int32_t>(Le32(p + 4));
  h.height = static_cast<int32_t>(Le32(p + 8));
  h.planes = Le16(p + 12);
  h.bitCount = Le16(p + 14);
  h.compression = Le32(p + 16);
  h.sizeImage = Le32(p + 20);
  h.xPelsPerMeter = static_cast<int32_t>(Le32(p + 24));
  h.yPelsPerMeter = static_cast<int32_t>(Le32(p + 28));
  h.clrUsed = Le32(p + 32);
  h.clrImportant = Le32(p + 36);
  return h;
}

void WriteInfo(uint8_t* p, const BmpInfoHeader& h) {
  Put32(p, kBmpInfoHeaderSize);  // whatever was read, what follows is laid out for 40 bytes
  Put32(p + 4, static_cast<uint32_t>(h.width));
  Put32(p + 8, static_cast<uint32_t>(h.height));
  Put16(p + 12, h.planes);
  Put16(p + 14, h.bitCount);
  Put32(p + 16, h.compression);
  Put32(p + 20, h.sizeImage);
  Put32(p + 24, static_cast<uint32_t>(h.xPelsPerMeter));
  Put32(p + 28, static_cast<uint32_t>(h.yPelsPerMeter));
  Put32(p + 32, h.clrUsed);
  Put32(p + 36, h.clrImportant);
}

// Checks everything the header block alone can tell; the pixel rows are the caller's to check.
// `pixelOffset` 0 means "right after the colour table".
BmpStatus CheckHeader(const uint8_t* block, size_t size, BmpLayout& out, size_t pixelOffset) {
  if (block == nullptr || size < kBmpInfoHeaderSize) return BmpStatus::Invalid;
  BmpLayout l;
  l.info = ReadInfo(block);
  const BmpInfoHeader& h = l.info;
  if (h.size < kBmpInfoHeaderSize || h.size > size) return BmpStatus::Invalid;
  const int64_t height = h.height < 0 ? -static_cast<int64_t>(h.height) : h.height;
  if (h.width <= 0 || h.width > kBmpMaxDimension || height == 0 || height > kBmpMaxDimension)
    return BmpStatus::Invalid;
  if (static_cast<uint64_t>(h.width) * static_cast<uint64_t>(height) > kBmpMaxPixels)
    return BmpStatus::Invalid;
  switch (h.bitCount) {
    case 1: case 4: case 8: case 24:
      if (h.compression != 0) return BmpStatus::Invalid;
      break;
    case 16: case 32:
      if (h.compression != 0 && h.compression != 3) return BmpStatus::Invalid;
      break;
    default:
      return BmpStatus::Invalid;
  }
  l.width = h.width;
  l.height = static_cast<int>(height);
  l.topDown = h.height < 0;
  l.colourCount = BmpColourCount(h);

  // Bit-field masks sit inside a longer header, or follow a 40-byte one.
  size_t maskBytes = 0;
  if (h.compression == 3) {
    if (h.size == kBmpInfoHeaderSize) maskBytes = 12;
    else if (h.size < kBmpInfoHeaderSize + 12) return BmpStatus::Invalid;
    if (kBmpInfoHeaderSize + 12 > size) return BmpStatus::Invalid;
    for (int i = 0; i < 3; ++i) l.masks[i] = Le32(block + kBmpInfoHeaderSize + 4 * i);
  } else if (h.bitCount == 16) {
    l.masks[0] = 0x7C00; l.masks[1] = 0x03E0; l.masks[2] = 0x001F;
  } else if (h.bitCount == 32) {
    l.masks[0] = 0xFF0000; l.masks[1] = 0xFF00; l.masks[2] = 0xFF;
  }
  l.colourTableOffset = h.size + maskBytes;
  const uint64_t tableEnd = l.colourTableOffset + 4ull * l.colourCount;
  if (tableEnd > size) return BmpStatus::Invalid;
  if (pixelOffset != 0 && pixelOffset < tableEnd) return BmpStatus::Invalid;
  l.pixelOffset = pixelOffset != 0 ? pixelOffset : static_cast<size_t>(tableEnd);

  const uint64_t padded = BmpPaddedImageSize(h);
  if (h.sizeImage != 0 && h.sizeImage < padded) return BmpStatus::Invalid;
  l.stride = static_cast<size_t>(padded / static_cast<uint64_t>(l.height));
  l.imageSize = h.sizeImage != 0 ? h.sizeImage : static_cast<size_t>(padded);
  out = l;
  return BmpStatus::Ok;
}

// Scales the field `mask` selects to 0..255.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;
  explicit Channel(uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    max = m >> shift;
  }
  uint32_t operator()(uint32_t px) const {
    if (max == 0) return 0;
    return static_cast<uint32_t>(static_cast<uint64_t>((px & mask) >> shift) * 255u / max);
  }
};

}  // namespace

uint32_t BmpColourCount(const BmpInfoHeader& info) {
  if (info.clrUsed != 0) return info.clrUsed;
  switch (info.bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

uint64_t BmpPaddedImageSize(const BmpInfoHeader& info) {
  const uint64_t height = info.height < 0 ? -static_cast<int64_t>(info.height) : info.height;
  const uint64_t width = info.width < 0 ? 0 : static_cast<uint64_t>(info.width);
  return height * 4 * ((width * info.bitCount + 31) / 32);
}

BmpStatus ParseBmpInfo(const uint8_t* block, size_t size, BmpLayout& out, size_t pixelOffset) {
  BmpLayout l;
  if (BmpStatus s = CheckHeader(block, size, l, pixelOffset); s != BmpStatus::Ok) return s;
  if (l.pixelOffset > size) return BmpStatus::Invalid;
  if (l.imageSize > size - l.pixelOffset) return BmpStatus::Invalid;
  out = l;
  return BmpStatus::Ok;
}

BmpStatus ParseBmpFile(std::span<const uint8_t> file, BmpLayout& out) {
  if (file.empty()) return BmpStatus::Empty;
  if (file.size() < kBmpFileHeaderSize || Le16(file.data()) != kBmpMagic) return BmpStatus::Invalid;
  const uint32_t offBits = Le32(file.data() + 10);
  if (offBits < kBmpFileHeaderSize + kBmpInfoHeaderSize || offBits > file.size()) return BmpStatus::Invalid;
  return ParseBmpInfo(file.data() + kBmpFileHeaderSize, file.size() - kBmpFileHeaderSize, out,
                      offBits - kBmpFileHeaderSize);
}

void DecodeBmpPixels(const BmpLayout& l, const uint8_t* block, uint32_t* dst, size_t dstStride) {
  std::array<uint32_t, 256> lut{};
  lut.fill(0xFF000000u);
  const uint8_t* table = block + l.colourTableOffset;
  for (uint32_t i = 0; i < std::min<uint32_t>(l.colourCount, 256); ++i)
    lut[i] = 0xFF000000u | (uint32_t{table[4 * i + 2]} << 16) | (uint32_t{table[4 * i + 1]} << 8) |
             table[4 * i];
  const Channel red(l.masks[0]), green(l.masks[1]), blue(l.masks[2]);
  const int bits = l.info.bitCount;

  for (int r = 0; r < l.height; ++r) {
    const uint8_t* src = block + l.pixelOffset + static_cast<size_t>(r) * l.stride;
    const int y = l.topDown ? r : l.height - 1 - r;
    auto* row = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dst) + static_cast<size_t>(y) * dstStride);
    switch (bits) {
      case 1: case 4: case 8: {
        const int perByte = 8 / bits;
        const uint32_t mask = (1u << bits) - 1;
        for (int x = 0; x < l.width; ++x) {
          const int shift = 8 - bits * (x % perByte + 1);
          row[x] = lut[(src[x / perByte] >> shift) & mask];
        }
        break;
      }
      case 16:
        for (int x = 0; x < l.width; ++x) {
          const uint32_t px = Le16(src + 2 * x);
          row[x] = 0xFF000000u | (red(px) << 16) | (green(px) << 8) | blue(px);
        }
        break;
      case 24:
        for (int x = 0; x < l.width; ++x, src += 3)
          row[x] = 0xFF000000u | (uint32_t{src[2]} << 16) | (uint32_t{src[1]} << 8) | src[0];
        break;
      default:  // 32
        for (int x = 0; x < l.width; ++x) {
          const uint32_t px = Le32(src + 4 * x);
          row[x] = 0xFF000000u | (red(px) << 16) | (green(px) << 8) | blue(px);
        }
        break;
    }
  }
}

BmpStatus ReadBmp(std::istream& in, BmpData& out) {
  try {
    uint8_t fileHeader[kBmpFileHeaderSize];
    in.read(reinterpret_cast<char*>(fileHeader), sizeof fileHeader);
    if (in.gcount() != static_cast<std::streamsize>(sizeof fileHeader) || in.bad()) return BmpStatus::ReadError;
    if (Le16(fileHeader) != kBmpMagic) return BmpStatus::Invalid;
    const uint32_t offBits = Le32(fileHeader + 10);
    if (offBits < kBmpFileHeaderSize + kBmpInfoHeaderSize || offBits - kBmpFileHeaderSize > kMaxHeaderBlock)
      return BmpStatus::Invalid;

    BmpData d;
    d.header.resize(offBits - kBmpFileHeaderSize);
    in.read(reinterpret_cast<char*>(d.header.data()), static_cast<std::streamsize>(d.header.size()));
    if (in.bad()) return BmpStatus::ReadError;
    if (in.gcount() != static_cast<std::streamsize>(d.header.size())) return BmpStatus::Invalid;
    if (BmpStatus s = CheckHeader(d.header.data(), d.header.size(), d.layout, d.header.size());
        s != BmpStatus::Ok)
      return s;

    // Read in chunks, so a size the stream does not back costs no more memory than it delivers.
    const size_t wanted = d.layout.imageSize;
    while (d.pixels.size() < wanted) {
      const size_t chunk = std::min(kReadChunk, wanted - d.pixels.size());
      const size_t at = d.pixels.size();
      d.pixels.resize(at + chunk);
      in.read(reinterpret_cast<char*>(d.pixels.data() + at), static_cast<std::streamsize>(chunk));
      if (in.bad()) return BmpStatus::ReadError;
      d.pixels.resize(at + static_cast<size_t>(in.gcount()));
      if (static_cast<size_t>(in.gcount()) < chunk) break;
    }
    if (d.pixels.size() < wanted) return BmpStatus::Invalid;
    out = std::move(d);
    return BmpStatus::Ok;
  } catch (const std::ios_base::failure&) {
    return BmpStatus::ReadError;
  }
}

BmpStatus WriteBmp(std::ostream& out, const BmpLayout& l, const uint8_t* header, const uint8_t* pixels) {
  const size_t maskBytes = l.info.compression == 3 ? 12 : 0;
  const size_t tableBytes = maskBytes + 4ull * l.colourCount;
  const size_t offBits = kBmpFileHeaderSize + kBmpInfoHeaderSize + tableBytes;
  std::vector<uint8_t> head(offBits);
  Put16(head.data(), kBmpMagic);
  Put32(head.data() + 2, static_cast<uint32_t>(offBits + l.imageSize));
  Put32(head.data() + 10, static_cast<uint32_t>(offBits));
  WriteInfo(head.data() + kBmpFileHeaderSize, l.info);
  uint8_t* tail = head.data() + kBmpFileHeaderSize + kBmpInfoHeaderSize;
  for (size_t i = 0; i < maskBytes / 4; ++i) Put32(tail + 4 * i, l.masks[i]);
  if (l.colourCount != 0) std::memcpy(tail + maskBytes, header + l.colourTableOffset, 4ull * l.colourCount);
  try {
    out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
    out.write(reinterpret_cast<const char*>(pixels), static_cast<std::streamsize>(l.imageSize));
    out.flush();
    return out.good() ? BmpStatus::Ok : BmpStatus::WriteError;
  } catch (const std::ios_base::failure&) {
    return BmpStatus::WriteError;
  }
}

std::vector<uint8_t> EncodeBmp24(int width, int height, const uint32_t* pixels, size_t srcStride) {
  if (width <= 0 || height <= 0) return {};
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  const size_t imageSize = stride * static_cast<size_t>(height);
  const size_t offBits = kBmpFileHeaderSize + kBmpInfoHeaderSize;
  std::vector<uint8_t> file(offBits + imageSize, 0);
  Put16(file.data(), kBmpMagic);
  Put32(file.data() + 2, static_cast<uint32_t>(file.size()));
  Put32(file.data() + 10, static_cast<uint32_t>(offBits));
  BmpInfoHeader h;
  h.width = width;
  h.height = height;
  h.bitCount = 24;
  h.sizeImage = static_cast<uint32_t>(imageSize);
  WriteInfo(file.data() + kBmpFileHeaderSize, h);
  for (int y = 0; y < height; ++y) {
    const auto* src = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(pixels) + y * srcStride);
    uint8_t* dst = file.data() + offBits + static_cast<size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      *dst++ = static_cast<uint8_t>(src[x]);
      *dst++ = static_cast<uint8_t>(src[x] >> 8);
      *dst++ = static_cast<uint8_t>(src[x] >> 16);
    }
  }
  return file;
}

BmpStatus WriteBmp24(std::ostream& out, int width, int height, const uint32_t* pixels, size_t srcStride) {
  const std::vector<uint8_t> file = EncodeBmp24(width, height, pixels, srcStride);
  if (file.empty()) return BmpStatus::WriteError;
  try {
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    out.flush();
    return out.good() ? BmpStatus::Ok : BmpStatus::WriteError;
  } catch (const std::ios_base::failure&) {
    return BmpStatus::WriteError;
  }
}

}  // namespace vantrel
