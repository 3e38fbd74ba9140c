#pragma once
#include <QImage>
#include <QString>
#include <vector>

#include "tools/skingen/skin_files.h"
#include "tools/skingen/style.h"

namespace vantrel::skingen {

// Pictures of a skin at work, composed from its bitmap files the way the windows place them:
// <Name>-closed.png and <Name>-open.png (the main window with both panels closed and open,
// real controls drawn in), <Name>-dialogs.png (about window and message box) and
// <Name>-strips.png (every button strip, enlarged). The skin is styles[index]; all the
// skins given make the preview buttons.
bool WritePreviews(const std::vector<SkinStyle>& styles, const std::vector<EncodedSkin>& skins, size_t index,
                   const QString& folder);

// A bitmap file's image as the program reads it (null when the bytes are no sound bitmap).
QImage DecodeSkinBitmap(const QByteArray& bytes);

}  // namespace vantrel::skingen
