#pragma once
// Small drawing helpers shared by the skin painters.
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <cstdint>

class QPainter;
class QFont;

namespace vantrel::skingen {

// A fixed pseudo-random sequence, so that every build draws the same pixels.
class Rng {
 public:
  explicit Rng(uint32_t seed) : m_state(seed != 0 ? seed : 0x9E3779B9u) {}
  uint32_t Next() {
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state;
  }
  double Unit() { return (Next() & 0xFFFFFF) / double(0x1000000); }         // [0, 1)
  double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }

 private:
  uint32_t m_state;
};

// A fresh transparent canvas to draw into.
QImage NewCanvas(int width, int height);
// A painter with antialiasing on.
void SetupPainter(QPainter& painter);

// A colour with an alpha.
QColor WithAlpha(QColor c, int alpha);
// Blends two colours, t = 0 gives a.
QColor Mix(const QColor& a, const QColor& b, double t);

// Fine grain over the painted pixels: each pixel moves up to `amount` levels lighter or darker.
void AddGrain(QImage& image, int amount, uint32_t seed);

// A raised or sunken edge inside `path`: light along the top-left, dark along the bottom-right.
void PaintBevel(QPainter& painter, const QPainterPath& path, const QColor& light, const QColor& dark, double width,
                bool sunken = false);

// The largest font no bigger than `font` that fits `text` into `width` pixels.
QFont FitFont(QFont font, const QString& text, double width, int minPixelSize = 7);

// Text with a one-pixel emboss or shadow under it.
void DrawShadowText(QPainter& painter, const QRectF& rect, int flags, const QString& text, const QColor& color,
                    const QColor& shadow, QPointF shadowOffset = {1, 1});

// The image as a skin bitmap: pixels less than half covered become the key colour, the rest
// are laid over `edge`, so antialiased borders blend into the outline rather than into magenta.
QImage KeyOut(const QImage& canvas, const QColor& edge);
// The image with every pixel laid over `background` (nothing keyed).
QImage Flatten(const QImage& canvas, const QColor& background);

}  // namespace vantrel::skingen
