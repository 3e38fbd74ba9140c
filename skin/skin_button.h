#pragma once
// CSkinBaseButton: the push button of every skinned window. Its look is one skin image holding
// five pictures side by side:
//   0 normal, 1 pressed (also whenever the toggle state is on), 2 hover, 3 focus, 4 disabled.
//
// Setting one up, in this order:
//   button.LoadImage(folder + "/button_close.bmp");   // frame = image width / 5 x image height
//   button.Create(dialog, 37836, 726, 7);             // visible child of frame size at (726, 7)
//   button.SetToggleMode(true);                       // optional
//   dialog->AddOwnerDrawControl(&button, 32, 4);      // its clicks then reach OnCommand(37836)
#include <QAbstractButton>

#include "skin/dib.h"

namespace vantrel {

class CSkinBaseButton : public QAbstractButton {
  Q_OBJECT

 public:
  // What a paint is asked to show, after the owner-draw actions of the button.
  enum class DrawAction { Entire, Select, Focus };
  static constexpr int kPictureCount = 5;

  explicit CSkinBaseButton(QWidget* parent = nullptr);
  ~CSkinBaseButton() override;

  // Loads the five-picture strip (the bitmap messages show on failure and leave it empty) and
  // takes the frame size from it: width / 5 truncated, full height.
  bool LoadImage(const QString& path);
  // Makes the button a visible child of `parent` at (x, y) with the frame size, issuing `commandId`.
  void Create(QWidget* parent, int commandId, int x, int y);

  int CommandId() const { return m_commandId; }
  int FrameWidth() const { return m_frameWidth; }
  int FrameHeight() const { return m_frameHeight; }
  const CDib& Image() const { return m_image; }

  // Toggle mode: every click flips the toggle state before the click reaches anyone else.
  void SetToggleMode(bool toggle) { m_toggleMode = toggle; }
  bool ToggleMode() const { return m_toggleMode; }
  // The owner may read and set the state at any time; setting it repaints.
  bool GetToggleState() const { return m_toggleState; }
  void SetToggleState(bool on);

  bool IsHovered() const { return m_hover; }

  // The picture for an action. `cursorInside` matters for Select only (pressed with the cursor
  // on the button).
  static int PictureFor(DrawAction action, bool enabled, bool hovered, bool on, bool cursorInside);
  // The picture a paint would show now.
  int CurrentPicture() const;
  // Paints the picture for `action` stretched into `rect` (the dialog uses it to put the button
  // into its composed background).
  void DrawItem(QPainter& painter, const QRect& rect, DrawAction action) const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void SetHover(bool hover);
  void SetLastAction(DrawAction action);  // and repaint

  bool m_hover = false;
  bool m_toggleState = false;
  int m_frameWidth = 0;
  int m_frameHeight = 0;
  CDib m_image;
  bool m_toggleMode = false;
  int m_commandId = 0;
  DrawAction m_lastAction = DrawAction::Entire;  // a focus change shows picture 3 until the next change
};

}  // namespace vantrel
