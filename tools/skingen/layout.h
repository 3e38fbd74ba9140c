#pragma once
// Where the main window puts every skin piece, button and control at the design size, and
// the sizes the generated art takes so that the pieces meet and the panels hide behind them.
#include <QPoint>
#include <QRect>
#include <QSize>

#include "skin/skin_set.h"

namespace vantrel::skingen {

// The main window with both panels closed.
inline constexpr QSize kWindow{760, 550};
inline constexpr QRect kPlayer{88, 37, 647, 435};

// Frame pieces: their rectangles at the design size (the image sizes they are cut to).
struct Piece {
  SkinFile file;
  QRect rect;
  bool shaped;
};
inline constexpr Piece kPieces[] = {
    {kSkin11, {0, 15, 101, 44}, true},   {kSkin12, {101, 15, 399, 30}, false},
    {kSkin13, {500, 0, 260, 245}, true}, {kSkin21, {0, 59, 90, 341}, false},
    {kSkin22, {90, 45, 645, 421}, false}, {kSkin23, {735, 245, 25, 205}, false},
    {kSkin31, {0, 400, 100, 150}, true}, {kSkin32, {100, 466, 434, 84}, true},
    {kSkin33, {534, 466, 177, 84}, false}, {kSkin34, {711, 450, 49, 100}, true},
};

// The fold-out panels: closed positions, sizes and how far they slide.
inline constexpr QPoint kRightPanelAt{476, 29};
inline constexpr QSize kRightPanelSize{284, 410};
inline constexpr QPoint kRightPanelSlide{250, 0};
inline constexpr QPoint kBottomPanelAt{150, 287};
inline constexpr QSize kBottomPanelSize{340, 260};
inline constexpr QPoint kBottomPanelSlide{0, 180};

// Buttons: the skin file of the strip, where it sits (window coordinates, panels open for
// the panel buttons) and the size of one of its five pictures.
struct ButtonPlace {
  SkinFile file;
  QPoint at;
  QSize frame;
};
inline constexpr ButtonPlace kClose{kButtonClose, {726, 7}, {13, 13}};
inline constexpr ButtonPlace kMaximize{kButtonMaximize, {713, 7}, {13, 13}};
inline constexpr ButtonPlace kMinimize{kButtonMinimize, {700, 7}, {13, 13}};
inline constexpr ButtonPlace kQuestion{kButtonQuestion, {438, 480}, {26, 26}};
inline constexpr ButtonPlace kRecord{kButtonRecord, {145, 480}, {80, 26}};
inline constexpr ButtonPlace kDownArrow{kArrowDown, {298, 531}, {44, 14}};
inline constexpr ButtonPlace kRightArrow{kArrowRight, {744, 191}, {14, 44}};
inline constexpr ButtonPlace kHeart{kButtonHeart, {190, 550}, {40, 40}};
inline constexpr ButtonPlace kUnheart{kButtonUnheart, {190, 620}, {40, 40}};
inline constexpr ButtonPlace kDownload{kButtonDownload, {940, 37}, {56, 16}};
inline constexpr QSize kPreviewFrame{70, 48};

// The standard controls of the main window (panels open where they live in one).
inline constexpr QRect kAlwaysOnTop{230, 480, 180, 22};
inline constexpr QRect kHideControls{230, 500, 180, 22};
inline constexpr QRect kNewChannelsLabel{750, 55, 200, 50};
inline constexpr QRect kTree{744, 82, 241, 218};
inline constexpr QRect kByCountries{750, 308, 120, 20};
inline constexpr QRect kByGenres{880, 308, 120, 20};
inline constexpr QRect kDescription{744, 328, 241, 60};
inline constexpr QRect kSiteUrl{744, 395, 140, 20};
inline constexpr QRect kBitRate{888, 395, 96, 20};
inline constexpr QRect kFavourites{250, 530, 222, 172};

// The message box and the about window.
inline constexpr QSize kMessageSize{320, 175};
inline constexpr QRect kMessageText{20, 20, 260, 110};
inline constexpr QPoint kMessageOk{40, 135};
inline constexpr QPoint kMessageCancel{220, 135};
inline constexpr QSize kAboutSize{460, 270};
inline constexpr QPoint kAboutOk{100, 220};
inline constexpr QPoint kAboutCancel{300, 220};
inline constexpr QSize kDialogButton{60, 24};

}  // namespace vantrel::skingen
