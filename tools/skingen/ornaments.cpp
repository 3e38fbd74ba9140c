#include "tools/skingen/ornaments.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <cmath>

#include "tools/skingen/paint_util.h"

namespace vantrel::skingen {

namespace {
constexpr double kPi = 3.14159265358979;
}

void PaintEmblem(QPainter& p, QPointF centre, double radius, const SkinStyle& style) {
  const Palette& pal = style.pal;
  p.save();
  QRadialGradient disc(centre - QPointF(radius * 0.35, radius * 0.4), radius * 1.4);
  disc.setColorAt(0, pal.header.lighter(135));
  disc.setColorAt(0.6, pal.header);
  disc.setColorAt(1, pal.headerEnd);
  p.setPen(QPen(pal.outline, std::max(1.0, radius / 12)));
  p.setBrush(disc);
  p.drawEllipse(centre, radius, radius);
  // The "V": a broadcast mast seen from afar.
  const double s = radius * 0.55;
  QPainterPath v;
  v.moveTo(centre + QPointF(-s * 0.75, -s * 0.55));
  v.lineTo(centre + QPointF(0, s * 0.85));
  v.lineTo(centre + QPointF(s * 0.75, -s * 0.55));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(pal.headerText, std::max(1.6, radius / 5.5), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(v);
  p.setPen(QPen(WithAlpha(pal.accent, 230), std::max(1.0, radius / 10), Qt::SolidLine, Qt::RoundCap));
  for (int i = 1; i <= 2; ++i) {
    const double r = s * (0.35 + 0.3 * i);
    const QRectF arc(centre.x() - r, centre.y() - s * 0.55 - r, 2 * r, 2 * r);
    p.drawArc(arc, 50 * 16, 80 * 16);
  }
  // Gloss.
  QLinearGradient gloss(centre - QPointF(0, radius), centre);
  gloss.setColorAt(0, QColor(255, 255, 255, 110));
  gloss.setColorAt(1, QColor(255, 255, 255, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(gloss);
  p.drawEllipse(QRectF(centre.x() - radius * 0.75, centre.y() - radius * 0.92, radius * 1.5, radius * 0.95));
  p.restore();
}

void PaintBlossom(QPainter& p, QPointF centre, double radius, const QColor& petal, const QColor& heart, double turn) {
  p.save();
  p.translate(centre);
  p.rotate(turn);
  for (int i = 0; i < 5; ++i) {
    p.save();
    p.rotate(i * 72);
    QRadialGradient g(QPointF(0, -radius * 0.55), radius * 0.6);
    g.setColorAt(0, petal.lighter(118));
    g.setColorAt(1, petal);
    p.setBrush(g);
    p.setPen(QPen(petal.darker(135), 0.8));
    p.drawEllipse(QRectF(-radius * 0.36, -radius, radius * 0.72, radius * 0.9));
    p.restore();
  }
  p.setBrush(heart);
  p.setPen(QPen(heart.darker(140), 0.8));
  p.drawEllipse(QPointF(0, 0), radius * 0.26, radius * 0.26);
  p.restore();
}

void PaintLeaf(QPainter& p, QPointF base, double length, double angle, const QColor& color) {
  p.save();
  p.translate(base);
  p.rotate(angle);
  QPainterPath leaf;
  leaf.moveTo(0, 0);
  leaf.quadTo(length * 0.5, -length * 0.32, length, 0);
  leaf.quadTo(length * 0.5, length * 0.32, 0, 0);
  p.setBrush(color);
  p.setPen(QPen(color.darker(140), 0.8));
  p.drawPath(leaf);
  p.setPen(QPen(color.lighter(130), 0.7));
  p.drawLine(QPointF(1, 0), QPointF(length * 0.85, 0));
  p.restore();
}

void PaintSparkle(QPainter& p, QPointF centre, double size, const QColor& color) {
  p.save();
  QPainterPath star;
  const double w = size * 0.22;
  star.moveTo(centre + QPointF(0, -size));
  star.quadTo(centre + QPointF(w * 0.3, -w * 0.3), centre + QPointF(size, 0));
  star.quadTo(centre + QPointF(w * 0.3, w * 0.3), centre + QPointF(0, size));
  star.quadTo(centre + QPointF(-w * 0.3, w * 0.3), centre + QPointF(-size, 0));
  star.quadTo(centre + QPointF(-w * 0.3, -w * 0.3), centre + QPointF(0, -size));
  QRadialGradient glow(centre, size * 1.3);
  glow.setColorAt(0, WithAlpha(color.lighter(150), 120));
  glow.setColorAt(1, WithAlpha(color, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(glow);
  p.drawEllipse(centre, size * 1.3, size * 1.3);
  p.setBrush(color);
  p.drawPath(star);
  p.setBrush(QColor(255, 255, 255, 230));
  p.drawEllipse(centre, size * 0.16, size * 0.16);
  p.restore();
}

void PaintRivet(QPainter& p, QPointF centre, double radius, const Palette& pal) {
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(WithAlpha(pal.shadow, 160));
  p.drawEllipse(centre + QPointF(0.8, 0.8), radius, radius);
  QRadialGradient g(centre - QPointF(radius * 0.4, radius * 0.4), radius * 1.6);
  g.setColorAt(0, pal.highlight);
  g.setColorAt(0.5, pal.button);
  g.setColorAt(1, pal.buttonEnd.darker(120));
  p.setBrush(g);
  p.setPen(QPen(pal.outline, 0.8));
  p.drawEllipse(centre, radius, radius);
  p.setPen(QPen(WithAlpha(pal.outline, 170), 0.9));
  p.drawLine(centre + QPointF(-radius * 0.55, radius * 0.55), centre + QPointF(radius * 0.55, -radius * 0.55));
  p.restore();
}

void PaintBubble(QPainter& p, QPointF centre, double radius, const QColor& tint) {
  p.save();
  QRadialGradient body(centre + QPointF(radius * 0.2, radius * 0.3), radius);
  body.setColorAt(0, WithAlpha(tint, 20));
  body.setColorAt(0.8, WithAlpha(tint, 70));
  body.setColorAt(1, WithAlpha(tint.lighter(140), 170));
  p.setBrush(body);
  p.setPen(QPen(QColor(255, 255, 255, 150), std::max(0.7, radius / 10)));
  p.drawEllipse(centre, radius, radius);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 200));
  p.drawEllipse(QRectF(centre.x() - radius * 0.55, centre.y() - radius * 0.6, radius * 0.5, radius * 0.32));
  p.restore();
}

void PaintStitches(QPainter& p, const QPainterPath& path, const QColor& color, double dash) {
  auto stitchPen = [dash](const QColor& c) {
    QPen pen(c, 1.4, Qt::CustomDashLine, Qt::FlatCap);
    pen.setDashPattern({dash / 1.4, dash / 1.4});
    return pen;
  };
  p.save();
  p.setBrush(Qt::NoBrush);
  p.setPen(stitchPen(WithAlpha(Qt::black, 70)));
  p.drawPath(path.translated(0.8, 0.8));
  p.setPen(stitchPen(color));
  p.drawPath(path);
  p.restore();
}

namespace {

QPainterPath Inset(const QPainterPath& outline, double by) {
  // The outline shrunk by `by`: the outline minus a stroke of twice the width.
  QPainterPathStroker stroker;
  stroker.setWidth(by * 2);
  stroker.setJoinStyle(Qt::RoundJoin);
  return outline.subtracted(stroker.createStroke(outline)).simplified();
}

void Blossoms(QPainter& p, const QRectF& a, const Palette& pal, int variant) {
  const QColor pink("#f48fb1"), white("#fff7fb"), yellow("#ffd54f"), leaf = pal.shadow;
  const QPointF c = a.center();
  const double s = std::min(a.width(), a.height());
  PaintLeaf(p, c + QPointF(-s * 0.05, s * 0.1), s * 0.45, 150 + variant * 40, leaf);
  PaintLeaf(p, c + QPointF(s * 0.05, s * 0.05), s * 0.42, 20 - variant * 25, leaf.lighter(115));
  PaintBlossom(p, c + QPointF(-s * 0.18, -s * 0.05), s * 0.24, variant % 2 ? white : pink, yellow, 10 * variant);
  PaintBlossom(p, c + QPointF(s * 0.2, s * 0.12), s * 0.18, variant % 2 ? pink : white, yellow, 33);
  if (s > 30) PaintBlossom(p, c + QPointF(s * 0.02, -s * 0.3), s * 0.13, QColor("#ce93d8"), yellow, 50);
}

void Sparkles(QPainter& p, const QRectF& a, const Palette& pal, int variant) {
  const double s = std::min(a.width(), a.height());
  Rng rng(0x5a1e + variant * 77);
  PaintSparkle(p, a.center() + QPointF(-s * 0.12, -s * 0.05), s * 0.3, pal.accent);
  for (int i = 0; i < 4; ++i) {
    const QPointF at(rng.Range(a.left() + 4, a.right() - 4), rng.Range(a.top() + 4, a.bottom() - 4));
    PaintSparkle(p, at, s * rng.Range(0.08, 0.16), i % 2 ? QColor(255, 245, 250) : pal.accent.lighter(120));
  }
}

void Bubbles(QPainter& p, const QRectF& a, const Palette& pal, int variant) {
  Rng rng(0xb0b + variant * 31);
  const double s = std::min(a.width(), a.height());
  PaintBubble(p, a.center() + QPointF(s * 0.08, s * 0.06), s * 0.26, pal.accent);
  for (int i = 0; i < 5; ++i) {
    const double r = s * rng.Range(0.06, 0.15);
    const QPointF at(rng.Range(a.left() + r, a.right() - r), rng.Range(a.top() + r, a.bottom() - r));
    PaintBubble(p, at, r, pal.accent);
  }
}

void Rivets(QPainter& p, const QRectF& a, const Palette& pal) {
  const double r = 3.2;
  if (a.height() < 40) {
    // A narrow strip: a short row along its middle.
    for (int i = 0; i < 3; ++i) PaintRivet(p, QPointF(a.left() + 8 + i * 12, a.center().y()), r, pal);
    return;
  }
  for (QPointF at : {a.bottomLeft() + QPointF(6, -6), a.bottomRight() + QPointF(-6, -6)}) PaintRivet(p, at, r, pal);
}

void CrossStitchMotif(QPainter& p, const QRectF& a, const Palette& pal) {
  // A small diamond of cross stitches.
  const double step = 5;
  const QPointF c = a.center();
  p.save();
  p.setPen(QPen(pal.accent, 1.3, Qt::SolidLine, Qt::RoundCap));
  for (int i = -3; i <= 3; ++i) {
    for (int j = -3; j <= 3; ++j) {
      if (std::abs(i) + std::abs(j) > 3 || (std::abs(i) + std::abs(j)) % 2 == 1) continue;
      const QPointF at = c + QPointF(i * step, j * step);
      p.drawLine(at + QPointF(-2, -2), at + QPointF(2, 2));
      p.drawLine(at + QPointF(-2, 2), at + QPointF(2, -2));
    }
  }
  p.restore();
}

void SeamBlock(QPainter& p, const QRectF& a, const Palette& pal) {
  p.save();
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 3; ++i) {
    p.setBrush(i == 0 ? pal.accent : WithAlpha(pal.highlight, 200));
    p.drawRect(QRectF(a.left() + 4 + i * 9, a.bottom() - 10, 6, 4));
  }
  p.restore();
}

}  // namespace

void PaintCornerOrnament(QPainter& p, const QRectF& area, const SkinStyle& style, int variant) {
  p.save();
  switch (style.ornament) {
    case Ornament::kEmblem: break;
    case Ornament::kRivets: Rivets(p, area, style.pal); break;
    case Ornament::kBlossoms: Blossoms(p, area, style.pal, variant); break;
    case Ornament::kSparkles: Sparkles(p, area, style.pal, variant); break;
    case Ornament::kStitches: CrossStitchMotif(p, area, style.pal); break;
    case Ornament::kBubbles: Bubbles(p, area, style.pal, variant); break;
    case Ornament::kSeams: SeamBlock(p, area, style.pal); break;
  }
  p.restore();
}

void PaintTrim(QPainter& p, const QPainterPath& outline, const SkinStyle& style) {
  switch (style.ornament) {
    case Ornament::kSparkles: {
      p.save();
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(WithAlpha(style.pal.accent, 200), 1.2));
      p.drawPath(Inset(outline, 4));
      p.restore();
      break;
    }
    case Ornament::kStitches:
      PaintStitches(p, Inset(outline, 5), style.pal.button);
      break;
    default:
      break;
  }
}

}  // namespace vantrel::skingen
