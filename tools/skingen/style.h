#pragma once
// The look of one built-in skin: colours, shapes, type and the textures and ornaments that
// make it recognisable. The drawing code is shared; a style only chooses.
#include <QColor>
#include <QFont>
#include <QString>
#include <vector>

namespace vantrel::skingen {

enum class Texture { kSatin, kBrushed, kMeadow, kVelvet, kTartan, kWater, kTiles };
enum class ButtonShape { kRounded, kSquare, kCircle, kJewel, kStitched, kBubble, kFlat };
enum class HeaderEdge { kCurve, kChamfer, kStep };
enum class Ornament { kEmblem, kRivets, kBlossoms, kSparkles, kStitches, kBubbles, kSeams };

struct Palette {
  QColor frameTop, frameBottom;  // the frame's surface, top to bottom
  QColor outline;                // outer edge, and what shaped edges blend into
  QColor highlight, shadow;      // bevel light and dark
  QColor header, headerEnd;      // the raised title piece
  QColor headerText;
  QColor accent;                 // active states, the record lamp's ring, trims
  QColor button, buttonEnd;      // button faces
  QColor glyph;                  // symbols on buttons
  QColor screen;                 // behind the player
  QColor plate;                  // light plates where the window's own texts sit
  QColor panel;                  // the panels' background (also the tree's and the list's)
  QColor panelTitle, panelTitleText;
  QColor dialogBar;              // behind OK and Cancel
};

struct SkinStyle {
  QString name;
  QString tagline;  // a line of the about picture
  Palette pal;
  int corner;  // outer corner radius
  HeaderEdge headerEdge;
  Texture texture;
  ButtonShape buttons;
  Ornament ornament;
  QString family;
  bool italic = false;
  bool wordmarkUpper = false;  // "VANTREL" rather than "Vantrel"

  QFont Font(int pixelSize, bool bold = true) const;
  QString Wordmark() const { return wordmarkUpper ? QStringLiteral("VANTREL") : QStringLiteral("Vantrel"); }
};

// Classic, Metall, Flowers, Glamour, Crossy, Liquid, Panels.
const std::vector<SkinStyle>& BuiltInStyles();

}  // namespace vantrel::skingen
