#include "tools/skingen/frame_art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include "tools/skingen/layout.h"
#include "tools/skingen/ornaments.h"
#include "tools/skingen/paint_util.h"
#include "tools/skingen/surface.h"

namespace vantrel::skingen {
namespace {

constexpr double kHeaderLeft = 500;
constexpr double kHeaderBottom = 31;
constexpr double kBarTop = 15;

QPainterPath RectPath(const QRectF& r, double radius = 0) {
  QPainterPath path;
  if (radius > 0) path.addRoundedRect(r, radius, radius); else path.addRect(r);
  return path;
}

// A recess the window's buttons and texts sit in.
void Recess(QPainter& p, const QRectF& r, double radius, const QColor& fill, const Palette& pal) {
  const QPainterPath path = RectPath(r, radius);
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawPath(path);
  PaintBevel(p, path, WithAlpha(pal.shadow, 200), WithAlpha(pal.highlight, 170), 1.0);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(WithAlpha(pal.outline, 150), 1.0));
  p.drawPath(path);
  p.restore();
}

void PaintHeader(QPainter& p, const QPainterPath& outline, const SkinStyle& s) {
  const Palette& pal = s.pal;
  const QPainterPath header = outline.intersected(RectPath(QRectF(kHeaderLeft, 0, 260, kHeaderBottom)));
  p.save();
  p.setClipPath(header);
  QLinearGradient g(0, 0, 0, kHeaderBottom);
  g.setColorAt(0, pal.header);
  g.setColorAt(1, pal.headerEnd);
  p.fillRect(QRectF(kHeaderLeft, 0, 260, kHeaderBottom), g);
  QLinearGradient gloss(0, 0, 0, kHeaderBottom * 0.55);
  gloss.setColorAt(0, QColor(255, 255, 255, s.texture == Texture::kTiles ? 10 : 70));
  gloss.setColorAt(1, QColor(255, 255, 255, 0));
  p.fillRect(QRectF(kHeaderLeft, 0, 260, kHeaderBottom * 0.55), gloss);
  p.restore();
  PaintBevel(p, header, WithAlpha(pal.highlight, 120), WithAlpha(pal.shadow, 160), 1.0);
  // The ledge under the title piece.
  p.setPen(QPen(WithAlpha(pal.outline, 170), 1));
  p.drawLine(QPointF(kHeaderLeft, kHeaderBottom + 0.5), QPointF(760, kHeaderBottom + 0.5));
  if (s.texture == Texture::kTiles) p.fillRect(QRectF(kHeaderLeft + 4, kHeaderBottom - 3, 60, 3), pal.accent);
  if (s.ornament == Ornament::kSparkles) {
    p.setPen(QPen(pal.accent, 1));
    p.drawLine(QPointF(kHeaderLeft + 8, kHeaderBottom - 1.5), QPointF(754, kHeaderBottom - 1.5));
  }

  // The wordmark, left of the window buttons.
  QFont font = FitFont(s.Font(20), s.Wordmark(), 150);
  p.setFont(font);
  const QRectF text(kHeaderLeft + 34, 1, 160, kHeaderBottom - 3);
  DrawShadowText(p, text, Qt::AlignLeft | Qt::AlignVCenter, s.Wordmark(), pal.headerText,
                 WithAlpha(pal.outline, 170));
  // The window buttons' recess.
  Recess(p, QRectF(697, 4, 46, 19), 4, WithAlpha(pal.outline, 110), pal);
}

// Behind the player: a dark well with the program's name faint on it.
void PaintScreen(QPainter& p, const SkinStyle& s) {
  const Palette& pal = s.pal;
  const QRectF well = QRectF(kPlayer).adjusted(-4, -4, 4, 4);
  Recess(p, well, 5, pal.outline, pal);
  QRadialGradient glow(QRectF(kPlayer).center(), 420);
  glow.setColorAt(0, pal.screen.lighter(170));
  glow.setColorAt(1, pal.screen);
  p.fillRect(kPlayer, glow);
  p.setFont(s.Font(46));
  p.setPen(QColor(255, 255, 255, 18));
  p.drawText(QRectF(kPlayer), Qt::AlignCenter, s.Wordmark());
  if (s.ornament == Ornament::kSparkles) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(WithAlpha(pal.accent, 180), 1));
    p.drawRoundedRect(well.adjusted(-1.5, -1.5, 1.5, 1.5), 6, 6);
  }
}

// The bar under the player: recesses for the record and about buttons, a light plate under
// the two check boxes, the slot the down arrow sits in, and a vent towards the corner.
void PaintBottomBar(QPainter& p, const SkinStyle& s) {
  const Palette& pal = s.pal;
  const double r = s.corner > 0 ? 5 : 0;
  Recess(p, QRectF(142, 477, 86, 32), r, WithAlpha(pal.outline, 90), pal);
  Recess(p, QRectF(229, 477, 188, 48), r > 0 ? 4 : 0, pal.plate, pal);
  Recess(p, QRectF(435, 477, 32, 32), s.buttons == ButtonShape::kSquare || s.buttons == ButtonShape::kFlat ? 0 : 16,
         WithAlpha(pal.outline, 90), pal);
  Recess(p, QRectF(295, 530, 50, 19), r > 0 ? 3 : 0, WithAlpha(pal.outline, 120), pal);

  // Vent grooves run from the bar's fixed part across the stretching piece into the corner.
  if (s.ornament == Ornament::kEmblem || s.ornament == Ornament::kRivets || s.ornament == Ornament::kSeams) {
    for (int i = 0; i < 6; ++i) {
      const double y = 487.5 + i * 9;
      p.setPen(QPen(WithAlpha(pal.shadow, 220), 2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(492, y), QPointF(726, y));
      p.setPen(QPen(WithAlpha(pal.highlight, 150), 1, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(492, y + 1.5), QPointF(726, y + 1.5));
    }
  } else {
    PaintCornerOrnament(p, QRectF(472, 478, 58, 68), s, 2);
  }
}

void PaintRightColumn(QPainter& p, const SkinStyle& s) {
  // The notch the right arrow sits in, open towards the panel it pulls out.
  Recess(p, QRectF(743, 187, 24, 52), s.corner > 0 ? 4 : 0, WithAlpha(s.pal.outline, 120), s.pal);
}

void PaintCorners(QPainter& p, const SkinStyle& s) {
  PaintEmblem(p, QPointF(44, 38), s.ornament == Ornament::kEmblem ? 18 : 16, s);
  PaintCornerOrnament(p, QRectF(6, 452, 76, 90), s, 0);
  if (s.ornament == Ornament::kSeams) {
    p.fillRect(QRectF(kHeaderLeft + 4, 5, 4, 21), s.pal.accent);
  }
  if (s.ornament == Ornament::kRivets) {
    PaintRivet(p, QPointF(752, 14), 3.2, s.pal);
    PaintRivet(p, QPointF(8, 23), 3.2, s.pal);
  }
  // The resize grip in the bottom-right corner.
  p.setPen(Qt::NoPen);
  const double inset = 8 + s.corner * 0.3;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j <= i; ++j) {
      const QPointF at(760 - inset - j * 5, 550 - inset - (i - j) * 5);
      p.setBrush(WithAlpha(s.pal.highlight, 190));
      p.drawRect(QRectF(at + QPointF(0.5, 0.5), QSizeF(2, 2)));
      p.setBrush(WithAlpha(s.pal.shadow, 230));
      p.drawRect(QRectF(at, QSizeF(2, 2)));
    }
  }
}

}  // namespace

uint32_t StyleSeed(const SkinStyle& style, uint32_t salt) {
  uint32_t h = 2166136261u ^ salt;
  for (QChar c : style.name) h = (h ^ c.unicode()) * 16777619u;
  return h;
}

QPainterPath FrameOutline(const SkinStyle& s) {
  const double r = s.corner, w = kWindow.width(), h = kWindow.height();
  QPainterPath path;
  path.moveTo(0, kBarTop + r);
  if (r > 0) path.arcTo(QRectF(0, kBarTop, 2 * r, 2 * r), 180, -90);
  path.lineTo(kHeaderLeft, kBarTop);
  switch (s.headerEdge) {
    case HeaderEdge::kCurve: path.cubicTo(kHeaderLeft + 14, kBarTop, kHeaderLeft + 14, 0, kHeaderLeft + 30, 0); break;
    case HeaderEdge::kChamfer: path.lineTo(kHeaderLeft + 15, 0); break;
    case HeaderEdge::kStep: path.lineTo(kHeaderLeft, 0); break;
  }
  path.lineTo(w - r, 0);
  if (r > 0) path.arcTo(QRectF(w - 2 * r, 0, 2 * r, 2 * r), 90, -90);
  path.lineTo(w, h - r);
  if (r > 0) path.arcTo(QRectF(w - 2 * r, h - 2 * r, 2 * r, 2 * r), 0, -90);
  path.lineTo(r, h);
  if (r > 0) path.arcTo(QRectF(0, h - 2 * r, 2 * r, 2 * r), 270, -90);
  path.closeSubpath();
  return path;
}

QImage PaintFrame(const SkinStyle& s) {
  QImage canvas = NewCanvas(kWindow.width(), kWindow.height());
  const QPainterPath outline = FrameOutline(s);
  {
    QPainter p(&canvas);
    SetupPainter(p);
    PaintSurface(p, outline, QRectF(QPointF(0, 0), QSizeF(kWindow)), s, s.pal.frameTop, s.pal.frameBottom,
                 StyleSeed(s, 1));
  }
  AddGrain(canvas, GrainFor(s), StyleSeed(s, 2));
  QPainter p(&canvas);
  SetupPainter(p);
  p.setClipPath(outline);
  PaintHeader(p, outline, s);
  PaintScreen(p, s);
  PaintBottomBar(p, s);
  PaintRightColumn(p, s);
  PaintCorners(p, s);
  PaintTrim(p, outline, s);
  PaintBevel(p, outline, WithAlpha(s.pal.highlight, 200), WithAlpha(s.pal.shadow, 220), 1.2);
  p.setClipping(false);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(s.pal.outline, 1.6));
  p.drawPath(outline);
  return canvas;
}

}  // namespace vantrel::skingen
