#pragma once
// CDib: one skin image (a Windows .bmp), as every skinned window and button holds it.
//
// The image is checked once when it is attached (every size against the bytes really there) and
// converted once into a QImage, which is what painting and shape building use. Failures are shown
// through the message-box seam with the texts below and leave the object empty; painting an empty
// CDib paints nothing and its size is 0 x 0.
#include <QImage>
#include <QList>
#include <QRegion>
#include <QString>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "skin/bmp_format.h"
#include "skin/key_runs.h"

class QFile;
class QPainter;

namespace vantrel {

inline constexpr char kDibEmptyFileText[] = "Empty bitmap file";
inline constexpr char kDibInvalidFileText[] = "Invalid bitmap file";
inline constexpr char kDibReadErrorText[] = "Read error";
inline constexpr char kDibWriteErrorText[] = "Write error";

class CDib {
 public:
  CDib();
  virtual ~CDib();
  CDib(const CDib&) = delete;
  CDib& operator=(const CDib&) = delete;

  // Maps the file read-only and attaches the image inside the mapping, which lasts until the
  // next load or Release. A missing or empty file shows "Empty bitmap file" then the path; a file
  // that is not a sound bitmap shows "Invalid bitmap file". On failure the previous image stays.
  bool LoadMapped(const QString& path, bool shareRead = true);

  // Attaches an info header followed by its colour table and pixels, `size` bytes in all, without
  // owning it: the caller keeps the memory alive while the image is held. Shows "Invalid bitmap
  // file" and leaves the object empty when the block is not a sound image.
  bool AttachHeader(const void* header, size_t size);

  // Paints the whole image stretched into the rectangle. False (nothing painted) when empty.
  bool Draw(QPainter& painter, int x, int y, int width, int height) const;
  // Paints the source rectangle (top-left origin) stretched into the destination.
  bool DrawPart(QPainter& painter, int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                int srcHeight) const;

  // Width and height in pixels; 0 x 0 when empty.
  QSize GetSize() const;
  bool IsEmpty() const { return m_info == nullptr; }

  // The pixels not within the key range ([key, key + 16] per channel), top-left origin.
  // None when no image is held; an empty region when every pixel is key-coloured.
  std::optional<QRegion> CreateRegion(uint32_t key = kKeyMagenta) const;

  // Unmaps the file, frees what the object owns and clears every member.
  void Release();

  // Reads or writes a .bmp through a byte stream. Reading shows "Read error" when the stream
  // fails or ends within the file header and "Invalid bitmap file" for a bad or truncated image;
  // writing an image shows "Write error" when the stream fails (writing an empty CDib fails).
  bool Serialize(std::istream& in);
  bool Serialize(std::ostream& out) const;

  // Writes an image as a 24-bit bottom-up .bmp (the skin images' format); alpha is dropped.
  // Shows "Write error" and returns false when the file cannot be written completely.
  static bool WriteImageFile(const QImage& image, const QString& path);
  static std::vector<uint8_t> EncodeImage(const QImage& image);

  // The image as painted: Format_RGB32, top row first. Null when empty.
  const QImage& Image() const { return m_bitmap; }
  // The palette of a paletted image (one QRgb per colour-table entry), else empty.
  const QList<QRgb>& Palette() const { return m_palette; }
  // The info header, the pixel rows as stored (bottom row first for bottom-up images).
  const uint8_t* Header() const { return m_info; }
  std::span<const uint8_t> PixelBytes() const { return {m_pixels, m_imageSize}; }
  size_t ImageSize() const { return m_imageSize; }
  uint32_t ColourCount() const { return m_colourCount; }
  const BmpLayout& Layout() const { return m_layout; }

 private:
  bool Attach(const uint8_t* block, const BmpLayout& layout);
  void BuildPalette();
  void BuildBitmap();

  const uint8_t* m_colourTable = nullptr;
  QImage m_bitmap;
  const uint8_t* m_pixels = nullptr;
  const uint8_t* m_info = nullptr;
  std::vector<uint8_t> m_owned;  // header, table and pixels read from a stream (owned blocks)
  size_t m_imageSize = 0;
  uint32_t m_colourCount = 0;
  std::unique_ptr<QFile> m_file;  // open file and its read-only mapping
  const uint8_t* m_view = nullptr;
  QList<QRgb> m_palette;
  BmpLayout m_layout;
};

}  // namespace vantrel
