#include "tools/skingen/button_art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include "tools/skingen/ornaments.h"
#include "tools/skingen/paint_util.h"
#include "tools/skingen/surface.h"

namespace vantrel::skingen {
namespace {

enum State { kNormal, kPressed, kHover, kFocus, kDisabled, kStateCount };

// Arrows are tabs that travel with their panel, so they fill their whole rectangle.
bool FillsRect(Glyph g) { return g == Glyph::kArrowDown || g == Glyph::kArrowRight; }

QPainterPath FaceShape(const SkinStyle& s, const QRectF& r, Glyph g) {
  QPainterPath path;
  if (FillsRect(g)) {
    path.addRect(r);
    return path;
  }
  const bool round = std::abs(r.width() - r.height()) < 2;
  switch (s.buttons) {
    case ButtonShape::kSquare:
    case ButtonShape::kFlat:
      path.addRect(r);
      break;
    case ButtonShape::kRounded:
    case ButtonShape::kStitched:
      path.addRoundedRect(r, std::min(4.0, r.height() / 4), std::min(4.0, r.height() / 4));
      break;
    case ButtonShape::kCircle:
    case ButtonShape::kJewel:
    case ButtonShape::kBubble:
      if (round) path.addEllipse(r); else path.addRoundedRect(r, r.height() / 2, r.height() / 2);
      break;
  }
  return path;
}

QColor Grey(const QColor& c) {
  const int v = qGray(c.rgb());
  return Mix(c, QColor(v, v, v), 0.8);
}

struct FaceColours {
  QColor top, bottom, edge, glyph;
};

FaceColours ColoursFor(const SkinStyle& s, Glyph g, int state) {
  const Palette& pal = s.pal;
  FaceColours c{pal.button, pal.buttonEnd, pal.outline, pal.glyph};
  if (g == Glyph::kClose && state == kHover) {
    c.top = QColor("#ff8a80");
    c.bottom = QColor("#d32f2f");
    c.glyph = Qt::white;
  }
  switch (state) {
    case kPressed:
      c.top = c.top.darker(118);
      c.bottom = c.bottom.darker(108);
      std::swap(c.top, c.bottom);
      break;
    case kHover:
      c.top = c.top.lighter(112);
      c.bottom = c.bottom.lighter(115);
      c.edge = pal.accent.darker(110);
      break;
    case kDisabled:
      c.top = Grey(c.top);
      c.bottom = Grey(c.bottom);
      c.glyph = WithAlpha(Grey(c.glyph), 110);
      c.edge = WithAlpha(Grey(c.edge), 150);
      break;
    default:
      break;
  }
  return c;
}

void PaintFace(QPainter& p, const SkinStyle& s, const QPainterPath& shape, const QRectF& r, const FaceColours& c,
               int state) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, c.top);
  g.setColorAt(1, c.bottom);
  p.setPen(Qt::NoPen);
  p.setBrush(s.buttons == ButtonShape::kFlat ? QBrush(state == kHover ? Mix(c.top, s.pal.accent, 0.35) : c.top) : QBrush(g));
  p.drawPath(shape);
  const bool pressed = state == kPressed;
  switch (s.buttons) {
    case ButtonShape::kBubble:
    case ButtonShape::kJewel: {
      // A glassy shine over the upper half.
      QLinearGradient shine(r.topLeft(), QPointF(r.left(), r.center().y()));
      shine.setColorAt(0, QColor(255, 255, 255, pressed ? 60 : 170));
      shine.setColorAt(1, QColor(255, 255, 255, 10));
      p.setBrush(shine);
      const QRectF gloss(r.left() + r.width() * 0.14, r.top() + 1, r.width() * 0.72, r.height() * 0.46);
      p.drawRoundedRect(gloss, gloss.height() / 2, gloss.height() / 2);
      break;
    }
    case ButtonShape::kStitched:
      // Stitches only where they have room; on small buttons they would be noise.
      if (std::min(r.width(), r.height()) >= 20) {
        PaintStitches(p, FaceShape(s, r.adjusted(2.5, 2.5, -2.5, -2.5), Glyph::kOk), s.pal.glyph, 3);
      }
      break;
    default:
      break;
  }
  if (s.buttons != ButtonShape::kFlat) {
    PaintBevel(p, shape, WithAlpha(Qt::white, pressed ? 40 : 120), WithAlpha(Qt::black, pressed ? 30 : 60), 0.8,
               pressed);
  }
  p.setBrush(Qt::NoBrush);
  const double edge = s.buttons == ButtonShape::kJewel ? 1.6 : 1.0;
  p.setPen(QPen(s.buttons == ButtonShape::kJewel && state != kDisabled ? s.pal.accent.darker(125) : c.edge, edge));
  p.drawPath(shape);
  if (state == kFocus) {
    p.setPen(QPen(s.pal.accent, 1, Qt::DotLine));
    p.drawPath(FaceShape(s, r.adjusted(2, 2, -2, -2), Glyph::kOk));
  }
}

QPainterPath HeartPath(const QRectF& r) {
  const double w = r.width(), h = r.height();
  QPainterPath heart;
  heart.moveTo(r.left() + w * 0.5, r.top() + h * 0.95);
  heart.cubicTo(r.left() - w * 0.05, r.top() + h * 0.55, r.left() + w * 0.05, r.top() - h * 0.05,
                r.left() + w * 0.5, r.top() + h * 0.25);
  heart.cubicTo(r.left() + w * 0.95, r.top() - h * 0.05, r.left() + w * 1.05, r.top() + h * 0.55,
                r.left() + w * 0.5, r.top() + h * 0.95);
  return heart;
}

QPainterPath Triangle(const QRectF& r, Qt::ArrowType dir) {
  QPolygonF t;
  switch (dir) {
    case Qt::DownArrow: t << r.topLeft() << r.topRight() << QPointF(r.center().x(), r.bottom()); break;
    case Qt::UpArrow: t << r.bottomLeft() << r.bottomRight() << QPointF(r.center().x(), r.top()); break;
    case Qt::RightArrow: t << r.topLeft() << r.bottomLeft() << QPointF(r.right(), r.center().y()); break;
    default: t << r.topRight() << r.bottomRight() << QPointF(r.left(), r.center().y()); break;
  }
  QPainterPath path;
  path.addPolygon(t);
  path.closeSubpath();
  return path;
}

void Label(QPainter& p, const SkinStyle& s, const QRectF& r, const QString& text, const QColor& color, int size) {
  p.setFont(FitFont(s.Font(size), text, r.width()));
  p.setPen(color);
  p.drawText(r, Qt::AlignCenter, text);
}

void PaintGlyph(QPainter& p, const SkinStyle& s, Glyph g, const QRectF& r, const FaceColours& c, int state) {
  const double m = std::min(r.width(), r.height());
  const QPointF mid = r.center();
  const bool disabled = state == kDisabled;
  QPen pen(c.glyph, std::max(1.3, m / 9), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  switch (g) {
    case Glyph::kClose: {
      const double d = m * 0.22;
      p.drawLine(mid + QPointF(-d, -d), mid + QPointF(d, d));
      p.drawLine(mid + QPointF(-d, d), mid + QPointF(d, -d));
      break;
    }
    case Glyph::kMaximize: {
      const double d = m * 0.24;
      p.setPen(QPen(c.glyph, 1.1));
      p.drawRect(QRectF(mid.x() - d, mid.y() - d, 2 * d, 2 * d));
      p.drawLine(QPointF(mid.x() - d, mid.y() - d + 1), QPointF(mid.x() + d, mid.y() - d + 1));
      break;
    }
    case Glyph::kMinimize:
      p.drawLine(QPointF(mid.x() - m * 0.22, mid.y() + m * 0.2), QPointF(mid.x() + m * 0.22, mid.y() + m * 0.2));
      break;
    case Glyph::kQuestion:
      Label(p, s, r, QStringLiteral("?"), c.glyph, static_cast<int>(m * 0.72));
      break;
    case Glyph::kRecord: {
      const QPointF lamp(r.left() + r.height() * 0.55, mid.y());
      const double lr = r.height() * 0.2;
      QColor red = disabled ? Grey(QColor("#c62828")) : QColor(state == kPressed ? "#ff3b30" : "#d32f2f");
      if (state == kPressed) {
        QRadialGradient glow(lamp, lr * 2.4);
        glow.setColorAt(0, QColor(255, 80, 60, 200));
        glow.setColorAt(1, QColor(255, 80, 60, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(lamp, lr * 2.4, lr * 2.4);
      }
      p.setPen(QPen(red.darker(150), 1));
      p.setBrush(red);
      p.drawEllipse(lamp, lr, lr);
      Label(p, s, QRectF(r.left() + r.height(), r.top(), r.width() - r.height() - 4, r.height()),
            QStringLiteral("Запись"), c.glyph, 12);
      break;
    }
    case Glyph::kArrowDown:
    case Glyph::kArrowRight: {
      const bool down = g == Glyph::kArrowDown;
      const bool open = state == kPressed;
      const QRectF t = down ? QRectF(mid.x() - 6, mid.y() - 3, 12, 6) : QRectF(mid.x() - 3, mid.y() - 6, 6, 12);
      const Qt::ArrowType dir = down ? (open ? Qt::UpArrow : Qt::DownArrow) : (open ? Qt::LeftArrow : Qt::RightArrow);
      p.setPen(Qt::NoPen);
      p.setBrush(c.glyph);
      p.drawPath(Triangle(t, dir));
      break;
    }
    case Glyph::kHeart:
    case Glyph::kUnheart: {
      const QRectF h(mid.x() - m * 0.3, mid.y() - m * 0.26, m * 0.6, m * 0.54);
      const bool add = g == Glyph::kHeart;
      QColor fill = add ? QColor("#e8344e") : QColor("#9aa0a6");
      if (disabled) fill = WithAlpha(Grey(fill), 150);
      p.setPen(QPen(fill.darker(150), 1));
      p.setBrush(fill);
      p.drawPath(HeartPath(h));
      const QPointF badge(h.right() - 1, h.bottom() - 2);
      p.setPen(Qt::NoPen);
      p.setBrush(fill.darker(125));
      p.drawEllipse(badge, 5.5, 5.5);
      p.setPen(QPen(QColor(255, 255, 255, disabled ? 140 : 255), 1.8, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(badge + QPointF(-3, 0), badge + QPointF(3, 0));
      if (add) p.drawLine(badge + QPointF(0, -3), badge + QPointF(0, 3));
      break;
    }
    case Glyph::kDownload: {
      const QPointF a(r.left() + 8, mid.y());
      p.setPen(QPen(c.glyph, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawLine(a + QPointF(0, -4), a + QPointF(0, 3));
      p.drawLine(a + QPointF(-3, 0), a + QPointF(0, 3));
      p.drawLine(a + QPointF(3, 0), a + QPointF(0, 3));
      Label(p, s, QRectF(r.left() + 13, r.top(), r.width() - 15, r.height()), QStringLiteral("Скачать"), c.glyph, 10);
      break;
    }
    case Glyph::kOk:
      Label(p, s, r, QStringLiteral("OK"), c.glyph, 13);
      break;
    case Glyph::kCancel:
      Label(p, s, r.adjusted(3, 0, -3, 0), QStringLiteral("Отмена"), c.glyph, 12);
      break;
  }
}

}  // namespace

QImage ButtonStrip(const SkinStyle& s, Glyph glyph, const QImage& background) {
  const QSize frame = background.size();
  QImage strip = NewCanvas(frame.width() * kStateCount, frame.height());
  QPainter p(&strip);
  SetupPainter(p);
  for (int state = 0; state < kStateCount; ++state) {
    p.save();
    p.translate(state * frame.width(), 0);
    p.setClipRect(QRect(QPoint(0, 0), frame));
    p.drawImage(0, 0, background);
    const QRectF r(0.5, 0.5, frame.width() - 1.0, frame.height() - 1.0);
    const FaceColours c = ColoursFor(s, glyph, state);
    PaintFace(p, s, FaceShape(s, r, glyph), r, c, state);
    const QRectF g = state == kPressed ? r.translated(0.6, 0.6) : r;
    PaintGlyph(p, s, glyph, g, c, state);
    p.restore();
  }
  p.end();
  return Flatten(strip, s.pal.outline);
}

QImage PreviewStrip(const SkinStyle& s, QSize frame) {
  QImage strip = NewCanvas(frame.width() * kStateCount, frame.height());
  QPainter p(&strip);
  SetupPainter(p);
  const Palette& pal = s.pal;
  for (int state = 0; state < kStateCount; ++state) {
    p.save();
    p.translate(state * frame.width(), 0);
    const QRectF card(0, 0, frame.width(), frame.height());
    QPainterPath area;
    area.addRect(card);
    PaintSurface(p, area, card, s, pal.frameTop, pal.frameBottom, 7);
    // A tiny window: the title piece and the dark screen.
    p.fillRect(QRectF(4, 4, frame.width() - 8, 9), pal.header);
    p.fillRect(QRectF(6, 13, frame.width() - 12, 13), pal.screen);
    p.setPen(Qt::NoPen);
    p.setBrush(pal.accent);
    p.drawEllipse(QPointF(frame.width() - 9, 8.5), 2.2, 2.2);
    // The name on a light plate.
    const QRectF plate(3, frame.height() - 20, frame.width() - 6, 17);
    p.setBrush(pal.plate);
    p.setPen(QPen(WithAlpha(pal.outline, 160), 1));
    p.drawRoundedRect(plate, 3, 3);
    const QColor ink = state == kDisabled ? QColor(150, 150, 150) : QColor(pal.panelTitle).darker(130);
    p.setFont(FitFont(s.Font(12), s.name, plate.width() - 4));
    p.setPen(ink);
    p.drawText(plate, Qt::AlignCenter, s.name);
    if (state == kHover) p.fillRect(card, QColor(255, 255, 255, 50));
    if (state == kDisabled) p.fillRect(card, QColor(128, 128, 128, 120));
    // Frame: the current skin's card wears a bright double ring.
    const bool on = state == kPressed;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(on ? pal.accent : (state == kHover ? pal.highlight : pal.outline), on ? 3 : 1.4));
    p.drawRect(card.adjusted(on ? 1.5 : 0.7, on ? 1.5 : 0.7, on ? -1.5 : -0.7, on ? -1.5 : -0.7));
    if (on) {
      p.setPen(QPen(Qt::white, 1));
      p.drawRect(card.adjusted(3.5, 3.5, -3.5, -3.5));
    }
    if (state == kFocus) {
      p.setPen(QPen(pal.accent, 1, Qt::DotLine));
      p.drawRect(card.adjusted(2.5, 2.5, -2.5, -2.5));
    }
    p.restore();
  }
  p.end();
  return Flatten(strip, pal.outline);
}

}  // namespace vantrel::skingen
