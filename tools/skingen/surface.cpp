#include "tools/skingen/surface.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <cmath>

#include "tools/skingen/paint_util.h"

namespace vantrel::skingen {
namespace {

void Satin(QPainter& p, const QRectF& r) {
  QLinearGradient sheen(r.topLeft(), r.bottomLeft());
  sheen.setColorAt(0.0, QColor(255, 255, 255, 70));
  sheen.setColorAt(0.18, QColor(255, 255, 255, 10));
  sheen.setColorAt(0.6, QColor(255, 255, 255, 0));
  sheen.setColorAt(1.0, QColor(0, 0, 0, 25));
  p.fillRect(r, sheen);
}

// Fine horizontal streaks of varying strength, as on ground steel.
void Brushed(QPainter& p, const QRectF& r, Rng& rng) {
  for (int y = static_cast<int>(r.top()); y < r.bottom(); ++y) {
    const bool light = rng.Next() & 1;
    const int alpha = static_cast<int>(rng.Range(4, 26));
    p.setPen(QPen(light ? QColor(255, 255, 255, alpha) : QColor(0, 0, 0, alpha), 1));
    p.drawLine(QPointF(r.left(), y + 0.5), QPointF(r.right(), y + 0.5));
  }
  for (int i = 0; i < static_cast<int>(r.height() / 3); ++i) {
    const double y = rng.Range(r.top(), r.bottom());
    const double x = rng.Range(r.left(), r.right());
    const double len = rng.Range(40, 220);
    p.setPen(QPen(QColor(255, 255, 255, static_cast<int>(rng.Range(10, 40))), 1));
    p.drawLine(QPointF(x, y), QPointF(x + len, y));
  }
  Satin(p, r);
}

// Short blades of grass and seeds scattered over the green.
void Meadow(QPainter& p, const QRectF& r, Rng& rng) {
  const int count = static_cast<int>(r.width() * r.height() / 90);
  for (int i = 0; i < count; ++i) {
    const QPointF base(rng.Range(r.left(), r.right()), rng.Range(r.top(), r.bottom()));
    const double h = rng.Range(3, 8);
    const double lean = rng.Range(-3, 3);
    QPainterPath blade(base);
    blade.quadTo(base + QPointF(lean * 0.3, -h * 0.6), base + QPointF(lean, -h));
    const bool light = rng.Next() % 3 != 0;
    p.setPen(QPen(light ? QColor(235, 255, 205, 60) : QColor(40, 90, 20, 45), 1.0));
    p.drawPath(blade);
  }
  Satin(p, r);
}

// A soft diagonal sheen across deep cloth.
void Velvet(QPainter& p, const QRectF& r, Rng& rng) {
  QLinearGradient sheen(r.topLeft(), r.bottomRight());
  for (int i = 0; i <= 8; ++i) {
    const double t = i / 8.0;
    const int a = static_cast<int>(22 + 22 * std::sin(t * 3.14159 * 3));
    sheen.setColorAt(t, QColor(255, 190, 235, a));
  }
  p.fillRect(r, sheen);
  for (int i = 0; i < 6; ++i) {
    QRadialGradient glow(QPointF(rng.Range(r.left(), r.right()), rng.Range(r.top(), r.bottom())), rng.Range(60, 160));
    glow.setColorAt(0, QColor(255, 150, 220, 28));
    glow.setColorAt(1, QColor(255, 150, 220, 0));
    p.fillRect(r, glow);
  }
}

// A woven check: bands of green, navy and gold across the red in both directions.
void Tartan(QPainter& p, const QRectF& r) {
  struct Band {
    int offset, width;
    QColor color;
  };
  const Band bands[] = {{0, 14, QColor(23, 66, 38, 150)},  {18, 5, QColor(16, 24, 64, 140)},
                        {27, 2, QColor(255, 214, 80, 170)}, {33, 5, QColor(16, 24, 64, 140)},
                        {46, 1, QColor(255, 255, 255, 90)}};
  const int sett = 56;
  for (const Band& b : bands) {
    for (double x = r.left() - sett + b.offset; x < r.right(); x += sett) p.fillRect(QRectF(x, r.top(), b.width, r.height()), b.color);
    for (double y = r.top() - sett + b.offset; y < r.bottom(); y += sett) p.fillRect(QRectF(r.left(), y, r.width(), b.width), b.color);
  }
  // Twill: fine diagonal threads.
  p.setPen(QPen(QColor(0, 0, 0, 22), 1));
  for (double d = -r.height(); d < r.width(); d += 3) {
    p.drawLine(QPointF(r.left() + d, r.bottom()), QPointF(r.left() + d + r.height(), r.top()));
  }
}

// Bands of light rippling across the water.
void Water(QPainter& p, const QRectF& r, Rng& rng) {
  Satin(p, r);
  p.setBrush(Qt::NoBrush);
  for (double y0 = r.top() + 6; y0 < r.bottom(); y0 += rng.Range(14, 26)) {
    const double amp = rng.Range(2, 5);
    const double wave = rng.Range(40, 90);
    const double phase = rng.Range(0, 6.28);
    QPainterPath line;
    for (double x = r.left(); x <= r.right() + 4; x += 4) {
      const QPointF pt(x, y0 + amp * std::sin(x / wave + phase));
      if (x == r.left()) line.moveTo(pt); else line.lineTo(pt);
    }
    p.setPen(QPen(QColor(255, 255, 255, static_cast<int>(rng.Range(18, 48))), rng.Range(1.0, 2.6)));
    p.drawPath(line);
  }
}

void Tiles(QPainter& p, const QRectF& r) {
  QLinearGradient sheen(r.topLeft(), r.bottomLeft());
  sheen.setColorAt(0, QColor(255, 255, 255, 14));
  sheen.setColorAt(1, QColor(0, 0, 0, 10));
  p.fillRect(r, sheen);
}

}  // namespace

void PaintSurface(QPainter& painter, const QPainterPath& area, const QRectF& bounds, const SkinStyle& style,
                  const QColor& top, const QColor& bottom, uint32_t seed) {
  painter.save();
  painter.setClipPath(area, Qt::IntersectClip);
  QLinearGradient base(bounds.topLeft(), bounds.bottomLeft());
  base.setColorAt(0, top);
  base.setColorAt(1, bottom);
  painter.fillRect(bounds, base);
  Rng rng(seed);
  switch (style.texture) {
    case Texture::kSatin: Satin(painter, bounds); break;
    case Texture::kBrushed: Brushed(painter, bounds, rng); break;
    case Texture::kMeadow: Meadow(painter, bounds, rng); break;
    case Texture::kVelvet: Velvet(painter, bounds, rng); break;
    case Texture::kTartan: Tartan(painter, bounds); break;
    case Texture::kWater: Water(painter, bounds, rng); break;
    case Texture::kTiles: Tiles(painter, bounds); break;
  }
  painter.restore();
}

int GrainFor(const SkinStyle& style) {
  switch (style.texture) {
    case Texture::kBrushed: return 5;
    case Texture::kVelvet: return 4;
    case Texture::kTiles: return 2;
    default: return 3;
  }
}

}  // namespace vantrel::skingen
