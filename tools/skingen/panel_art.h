#pragma once
#include <QImage>

#include "tools/skingen/style.h"

namespace vantrel::skingen {

// The two fold-out panels as drawn, before keying (transparent outside their shape). Their
// body is the flat panel colour the channel tree and the favourites list take on.
QImage PaintRightPanel(const SkinStyle& style);
QImage PaintBottomPanel(const SkinStyle& style);

// The keyed panel bitmap, with the panel colour also where the colour bytes are read from.
QImage FinishPanel(const QImage& canvas, const SkinStyle& style);

// The about picture and the message box background, before keying.
QImage PaintAboutBack(const SkinStyle& style);
QImage PaintMessageBack(const SkinStyle& style);

}  // namespace vantrel::skingen
