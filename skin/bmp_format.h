#pragma once
// Windows .bmp files without any toolkit: header checks, pixel decoding and writing.
//
// Everything read from a file is untrusted: every size, offset and count is checked against the
// bytes really available before it is used, and anything that does not fit is Invalid.
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <vector>

namespace vantrel {

// Colours are 0x00RRGGBB; pixels handed out are 0xFFRRGGBB (QImage::Format_RGB32 order).
inline constexpr size_t kBmpFileHeaderSize = 14;
inline constexpr size_t kBmpInfoHeaderSize = 40;
inline constexpr uint16_t kBmpMagic = 0x4D42;  // "BM" read little-endian

// Sizes beyond these are treated as lies: no skin image comes near them.
inline constexpr int32_t kBmpMaxDimension = 16384;
inline constexpr uint64_t kBmpMaxPixels = 16ull << 20;  // 64 MiB once decoded

enum class BmpStatus { Ok, Empty, Invalid, ReadError, WriteError };

// The BITMAPINFOHEADER fields, in file order.
struct BmpInfoHeader {
  uint32_t size = kBmpInfoHeaderSize;
  int32_t width = 0;
  int32_t height = 0;  // positive: rows stored bottom-up; negative: top-down
  uint16_t planes = 1;
  uint16_t bitCount = 0;
  uint32_t compression = 0;  // 0 plain, 3 bit-field masks (16 and 32 bits only)
  uint32_t sizeImage = 0;
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
  uint32_t clrUsed = 0;
  uint32_t clrImportant = 0;
};

// Where the parts of an image lie within a block that starts with its info header.
struct BmpLayout {
  BmpInfoHeader info;
  uint32_t colourCount = 0;     // entries of the colour table
  size_t colourTableOffset = 0; // from the info header's start
  size_t pixelOffset = 0;       // from the info header's start
  size_t imageSize = 0;         // bytes of pixel data the image owns
  size_t stride = 0;            // bytes per stored row (a multiple of 4)
  int width = 0;
  int height = 0;               // always positive
  bool topDown = false;
  uint32_t masks[3] = {0, 0, 0};  // red, green, blue masks of 16 and 32-bit images
};

// Colour count: biClrUsed when set, else 2, 16 or 256 for 1, 4 or 8 bits per pixel, else 0.
uint32_t BmpColourCount(const BmpInfoHeader& info);
// Bytes of pixel rows with every row padded to whole 32-bit words.
uint64_t BmpPaddedImageSize(const BmpInfoHeader& info);

// Reads and checks the info header at `block` (`size` bytes in all). When `pixelOffset` is not
// zero the pixels start there (a file's offset-to-pixels, counted from the info header);
// otherwise they follow the colour table. Ok only if header, table and all rows are inside.
BmpStatus ParseBmpInfo(const uint8_t* block, size_t size, BmpLayout& out, size_t pixelOffset = 0);

// A whole file in memory: magic, file header, then ParseBmpInfo. The layout's offsets count from
// file.data() + 14. Empty for no bytes at all, Invalid for anything else that is wrong.
BmpStatus ParseBmpFile(std::span<const uint8_t> file, BmpLayout& out);

// Decodes the image at `block` (checked by ParseBmpInfo) into top-down 0xFFRRGGBB rows;
// `dstStride` is in bytes. Colour indexes beyond the table give black.
void DecodeBmpPixels(const BmpLayout& layout, const uint8_t* block, uint32_t* dst, size_t dstStride);

// An image read from a byte stream: the info header with its table, and the pixel rows.
struct BmpData {
  std::vector<uint8_t> header;  // info header, masks and colour table
  std::vector<uint8_t> pixels;
  BmpLayout layout;             // offsets relative to a block made of header then pixels
};

// Reads a .bmp from a stream. ReadError when the 14-byte file header does not arrive or the stream
// fails; Invalid for a wrong magic, lying sizes or a stream that ends early.
BmpStatus ReadBmp(std::istream& in, BmpData& out);

// Writes a .bmp: 14-byte file header, 40-byte info header, masks and colour table, pixels.
// `header` is an info header block as ParseBmpInfo accepted it. WriteError when the stream fails.
BmpStatus WriteBmp(std::ostream& out, const BmpLayout& layout, const uint8_t* header,
                   const uint8_t* pixels);

// The skin images' writer: 24 bits per pixel, rows bottom-up, from top-down 0x..RRGGBB pixels
// (`srcStride` in bytes; the top byte of each pixel is ignored).
BmpStatus WriteBmp24(std::ostream& out, int width, int height, const uint32_t* pixels, size_t srcStride);
std::vector<uint8_t> EncodeBmp24(int width, int height, const uint32_t* pixels, size_t srcStride);

}  // namespace vantrel
