#pragma once
// The small pictures that tell the skins apart: the emblem, blossoms, rivets, sparkles,
// stitches, bubbles and seams.
#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include "tools/skingen/style.h"

class QPainter;

namespace vantrel::skingen {

// The program's mark: a disc with a "V" and two broadcast waves.
void PaintEmblem(QPainter& p, QPointF centre, double radius, const SkinStyle& style);

void PaintBlossom(QPainter& p, QPointF centre, double radius, const QColor& petal, const QColor& heart,
                  double turn = 0);
void PaintLeaf(QPainter& p, QPointF base, double length, double angle, const QColor& color);
void PaintSparkle(QPainter& p, QPointF centre, double size, const QColor& color);
void PaintRivet(QPainter& p, QPointF centre, double radius, const Palette& pal);
void PaintBubble(QPainter& p, QPointF centre, double radius, const QColor& tint);
// A dashed seam of stitches along a path.
void PaintStitches(QPainter& p, const QPainterPath& path, const QColor& color, double dash = 4);

// The style's decoration of a corner area (blossoms, bubbles, rivets...), drawn inside `area`.
void PaintCornerOrnament(QPainter& p, const QRectF& area, const SkinStyle& style, int variant);

// The style's trim along the inside of an outline (gold line, stitches), if it has one.
void PaintTrim(QPainter& p, const QPainterPath& outline, const SkinStyle& style);

}  // namespace vantrel::skingen
