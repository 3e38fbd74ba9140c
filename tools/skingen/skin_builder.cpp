#include "tools/skingen/skin_builder.h"

#include "tools/skingen/button_art.h"
#include "tools/skingen/frame_art.h"
#include "tools/skingen/layout.h"
#include "tools/skingen/paint_util.h"
#include "tools/skingen/panel_art.h"

namespace vantrel::skingen {
namespace {

QImage Solid(QSize size, const QColor& color) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(color);
  return image;
}

QPoint RightPanelOpen() { return kRightPanelAt + kRightPanelSlide; }
QPoint BottomPanelOpen() { return kBottomPanelAt + kBottomPanelSlide; }

bool Opaque(const QImage& canvas, QPoint at) {
  return canvas.rect().contains(at) && qAlpha(canvas.pixel(at)) >= 128;
}

// Every opaque pixel of `panel` placed at `at` lies on an opaque pixel of one of `pieces`.
int UncoveredPixels(const QImage& frame, const QImage& panel, QPoint at, std::initializer_list<SkinFile> pieces) {
  int uncovered = 0;
  for (int y = 0; y < panel.height(); ++y) {
    for (int x = 0; x < panel.width(); ++x) {
      if (!Opaque(panel, {x, y})) continue;
      const QPoint w = at + QPoint(x, y);
      bool covered = false;
      for (const Piece& piece : kPieces) {
        for (SkinFile f : pieces) covered = covered || (piece.file == f && piece.rect.contains(w) && Opaque(frame, w));
      }
      if (!covered) ++uncovered;
    }
  }
  return uncovered;
}

bool RectOpaque(const QImage& canvas, const QRect& r, QPoint offset = {}) {
  for (int y = r.top(); y <= r.bottom(); ++y) {
    for (int x = r.left(); x <= r.right(); ++x) {
      if (!Opaque(canvas, QPoint(x, y) - offset)) return false;
    }
  }
  return true;
}

}  // namespace

SkinImages BuildSkin(const SkinStyle& s) {
  SkinImages out;
  out.frame = PaintFrame(s);
  for (const Piece& piece : kPieces) {
    const QImage crop = out.frame.copy(piece.rect);
    out.images[piece.file] = piece.shaped ? KeyOut(crop, s.pal.outline) : Flatten(crop, s.pal.outline);
  }
  out.rightPanel = PaintRightPanel(s);
  out.bottomPanel = PaintBottomPanel(s);
  out.images[kSkinMoveRight] = FinishPanel(out.rightPanel, s);
  out.images[kSkinMoveDown] = FinishPanel(out.bottomPanel, s);

  const struct {
    ButtonPlace place;
    Glyph glyph;
    const QImage* canvas;
    QPoint origin;
  } buttons[] = {
      {kClose, Glyph::kClose, &out.frame, {}},
      {kMaximize, Glyph::kMaximize, &out.frame, {}},
      {kMinimize, Glyph::kMinimize, &out.frame, {}},
      {kQuestion, Glyph::kQuestion, &out.frame, {}},
      {kRecord, Glyph::kRecord, &out.frame, {}},
      {kDownArrow, Glyph::kArrowDown, &out.frame, {}},
      {kRightArrow, Glyph::kArrowRight, &out.frame, {}},
      {kHeart, Glyph::kHeart, &out.bottomPanel, BottomPanelOpen()},
      {kUnheart, Glyph::kUnheart, &out.bottomPanel, BottomPanelOpen()},
      {kDownload, Glyph::kDownload, &out.rightPanel, RightPanelOpen()},
  };
  for (const auto& b : buttons) {
    const QImage background = Flatten(b.canvas->copy(QRect(b.place.at - b.origin, b.place.frame)), s.pal.outline);
    out.images[b.place.file] = ButtonStrip(s, b.glyph, background);
  }
  out.images[kButtonOk] = ButtonStrip(s, Glyph::kOk, Solid(kDialogButton, s.pal.dialogBar));
  out.images[kButtonCancel] = ButtonStrip(s, Glyph::kCancel, Solid(kDialogButton, s.pal.dialogBar));
  out.images[kAboutBack] = KeyOut(PaintAboutBack(s), s.pal.outline);
  out.images[kMessageBack] = KeyOut(PaintMessageBack(s), s.pal.outline);
  out.images[kPreview] = PreviewStrip(s, kPreviewFrame);
  return out;
}

QStringList CheckSkinLayout(const SkinStyle& s, const SkinImages& skin) {
  QStringList problems;
  auto fail = [&](const QString& what) { problems << s.name + ": " + what; };
  for (const Piece& piece : kPieces) {
    if (!piece.shaped && !RectOpaque(skin.frame, piece.rect)) fail(QString("piece %1 has holes").arg(piece.file));
  }
  if (int n = UncoveredPixels(skin.frame, skin.rightPanel, kRightPanelAt, {kSkin12, kSkin13, kSkin22, kSkin23}))
    fail(QString("the closed right panel shows %1 pixels").arg(n));
  if (int n = UncoveredPixels(skin.frame, skin.bottomPanel, kBottomPanelAt, {kSkin22, kSkin32}))
    fail(QString("the closed bottom panel shows %1 pixels").arg(n));
  for (const ButtonPlace& b : {kClose, kMaximize, kMinimize, kQuestion, kRecord, kDownArrow, kRightArrow}) {
    if (!RectOpaque(skin.frame, QRect(b.at, b.frame))) fail(QString("button %1 leaves the frame").arg(b.file));
  }
  const QPoint right = RightPanelOpen(), bottom = BottomPanelOpen();
  if (!RectOpaque(skin.rightPanel, QRect(kRightArrow.at + kRightPanelSlide, kRightArrow.frame), right))
    fail("the right arrow leaves its open panel");
  if (!RectOpaque(skin.bottomPanel, QRect(kDownArrow.at + kBottomPanelSlide, kDownArrow.frame), bottom))
    fail("the down arrow leaves its open panel");
  for (const ButtonPlace& b : {kHeart, kUnheart}) {
    if (!RectOpaque(skin.bottomPanel, QRect(b.at, b.frame), bottom)) fail("a heart button leaves the panel");
  }
  if (!RectOpaque(skin.rightPanel, QRect(kDownload.at, kDownload.frame), right)) fail("download leaves the panel");
  for (const QRect& r : {kTree, kDescription, kSiteUrl, kBitRate}) {
    if (!RectOpaque(skin.rightPanel, r.intersected(QRect(760, 0, 1000, 1000)), right)) fail("a tree control leaves the panel");
  }
  if (!RectOpaque(skin.bottomPanel, kFavourites.intersected(QRect(0, 550, 1000, 1000)), bottom))
    fail("the favourites list leaves the panel");
  return problems;
}

}  // namespace vantrel::skingen
