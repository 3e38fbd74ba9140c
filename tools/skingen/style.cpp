#include "tools/skingen/style.h"

namespace vantrel::skingen {

QFont SkinStyle::Font(int pixelSize, bool bold) const {
  QFont font(family);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setItalic(italic);
  font.setHintingPreference(QFont::PreferFullHinting);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

namespace {

QColor C(const char* hex) { return QColor(QString::fromLatin1(hex)); }

SkinStyle Classic() {
  Palette p;
  p.frameTop = C("#e4eaf2"); p.frameBottom = C("#b4c0d0");
  p.outline = C("#34445c"); p.highlight = C("#ffffff"); p.shadow = C("#7d8ba0");
  p.header = C("#3b6db4"); p.headerEnd = C("#173c78"); p.headerText = C("#ffffff");
  p.accent = C("#2f62b0"); p.button = C("#f4f7fb"); p.buttonEnd = C("#c3cedc"); p.glyph = C("#1f2f48");
  p.screen = C("#0e141c"); p.plate = C("#f3f6fa"); p.panel = C("#eef2f7");
  p.panelTitle = C("#2a5aa0"); p.panelTitleText = C("#ffffff"); p.dialogBar = C("#d5dde8");
  return {"Classic", "Интернет-телевидение и радио", p, 10, HeaderEdge::kCurve, Texture::kSatin,
          ButtonShape::kRounded, Ornament::kEmblem, "DejaVu Sans"};
}

SkinStyle Metall() {
  Palette p;
  p.frameTop = C("#9aa1a8"); p.frameBottom = C("#5f666e");
  p.outline = C("#16191c"); p.highlight = C("#d9dee3"); p.shadow = C("#2c3136");
  p.header = C("#3b4148"); p.headerEnd = C("#1d2126"); p.headerText = C("#e8ecef");
  p.accent = C("#ffae1a"); p.button = C("#c4cad0"); p.buttonEnd = C("#7b838b"); p.glyph = C("#15181b");
  p.screen = C("#08090a"); p.plate = C("#d3d8dd"); p.panel = C("#dde1e5");
  p.panelTitle = C("#3b4148"); p.panelTitleText = C("#ffd27a"); p.dialogBar = C("#a9b0b7");
  SkinStyle s{"Metall", "Стальной характер — чистый звук", p, 3, HeaderEdge::kChamfer, Texture::kBrushed,
              ButtonShape::kSquare, Ornament::kRivets, "DejaVu Sans Mono"};
  s.wordmarkUpper = true;
  return s;
}

SkinStyle Flowers() {
  Palette p;
  p.frameTop = C("#c6e6a4"); p.frameBottom = C("#86bd63");
  p.outline = C("#4a7431"); p.highlight = C("#effbdc"); p.shadow = C("#5f8f43");
  p.header = C("#fff1f5"); p.headerEnd = C("#fbd3e1"); p.headerText = C("#b1336a");
  p.accent = C("#e0558e"); p.button = C("#ff9cc2"); p.buttonEnd = C("#e0558e"); p.glyph = C("#ffffff");
  p.screen = C("#14200e"); p.plate = C("#fffaf0"); p.panel = C("#fffaf0");
  p.panelTitle = C("#7db35a"); p.panelTitleText = C("#ffffff"); p.dialogBar = C("#e9f6dc");
  SkinStyle s{"Flowers", "Весенний эфир в каждом окне", p, 22, HeaderEdge::kCurve, Texture::kMeadow,
              ButtonShape::kCircle, Ornament::kBlossoms, "DejaVu Serif"};
  s.italic = true;
  return s;
}

SkinStyle Glamour() {
  Palette p;
  p.frameTop = C("#6e2463"); p.frameBottom = C("#37103a");
  p.outline = C("#1b061c"); p.highlight = C("#f3c9e6"); p.shadow = C("#220824");
  p.header = C("#2a0b2c"); p.headerEnd = C("#140515"); p.headerText = C("#f1cf6a");
  p.accent = C("#e8c15a"); p.button = C("#f4d77e"); p.buttonEnd = C("#b07f22"); p.glyph = C("#3a0f3d");
  p.screen = C("#100410"); p.plate = C("#fbeef5"); p.panel = C("#fbeef5");
  p.panelTitle = C("#5a1a52"); p.panelTitleText = C("#f1cf6a"); p.dialogBar = C("#f3dcea");
  SkinStyle s{"Glamour", "Звёзды эфира — только для вас", p, 16, HeaderEdge::kCurve, Texture::kVelvet,
              ButtonShape::kJewel, Ornament::kSparkles, "DejaVu Serif"};
  s.italic = true;
  return s;
}

SkinStyle Crossy() {
  Palette p;
  p.frameTop = C("#b4262b"); p.frameBottom = C("#8d1c22");
  p.outline = C("#2a0b0d"); p.highlight = C("#e6777b"); p.shadow = C("#4c0e12");
  p.header = C("#1f4a2c"); p.headerEnd = C("#12301c"); p.headerText = C("#ffe9a8");
  p.accent = C("#ffd34d"); p.button = C("#f6efe0"); p.buttonEnd = C("#d8cbb0"); p.glyph = C("#1f4a2c");
  p.screen = C("#120607"); p.plate = C("#f6efe0"); p.panel = C("#f6efe0");
  p.panelTitle = C("#1f4a2c"); p.panelTitleText = C("#ffe9a8"); p.dialogBar = C("#e8dcc2");
  SkinStyle s{"Crossy", "Клетка к клетке — канал к каналу", p, 6, HeaderEdge::kChamfer, Texture::kTartan,
              ButtonShape::kStitched, Ornament::kStitches, "DejaVu Sans Condensed"};
  s.wordmarkUpper = true;
  return s;
}

SkinStyle Liquid() {
  Palette p;
  p.frameTop = C("#5cc8f2"); p.frameBottom = C("#0a6fae");
  p.outline = C("#023a5c"); p.highlight = C("#d9f4ff"); p.shadow = C("#064b78");
  p.header = C("#1784c6"); p.headerEnd = C("#04497a"); p.headerText = C("#ffffff");
  p.accent = C("#7fe3ff"); p.button = C("#9ee8ff"); p.buttonEnd = C("#0f7fc0"); p.glyph = C("#ffffff");
  p.screen = C("#03131f"); p.plate = C("#e6f7fd"); p.panel = C("#e6f7fd");
  p.panelTitle = C("#1182c4"); p.panelTitleText = C("#ffffff"); p.dialogBar = C("#c4ebfa");
  SkinStyle s{"Liquid", "Эфир, который течёт", p, 28, HeaderEdge::kCurve, Texture::kWater,
              ButtonShape::kBubble, Ornament::kBubbles, "DejaVu Sans"};
  s.italic = true;
  return s;
}

SkinStyle Panels() {
  Palette p;
  p.frameTop = C("#353a41"); p.frameBottom = C("#272b30");
  p.outline = C("#121417"); p.highlight = C("#4d535b"); p.shadow = C("#1a1d21");
  p.header = C("#2b2f35"); p.headerEnd = C("#2b2f35"); p.headerText = C("#f2f3f5");
  p.accent = C("#ff7a1a"); p.button = C("#444a52"); p.buttonEnd = C("#3a3f46"); p.glyph = C("#eef0f2");
  p.screen = C("#0c0d0f"); p.plate = C("#e7eaee"); p.panel = C("#eceef1");
  p.panelTitle = C("#2b2f35"); p.panelTitleText = C("#ff8f3a"); p.dialogBar = C("#d7dbe0");
  SkinStyle s{"Panels", "Всё на своих местах", p, 0, HeaderEdge::kStep, Texture::kTiles, ButtonShape::kFlat,
              Ornament::kSeams, "DejaVu Sans Condensed"};
  s.wordmarkUpper = true;
  return s;
}

}  // namespace

const std::vector<SkinStyle>& BuiltInStyles() {
  static const std::vector<SkinStyle> styles = {Classic(), Metall(), Flowers(), Glamour(),
                                                Crossy(), Liquid(), Panels()};
  return styles;
}

}  // namespace vantrel::skingen
