#pragma once
// Shared pieces of the skin engine's Qt tests: recorded messages and generated skin images.
#include <QColor>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>

#include "base/message_box.h"
#include "skin/dib.h"

namespace vantrel::test {

// Answers every message with OK and keeps its text, so tests can check what the user would see.
class MessageRecorder {
 public:
  MessageRecorder() {
    SetMessageBoxHookForTesting([this](const MessageRequest& request) {
      m_texts << request.text;
      return MsgResult::Ok;
    });
  }
  ~MessageRecorder() { SetMessageBoxHookForTesting(nullptr); }
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  QStringList Take() {
    QStringList texts = m_texts;
    m_texts.clear();
    return texts;
  }

 private:
  QStringList m_texts;
};

inline constexpr QRgb kMagenta = 0xFFFF00FF;

inline QImage Filled(int width, int height, QRgb colour) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

// A filled image whose corners are magenta triangles with legs of `corner` pixels.
inline QImage WithKeyCorners(int width, int height, QRgb colour, int corner) {
  QImage image = Filled(width, height, colour);
  for (int y = 0; y < corner; ++y)
    for (int x = 0; x < corner - y; ++x) {
      image.setPixel(x, y, kMagenta);
      image.setPixel(width - 1 - x, y, kMagenta);
      image.setPixel(x, height - 1 - y, kMagenta);
      image.setPixel(width - 1 - x, height - 1 - y, kMagenta);
    }
  return image;
}

// Writes the image as a skin bitmap into `dir`; the path, or an empty string on failure.
inline QString SaveBmp(const QTemporaryDir& dir, const QString& name, const QImage& image) {
  const QString path = dir.filePath(name);
  return CDib::WriteImageFile(image, path) ? path : QString();
}

}  // namespace vantrel::test
