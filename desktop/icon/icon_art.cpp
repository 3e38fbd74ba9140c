#include "desktop/icon/icon_art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <array>

namespace vantrel::icon {
namespace {

struct RoundRect {
  QRectF rect;
  double radius;
  const char* fill;  // empty: the tile's gradient
};

constexpr const char* kTileTop = "#3a7bd5";
constexpr const char* kTileBottom = "#1d2b64";
constexpr const char* kLight = "#f0f4ff";
constexpr const char* kScreen = "#141a33";
constexpr const char* kPlay = "#ff9f1c";

const std::array<RoundRect, 3> kRects = {{
    {{16, 16, 224, 224}, 48, ""},
    {{40, 84, 176, 128}, 22, kLight},
    {{56, 100, 144, 96}, 12, kScreen},
}};
constexpr double kAntennaWidth = 10;
constexpr QPointF kAntennaFoot{128, 92};
const std::array<QPointF, 2> kAntennaTips = {{{84, 38}, {172, 38}}};
constexpr double kTipRadius = 9;
const std::array<QPointF, 3> kPlaySign = {{{112, 122}, {112, 174}, {158, 148}}};

QString Number(double value) { return QString::number(value, 'g', 6); }

}  // namespace

QString IconSvg() {
  QString svg = QStringLiteral(
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" viewBox=\"0 0 %1 %1\">\n"
                    "  <defs><linearGradient id=\"tile\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
                    "<stop offset=\"0\" stop-color=\"%2\"/><stop offset=\"1\" stop-color=\"%3\"/></linearGradient></defs>\n")
                    .arg(kCanvas)
                    .arg(QLatin1String(kTileTop), QLatin1String(kTileBottom));
  auto rect = [&](const RoundRect& r) {
    svg += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
               .arg(Number(r.rect.x()), Number(r.rect.y()), Number(r.rect.width()), Number(r.rect.height()),
                    Number(r.radius), *r.fill ? QLatin1String(r.fill) : QLatin1String("url(#tile)"));
  };
  rect(kRects[0]);
  for (const QPointF& tip : kAntennaTips) {
    svg += QStringLiteral("  <line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" stroke-width=\"%6\" "
                          "stroke-linecap=\"round\"/>\n")
               .arg(Number(kAntennaFoot.x()), Number(kAntennaFoot.y()), Number(tip.x()), Number(tip.y()),
                    QLatin1String(kLight), Number(kAntennaWidth));
    svg += QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\"/>\n")
               .arg(Number(tip.x()), Number(tip.y()), Number(kTipRadius), QLatin1String(kLight));
  }
  rect(kRects[1]);
  rect(kRects[2]);
  QString points;
  for (const QPointF& p : kPlaySign) points += Number(p.x()) + ',' + Number(p.y()) + ' ';
  svg += QStringLiteral("  <polygon points=\"%1\" fill=\"%2\"/>\n").arg(points.trimmed(), QLatin1String(kPlay));
  return svg + QStringLiteral("</svg>\n");
}

QImage IconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(static_cast<double>(size) / kCanvas, static_cast<double>(size) / kCanvas);
  painter.setPen(Qt::NoPen);
  auto rect = [&](const RoundRect& r) {
    if (*r.fill) {
      painter.setBrush(QColor(QLatin1String(r.fill)));
    } else {
      QLinearGradient tile(0, r.rect.top(), 0, r.rect.bottom());
      tile.setColorAt(0, QColor(QLatin1String(kTileTop)));
      tile.setColorAt(1, QColor(QLatin1String(kTileBottom)));
      painter.setBrush(tile);
    }
    painter.drawRoundedRect(r.rect, r.radius, r.radius);
  };
  rect(kRects[0]);
  painter.setPen(QPen(QColor(QLatin1String(kLight)), kAntennaWidth, Qt::SolidLine, Qt::RoundCap));
  for (const QPointF& tip : kAntennaTips) painter.drawLine(kAntennaFoot, tip);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(QLatin1String(kLight)));
  for (const QPointF& tip : kAntennaTips) painter.drawEllipse(tip, kTipRadius, kTipRadius);
  rect(kRects[1]);
  rect(kRects[2]);
  painter.setBrush(QColor(QLatin1String(kPlay)));
  painter.drawPolygon(kPlaySign.data(), static_cast<int>(kPlaySign.size()));
  painter.end();
  return image;
}

}  // namespace vantrel::icon
