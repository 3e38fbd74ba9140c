#pragma once
#include <QImage>
#include <QString>
#include <QStringList>
#include <array>

#include "skin/skin_set.h"
#include "tools/skingen/style.h"

namespace vantrel::skingen {

// One skin's 27 bitmaps, in the order of the required file names, as they are written.
struct SkinImages {
  std::array<QImage, kSkinFileCount> images;
  QImage frame;        // the closed frame before it was cut (for checks)
  QImage rightPanel;   // the panels before keying (for checks)
  QImage bottomPanel;
};

SkinImages BuildSkin(const SkinStyle& style);

// What is wrong with the art against the window's fixed positions; empty when it fits.
QStringList CheckSkinLayout(const SkinStyle& style, const SkinImages& skin);

}  // namespace vantrel::skingen
