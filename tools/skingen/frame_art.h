#pragma once
#include <QImage>
#include <QPainterPath>

#include "tools/skingen/style.h"

namespace vantrel::skingen {

// The window's outline at the design size with both panels closed.
QPainterPath FrameOutline(const SkinStyle& style);

// The whole frame with both panels closed, as one picture (transparent outside the outline).
// The ten frame pieces are cut from it, so they meet without seams; buttons that sit on the
// frame take their background from it too.
QImage PaintFrame(const SkinStyle& style);

// A seed of its own for each skin, so no two skins share their grain.
uint32_t StyleSeed(const SkinStyle& style, uint32_t salt);

}  // namespace vantrel::skingen
