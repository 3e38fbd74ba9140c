#pragma once
#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <cstdint>

#include "tools/skingen/style.h"

class QPainter;

namespace vantrel::skingen {

// Fills `area` with the style's surface: a vertical gradient from `top` to `bottom` across
// `bounds`, then the style's texture. The same seed gives the same pixels.
void PaintSurface(QPainter& painter, const QPainterPath& area, const QRectF& bounds, const SkinStyle& style,
                  const QColor& top, const QColor& bottom, uint32_t seed);

// How much grain suits the style's texture.
int GrainFor(const SkinStyle& style);

}  // namespace vantrel::skingen
