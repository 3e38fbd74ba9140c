#include "tools/skingen/panel_art.h"

#include <QLinearGradient>
#include <QPainter>

#include "skin/skin_set.h"
#include "tools/skingen/layout.h"
#include "tools/skingen/ornaments.h"
#include "tools/skingen/paint_util.h"
#include "tools/skingen/surface.h"

namespace vantrel::skingen {
namespace {

double PanelRadius(const SkinStyle& s) { return s.corner == 0 ? 0 : std::clamp(s.corner * 0.6, 4.0, 14.0); }

QPainterPath Rounded(const QRectF& r, double radius) {
  QPainterPath path;
  if (radius > 0) path.addRoundedRect(r, radius, radius); else path.addRect(r);
  return path;
}

// A band in the panel's title colours, with an optional caption.
void Band(QPainter& p, const QRectF& r, const SkinStyle& s, const QString& caption, Qt::Alignment align) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, s.pal.panelTitle.lighter(112));
  g.setColorAt(1, s.pal.panelTitle.darker(112));
  p.fillRect(r, g);
  p.setPen(QPen(WithAlpha(s.pal.outline, 140), 1));
  p.drawLine(QPointF(r.left(), r.bottom() - 0.5), QPointF(r.right(), r.bottom() - 0.5));
  if (caption.isEmpty()) return;
  p.setFont(FitFont(s.Font(13), caption, r.width() - 8));
  DrawShadowText(p, r.adjusted(4, 0, -4, 0), align | Qt::AlignVCenter, caption, s.pal.panelTitleText,
                 WithAlpha(s.pal.outline, 150));
}

// The slot a panel's arrow button sits in.
void Slot(QPainter& p, const QRectF& r, const SkinStyle& s) {
  const QPainterPath path = Rounded(r, PanelRadius(s) > 0 ? 3 : 0);
  p.fillPath(path, WithAlpha(s.pal.outline, 120));
  PaintBevel(p, path, WithAlpha(s.pal.shadow, 200), WithAlpha(s.pal.highlight, 160), 1.0);
}

void Edge(QPainter& p, const QPainterPath& shape, const SkinStyle& s) {
  PaintBevel(p, shape, WithAlpha(Qt::white, 160), WithAlpha(s.pal.shadow, 150), 1.0);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(s.pal.outline, 1.6));
  p.drawPath(shape);
}

// A canvas shaped as a rounded rectangle, with a painter clipped to the shape.
struct ShapedCanvas {
  ShapedCanvas(QSize size, double radius)
      : image(NewCanvas(size.width(), size.height())), shape(Rounded(QRectF(QPointF(0, 0), QSizeF(size)), radius)) {
    painter.begin(&image);
    SetupPainter(painter);
  }
  // Draws the outline and hands the picture over.
  QImage Finish(const SkinStyle& s) {
    Edge(painter, shape, s);
    painter.end();
    return image;
  }
  QImage image;
  QPainterPath shape;
  QPainter painter;
};

// The flat bar OK and Cancel sit on: the buttons' own backgrounds are this flat colour.
void ButtonBar(QPainter& p, const SkinStyle& s, const QRectF& bar, std::initializer_list<QPoint> buttons) {
  const QPainterPath path = Rounded(bar, 5);
  p.fillPath(path, s.pal.dialogBar);
  PaintBevel(p, path, WithAlpha(s.pal.shadow, 150), WithAlpha(Qt::white, 170), 1.0);
  for (QPoint at : buttons) p.fillRect(QRectF(QPointF(at), QSizeF(kDialogButton)).adjusted(-2, -2, 2, 2), s.pal.dialogBar);
}

}  // namespace

QImage PaintRightPanel(const SkinStyle& s) {
  const QSize size = kRightPanelSize;
  ShapedCanvas c(size, PanelRadius(s));
  QPainter& p = c.painter;
  p.fillPath(c.shape, s.pal.panel);
  p.setClipPath(c.shape);
  // The part left of the frame's edge never shows, so the caption starts past it.
  const double hidden = kWindow.width() - (kRightPanelAt + kRightPanelSlide).x();
  Band(p, QRectF(0, 0, size.width(), 26), s, {}, Qt::AlignLeft);
  p.setFont(s.Font(13));
  DrawShadowText(p, QRectF(hidden + 8, 0, 160, 26), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Каталог каналов"),
                 s.pal.panelTitleText, WithAlpha(s.pal.outline, 150));
  Band(p, QRectF(0, size.height() - 18, size.width(), 18), s, {}, Qt::AlignLeft);
  PaintCornerOrnament(p, QRectF(size.width() - 70, size.height() - 20, 44, 22), s, 1);
  // The arrow's notch at the far edge, where the panel is pulled.
  const QPoint arrow = kRightArrow.at - kRightPanelAt - kRightPanelSlide;
  Slot(p, QRectF(arrow.x() - 3, arrow.y() - 4, kRightArrow.frame.width() + 6, kRightArrow.frame.height() + 8), s);
  return c.Finish(s);
}

QImage PaintBottomPanel(const SkinStyle& s) {
  const QSize size = kBottomPanelSize;
  ShapedCanvas c(size, PanelRadius(s));
  QPainter& p = c.painter;
  p.fillPath(c.shape, s.pal.panel);
  p.setClipPath(c.shape);
  const QPoint origin = kBottomPanelAt + kBottomPanelSlide;
  // The column of heart buttons, divided from the list.
  const double divider = kFavourites.left() - origin.x() - 6.5;
  p.setPen(QPen(WithAlpha(s.pal.shadow, 120), 1));
  p.drawLine(QPointF(divider, 86), QPointF(divider, 232));
  p.setPen(QPen(WithAlpha(Qt::white, 180), 1));
  p.drawLine(QPointF(divider + 1, 86), QPointF(divider + 1, 232));
  p.setFont(FitFont(s.Font(12), QStringLiteral("Избранное"), divider - 18));
  p.setPen(s.pal.panelTitle.darker(115));
  p.drawText(QRectF(12, 200, divider - 16, 24), Qt::AlignCenter, QStringLiteral("Избранное"));
  Band(p, QRectF(0, size.height() - 22, size.width(), 22), s, {}, Qt::AlignLeft);
  PaintCornerOrnament(p, QRectF(size.width() - 62, size.height() - 24, 44, 24), s, 3);
  const QPoint arrow = kDownArrow.at - origin;
  Slot(p, QRectF(arrow.x() - 3, arrow.y() - 3, kDownArrow.frame.width() + 6, kDownArrow.frame.height() + 5), s);
  return c.Finish(s);
}

QImage FinishPanel(const QImage& canvas, const SkinStyle& s) {
  QImage image = KeyOut(canvas, s.pal.outline);
  // The colour is read from bytes 50002..50004 of the bottom-up 24-bit rows; those bytes may
  // straddle two pixels, so both get the panel colour.
  const size_t stride = (static_cast<size_t>(image.width()) * 3 + 3) / 4 * 4;
  for (size_t offset = kPanelColourOffset; offset < kPanelMinPixelBytes; ++offset) {
    const int row = static_cast<int>(offset / stride);
    const int x = static_cast<int>(offset % stride / 3);
    if (x < image.width() && row < image.height()) image.setPixel(x, image.height() - 1 - row, s.pal.panel.rgb());
  }
  return image;
}

QImage PaintAboutBack(const SkinStyle& s) {
  const QSize size = kAboutSize;
  ShapedCanvas c(size, std::max(6.0, PanelRadius(s) * 1.2));
  QPainter& p = c.painter;
  p.setClipPath(c.shape);
  PaintSurface(p, c.shape, c.image.rect(), s, s.pal.frameTop, s.pal.frameBottom, 11);
  // Title band: the emblem, the name and the version.
  QLinearGradient head(0, 0, 0, 74);
  head.setColorAt(0, s.pal.header);
  head.setColorAt(1, s.pal.headerEnd);
  p.fillRect(QRectF(0, 0, size.width(), 74), head);
  PaintEmblem(p, QPointF(50, 37), 26, s);
  p.setFont(s.Font(36));
  DrawShadowText(p, QRectF(90, 4, 260, 50), Qt::AlignLeft | Qt::AlignVCenter, s.Wordmark(), s.pal.headerText,
                 WithAlpha(s.pal.outline, 180), {1.5, 1.5});
  p.setFont(s.Font(15, false));
  p.setPen(WithAlpha(s.pal.headerText, 220));
  p.drawText(QRectF(92, 46, 300, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vantrel 2.0.ru"));
  PaintCornerOrnament(p, QRectF(size.width() - 96, 4, 84, 66), s, 4);
  // What the program is, on a light plate.
  const QRectF plate(16, 86, size.width() - 32, 116);
  const QPainterPath platePath = Rounded(plate, 6);
  p.fillPath(platePath, s.pal.plate);
  PaintBevel(p, platePath, WithAlpha(s.pal.shadow, 160), WithAlpha(Qt::white, 200), 1.0);
  const QColor ink = s.pal.panelTitle.darker(160);
  p.setPen(ink);
  p.setFont(FitFont(s.Font(17), s.tagline, plate.width() - 20));
  p.drawText(QRectF(plate.left(), plate.top() + 8, plate.width(), 28), Qt::AlignCenter, s.tagline);
  p.setFont(s.Font(13, false));
  p.drawText(QRectF(plate.left(), plate.top() + 40, plate.width(), 22), Qt::AlignCenter,
             QStringLiteral("Интернет-телевидение и радио на вашем экране"));
  p.drawText(QRectF(plate.left(), plate.top() + 62, plate.width(), 22), Qt::AlignCenter,
             QStringLiteral("Версия 2.0.ru · шкурка «%1»").arg(s.name));
  p.setFont(s.Font(11, false));
  p.setPen(WithAlpha(ink, 170));
  p.drawText(QRectF(plate.left(), plate.top() + 86, plate.width(), 20), Qt::AlignCenter,
             QStringLiteral("© Vantrel Applications"));
  // The bar under OK and Cancel, flat so the buttons' own backgrounds match it.
  ButtonBar(p, s, QRectF(8, kAboutOk.y() - 8, size.width() - 16, kDialogButton.height() + 16), {kAboutOk, kAboutCancel});
  return c.Finish(s);
}

QImage PaintMessageBack(const SkinStyle& s) {
  const QSize size = kMessageSize;
  ShapedCanvas c(size, std::max(6.0, PanelRadius(s)));
  QPainter& p = c.painter;
  p.setClipPath(c.shape);
  PaintSurface(p, c.shape, c.image.rect(), s, s.pal.frameTop, s.pal.frameBottom, 11);
  // The text's plate, a little wider than the text on both sides.
  const QRectF plate = QRectF(kMessageText).adjusted(-8, -8, 8, -2);
  const QPainterPath platePath = Rounded(plate, 5);
  p.fillPath(platePath, s.pal.plate);
  PaintBevel(p, platePath, WithAlpha(s.pal.shadow, 160), WithAlpha(Qt::white, 200), 1.0);
  PaintEmblem(p, QPointF(plate.right() + (size.width() - plate.right()) / 2, 26), 10, s);
  ButtonBar(p, s, QRectF(8, kMessageOk.y() - 4, size.width() - 16, kDialogButton.height() + 8),
            {kMessageOk, kMessageCancel});
  return c.Finish(s);
}

}  // namespace vantrel::skingen
