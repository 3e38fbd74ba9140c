#pragma once
#include <QImage>
#include <QSize>

#include "tools/skingen/style.h"

namespace vantrel::skingen {

enum class Glyph {
  kClose, kMaximize, kMinimize, kQuestion, kRecord, kArrowDown, kArrowRight,
  kHeart, kUnheart, kDownload, kOk, kCancel
};

// The five pictures of a button strip side by side: normal, pressed (also "switched on"),
// hover, focus and disabled. Each is drawn over `background`, the part of the window the
// button covers, since a strip is painted as it is, without a key colour.
QImage ButtonStrip(const SkinStyle& style, Glyph glyph, const QImage& background);

// The preview strip of a skin: a card in the skin's own colours with its name, five states.
QImage PreviewStrip(const SkinStyle& style, QSize frame);

}  // namespace vantrel::skingen
