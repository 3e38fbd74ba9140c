#pragma once
// The program's icon as a handful of shapes on a 256 x 256 canvas: a television set with its
// antenna and a play sign, on a rounded blue tile. The same shapes are written as SVG and
// painted into PNGs, so both forms always show the same picture.
#include <QImage>
#include <QString>

namespace vantrel::icon {

inline constexpr int kCanvas = 256;

// The icon as an SVG document.
QString IconSvg();
// The icon painted at `size` x `size` pixels, transparent around the tile.
QImage IconImage(int size);

}  // namespace vantrel::icon
