#include "tools/skingen/paint_util.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

namespace vantrel::skingen {

QImage NewCanvas(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

void SetupPainter(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

QColor WithAlpha(QColor c, int alpha) {
  c.setAlpha(alpha);
  return c;
}

QColor Mix(const QColor& a, const QColor& b, double t) {
  auto lerp = [t](int x, int y) { return static_cast<int>(x + (y - x) * t + 0.5); };
  return QColor(lerp(a.red(), b.red()), lerp(a.green(), b.green()), lerp(a.blue(), b.blue()),
                lerp(a.alpha(), b.alpha()));
}

void AddGrain(QImage& image, int amount, uint32_t seed) {
  Rng rng(seed);
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const int delta = static_cast<int>(rng.Next() % (2 * amount + 1)) - amount;
      const QRgb p = row[x];
      const int a = qAlpha(p);
      if (a == 0) continue;
      // Premultiplied pixels: a channel may not exceed the alpha.
      auto ch = [&](int v) { return std::clamp(v + delta * a / 255, 0, a); };
      row[x] = qRgba(ch(qRed(p)), ch(qGreen(p)), ch(qBlue(p)), a);
    }
  }
}

void PaintBevel(QPainter& painter, const QPainterPath& path, const QColor& light, const QColor& dark, double width,
                bool sunken) {
  painter.save();
  painter.setClipPath(path, Qt::IntersectClip);
  painter.setBrush(Qt::NoBrush);
  const QColor first = sunken ? dark : light;
  const QColor second = sunken ? light : dark;
  painter.setPen(QPen(first, width * 2));
  painter.drawPath(path.translated(width, width));
  painter.setPen(QPen(second, width * 2));
  painter.drawPath(path.translated(-width, -width));
  painter.restore();
}

QFont FitFont(QFont font, const QString& text, double width, int minPixelSize) {
  while (font.pixelSize() > minPixelSize && QFontMetricsF(font).horizontalAdvance(text) > width) {
    font.setPixelSize(font.pixelSize() - 1);
  }
  return font;
}

void DrawShadowText(QPainter& painter, const QRectF& rect, int flags, const QString& text, const QColor& color,
                    const QColor& shadow, QPointF shadowOffset) {
  painter.setPen(shadow);
  painter.drawText(rect.translated(shadowOffset), flags, text);
  painter.setPen(color);
  painter.drawText(rect, flags, text);
}

namespace {

QRgb Over(QRgb premultiplied, const QColor& under) {
  const int a = qAlpha(premultiplied);
  auto ch = [&](int top, int bottom) { return std::min(255, top + bottom * (255 - a) / 255); };
  return qRgb(ch(qRed(premultiplied), under.red()), ch(qGreen(premultiplied), under.green()),
              ch(qBlue(premultiplied), under.blue()));
}

// A painted pixel must never read as the key: nudge the one shade that would.
QRgb AvoidKey(QRgb p) {
  if (qRed(p) == 255 && qBlue(p) == 255 && qGreen(p) <= 16) return qRgb(255, qGreen(p), 254);
  return p;
}

}  // namespace

// The canvas turned into an opaque bitmap pixel by pixel.
template <class PixelFn>
QImage ToBitmap(const QImage& canvas, PixelFn pixel) {
  const QImage src = canvas.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  QImage out(src.size(), QImage::Format_RGB32);
  for (int y = 0; y < src.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < src.width(); ++x) row[x] = pixel(in[x]);
  }
  return out;
}

QImage KeyOut(const QImage& canvas, const QColor& edge) {
  return ToBitmap(canvas, [&edge](QRgb p) { return qAlpha(p) < 128 ? qRgb(255, 0, 255) : AvoidKey(Over(p, edge)); });
}

QImage Flatten(const QImage& canvas, const QColor& background) {
  return ToBitmap(canvas, [&background](QRgb p) { return AvoidKey(Over(p, background)); });
}

}  // namespace vantrel::skingen
