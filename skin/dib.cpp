#include "skin/dib.h"

#include <QFile>
#include <QPainter>
#include <QSaveFile>
#include <istream>
#include <ostream>

#include "base/message_box.h"
#include "skin/key_runs.h"

namespace vantrel {
namespace {

void ShowDibMessage(const char* text) { ShowSystemError(QString::fromLatin1(text), QString()); }

void ShowStatus(BmpStatus status) {
  switch (status) {
    case BmpStatus::Ok: break;
    case BmpStatus::Empty: ShowDibMessage(kDibEmptyFileText); break;
    case BmpStatus::Invalid: ShowDibMessage(kDibInvalidFileText); break;
    case BmpStatus::ReadError: ShowDibMessage(kDibReadErrorText); break;
    case BmpStatus::WriteError: ShowDibMessage(kDibWriteErrorText); break;
  }
}

QImage ToRgb32(const QImage& image) {
  return image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

CDib::CDib() = default;

CDib::~CDib() { Release(); }

void CDib::Release() {
  m_colourTable = nullptr;
  m_bitmap = QImage();
  m_pixels = nullptr;
  m_info = nullptr;
  m_owned = {};
  m_imageSize = 0;
  m_colourCount = 0;
  m_file.reset();  // unmaps the view and closes the file
  m_view = nullptr;
  m_palette.clear();
  m_layout = BmpLayout{};
}

bool CDib::LoadMapped(const QString& path, bool /*shareRead: files are always shared on Linux*/) {
  auto file = std::make_unique<QFile>(path);
  uchar* view = nullptr;
  qint64 size = 0;
  if (file->open(QIODevice::ReadOnly)) {
    size = file->size();
    if (size > 0) view = file->map(0, size);
  }
  if (view == nullptr) {
    ShowDibMessage(kDibEmptyFileText);
    ShowSystemError(path, QString());
    return false;
  }
  BmpLayout layout;
  const BmpStatus status = ParseBmpFile({view, static_cast<size_t>(size)}, layout);
  if (status != BmpStatus::Ok) {
    ShowDibMessage(status == BmpStatus::Empty ? kDibEmptyFileText : kDibInvalidFileText);
    return false;  // the old image stays; the new mapping goes with `file`
  }
  Release();
  m_file = std::move(file);
  m_view = view;
  return Attach(view + kBmpFileHeaderSize, layout);
}

bool CDib::AttachHeader(const void* header, size_t size) {
  BmpLayout layout;
  const auto* block = static_cast<const uint8_t*>(header);
  const BmpStatus status = ParseBmpInfo(block, size, layout);
  Release();
  if (status != BmpStatus::Ok) {
    ShowStatus(status);
    return false;
  }
  return Attach(block, layout);
}

bool CDib::Attach(const uint8_t* block, const BmpLayout& layout) {
  m_layout = layout;
  m_info = block;
  m_colourTable = block + kBmpInfoHeaderSize;
  m_pixels = block + layout.pixelOffset;
  m_imageSize = layout.imageSize;
  m_colourCount = layout.colourCount;
  BuildPalette();
  BuildBitmap();
  if (m_bitmap.isNull()) {  // out of memory for the converted picture
    Release();
    return false;
  }
  return true;
}

void CDib::BuildPalette() {
  m_palette.clear();
  if (m_colourCount == 0) return;
  m_palette.reserve(m_colourCount);
  const uint8_t* quad = m_info + m_layout.colourTableOffset;
  for (uint32_t i = 0; i < m_colourCount; ++i, quad += 4) m_palette.push_back(qRgb(quad[2], quad[1], quad[0]));
}

void CDib::BuildBitmap() {
  m_bitmap = QImage(m_layout.width, m_layout.height, QImage::Format_RGB32);
  if (m_bitmap.isNull()) return;
  DecodeBmpPixels(m_layout, m_info, reinterpret_cast<uint32_t*>(m_bitmap.bits()),
                  static_cast<size_t>(m_bitmap.bytesPerLine()));
}

QSize CDib::GetSize() const { return IsEmpty() ? QSize(0, 0) : QSize(m_layout.width, m_layout.height); }

bool CDib::Draw(QPainter& painter, int x, int y, int width, int height) const {
  if (IsEmpty()) return false;
  return DrawPart(painter, x, y, width, height, 0, 0, m_layout.width, m_layout.height);
}

bool CDib::DrawPart(QPainter& painter, int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                    int srcHeight) const {
  if (IsEmpty()) return false;
  painter.drawImage(QRect(x, y, width, height), m_bitmap, QRect(srcX, srcY, srcWidth, srcHeight));
  return true;
}

std::optional<QRegion> CDib::CreateRegion(uint32_t key) const {
  if (IsEmpty()) return std::nullopt;
  QRegion result;
  std::vector<QRect> rects;
  WalkOpaqueRuns(reinterpret_cast<const uint32_t*>(m_bitmap.constBits()), m_bitmap.width(), m_bitmap.height(),
                 static_cast<size_t>(m_bitmap.bytesPerLine()), key, [&](std::span<const RunRect> runs) {
                   rects.clear();
                   for (const RunRect& r : MergeRowBands(runs))
                     rects.emplace_back(r.left, r.top, r.right - r.left, r.bottom - r.top);
                   // Bands sorted by row, then by column: the order setRects wants. The union
                   // joins the bands that meet across batches.
                   QRegion batch;
                   batch.setRects(rects.data(), static_cast<int>(rects.size()));
                   result |= batch;
                 });
  return result;
}

bool CDib::Serialize(std::istream& in) {
  Release();
  BmpData data;
  const BmpStatus status = ReadBmp(in, data);
  if (status != BmpStatus::Ok) {
    ShowStatus(status);
    return false;
  }
  // Header, table and pixels in one owned block, laid out as the layout says.
  m_owned = std::move(data.header);
  m_owned.insert(m_owned.end(), data.pixels.begin(), data.pixels.end());
  return Attach(m_owned.data(), data.layout);
}

bool CDib::Serialize(std::ostream& out) const {
  const BmpStatus status = IsEmpty() ? BmpStatus::WriteError : WriteBmp(out, m_layout, m_info, m_pixels);
  ShowStatus(status);
  return status == BmpStatus::Ok;
}

std::vector<uint8_t> CDib::EncodeImage(const QImage& image) {
  const QImage rgb = ToRgb32(image);
  if (rgb.isNull()) return {};
  return EncodeBmp24(rgb.width(), rgb.height(), reinterpret_cast<const uint32_t*>(rgb.constBits()),
                     static_cast<size_t>(rgb.bytesPerLine()));
}

bool CDib::WriteImageFile(const QImage& image, const QString& path) {
  const std::vector<uint8_t> bytes = EncodeImage(image);
  // Written beside and renamed over, so a failed write never leaves half a bitmap behind.
  QSaveFile file(path);
  const bool ok = !bytes.empty() && file.open(QIODevice::WriteOnly) &&
                  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
                      static_cast<qint64>(bytes.size()) &&
                  file.commit();
  if (!ok) ShowDibMessage(kDibWriteErrorText);
  return ok;
}

}  // namespace vantrel
