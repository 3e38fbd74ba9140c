#pragma once
// CSkinBaseDialog: the base of every skinned window. A frameless dialog whose look is composed
// from background parts:
//   - bitmap parts (kind 101): a skin image in a rectangle of the window;
//   - control parts (kind 102): a child widget that takes part in layout;
//   - owner-drawn parts (kind 103): a CSkinBaseButton that is also painted into the background.
// The array order of the parts is painting order and hit-test order. From the parts the window
// takes its shape (the union of the visible bitmap parts' shapes: a window mask on X11, key pixels
// left fully transparent everywhere), its size (the bounds of the bitmap parts), what dragging it
// does (each part's hit code) and how a size change moves each part (its anchors).
//
// Typical use in a derived window's constructor:
//   AddBitmapPart(folder + "/skin_11.bmp", kAnchorLeft, kAnchorTop, kHitMove, true, 0, 15, -1, -1);
//   m_close.LoadImage(folder + "/button_close.bmp");
//   m_close.Create(this, 37836, 726, 7);
//   AddOwnerDrawControl(&m_close, kAnchorFollow, kAnchorTop);
//   Part(16)->SetOverlaps({Part(4), Part(7)});
// then override OnCommand for the buttons, GetMinTrackSize for a minimum size, and
// OnMoveStarted/OnMoveFinished to follow StartMove slides.
#include <QBasicTimer>
#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <list>
#include <memory>
#include <vector>

#include "skin/dib.h"

namespace vantrel {

class CSkinBaseButton;

class CSkinBaseDialog : public QDialog {
  Q_OBJECT

 public:
  // Part kinds.
  static constexpr int kBitmapPart = 101;
  static constexpr int kControlPart = 102;
  static constexpr int kOwnerDrawPart = 103;
  // Anchors. Horizontal: stretch, follow the right edge, or stay (kAnchorLeft); vertical:
  // stretch, follow the bottom edge, or stay (kAnchorTop). Any other value also stays.
  static constexpr int kAnchorStretch = 2;
  static constexpr int kAnchorFollow = 32;        // horizontal
  static constexpr int kAnchorFollowBottom = 8;   // vertical
  static constexpr int kAnchorLeft = 16;
  static constexpr int kAnchorTop = 4;
  // Hit codes: what dragging a part does. Edges add up (corners 20, 24, 36, 40).
  static constexpr int kHitNone = 0;
  static constexpr int kHitTop = 4;
  static constexpr int kHitBottom = 8;
  static constexpr int kHitLeft = 16;
  static constexpr int kHitRight = 32;
  static constexpr int kHitMove = 64;
  // Part movements: all share one timer, so at most one runs.
  static constexpr int kMoveTimerId = 101;
  static constexpr int kMoveStepCount = 5;
  static constexpr int kMoveStepMs = 30;

  class CSkinBkPart;
  class CMoveInfo;
  template <class TButton>
  class CSkinOwnerDrawControl;

  explicit CSkinBaseDialog(QWidget* parent = nullptr);
  ~CSkinBaseDialog() override;

  // Loads the image (the bitmap messages show on failure and leave the part empty), places the
  // part by SetPartRect (right or bottom -1: the image's width or height; a shaped part always
  // takes its image's size), appends it and refits the window. Returns the part's index.
  int AddBitmapPart(const QString& imagePath, int hAnchor, int vAnchor, int hitCode, bool shaped, int left,
                    int top, int right, int bottom);
  // A child widget that follows its anchors; never shapes the window, hit code 0.
  int AddControlPart(QWidget* control, int hAnchor, int vAnchor);
  // A skinned button painted into the background too; its clicks reach OnCommand(CommandId()).
  int AddOwnerDrawControl(CSkinBaseButton* button, int hAnchor, int vAnchor);

  int PartCount() const { return static_cast<int>(m_parts.size()); }
  CSkinBkPart* Part(int index) const;

  // Places a part (window coordinates, right and bottom exclusive). Bitmap parts: a shaped part
  // with an image takes the image's size; otherwise -1 for right or bottom means the image's
  // width or height. Control parts: the widget is moved there. With `redraw` the part repaints.
  void SetPartRect(CSkinBkPart* part, bool redraw, int left, int top, int right, int bottom);
  // The screen rectangle the window must cover: the union of the visible bitmap parts' rectangles
  // moved by the window's screen position.
  QRect GetPartsBounds() const;
  // With `fit`, resizes the window to the parts' bounds keeping its top-left corner; then shapes
  // the window by its parts (and repaints it with `redraw`).
  void UpdateLayout(bool fit, bool redraw);
  // The first visible part, in array order, whose region holds the point (window coordinates).
  int HitTestPart(const QPoint& point);
  // A part's region in window coordinates, from a per-rectangle cache (a part that only moved has
  // its cached region moved). With `cutOverlaps` the regions of its overlap list are cut out.
  QRegion GetPartRegion(CSkinBkPart* part, bool cutOverlaps);
  // The union of the visible bitmap parts' regions; false when there are no parts.
  bool BuildWindowRegion(QRegion& region);
  // Re-anchors every part for a window of the given size.
  void ResizeParts(int width, int height);
  // The region last given to the window (empty: the window is not shaped).
  const QRegion& WindowRegion() const { return m_windowRegion; }

  // Slides `parts` by (dx, dy) in five steps 30 ms apart, the window refitted at every step.
  // Refused (false, nothing else happens) while a movement is queued.
  bool StartMove(const std::vector<CSkinBkPart*>& parts, int dx, int dy);
  bool IsMoving() const { return !m_moves.empty(); }
  // The movement timer's handler, by timer id: only kMoveTimerId advances a movement.
  void OnTimer(int timerId);

  bool IsDragging() const { return m_dragging; }
  // The new window rectangle for a drag by `delta` from `startBounds` with hit code `mode`,
  // held to `minSize` with the dragged edge giving way.
  static QRect DragRect(const QRect& startBounds, int mode, const QPoint& delta, const QSize& minSize);

  // Commands of the registered skinned buttons.
  virtual void OnCommand(int id);

 protected:
  // The smallest size a drag may leave; the base allows any (0 x 0).
  virtual QSize GetMinTrackSize() const;
  // A movement was queued (given a copy) / has made its last step (given it before it goes).
  virtual void OnMoveStarted(CMoveInfo info);
  virtual void OnMoveFinished(const CMoveInfo& info);

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

  // The size-change handling (anchors, shape); a 0 x 0 size (minimised) changes nothing.
  void OnSize(int width, int height);
  // Recomposes the parts within `clip` into the off-screen buffer.
  void ComposeBackground(const QRect& clip);
  const QImage& Buffer() const { return m_buffer; }

 private:
  QRegion Overlapped(CSkinBkPart* part, const QRegion& own, bool cutOverlaps);
  void ApplyWindowRegion(bool redraw);
  void UpdateCursor(const QPoint& point);
  static bool ClientPositioningRefused();
  static bool PlatformShapesWindows();
  void StartSystemDrag(int hitCode);

  bool m_reuseBuffer = false;  // set by a window move: the next paint may reuse the buffer
  QImage m_buffer;             // the composed background
  QRect m_composedArea;
  bool m_dragging = false;
  QPoint m_dragStartPoint;
  QRect m_dragStartBounds;
  int m_dragMode = 0;
  QSize m_minTrackSize;
  QRegion m_windowRegion;
  std::vector<std::unique_ptr<CSkinBkPart>> m_parts;
  std::list<std::unique_ptr<CMoveInfo>> m_moves;
  QBasicTimer m_moveTimer;  // timer kMoveTimerId
};

}  // namespace vantrel

#include "skin/skin_bk_part.h"
