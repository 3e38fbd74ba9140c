#include "skin/skin_button.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace vantrel {

CSkinBaseButton::CSkinBaseButton(QWidget* parent) : QAbstractButton(parent) {
  setMouseTracking(true);  // hover is decided on every move, not only on enter
  setAutoFillBackground(false);
  setFocusPolicy(Qt::StrongFocus);
  // Connected first, so the state is already flipped when the owner hears the click.
  connect(this, &QAbstractButton::clicked, this, [this] {
    if (m_toggleMode) SetToggleState(!m_toggleState);
  });
}

CSkinBaseButton::~CSkinBaseButton() = default;

bool CSkinBaseButton::LoadImage(const QString& path) {
  const bool ok = m_image.LoadMapped(path, true);
  const QSize size = m_image.GetSize();
  m_frameWidth = size.width() / kPictureCount;
  m_frameHeight = size.height();
  updateGeometry();
  return ok;
}

void CSkinBaseButton::Create(QWidget* parent, int commandId, int x, int y) {
  setParent(parent);
  m_commandId = commandId;
  setText(QString());
  setGeometry(x, y, m_frameWidth, m_frameHeight);
  show();
}

void CSkinBaseButton::SetToggleState(bool on) {
  if (m_toggleState == on) return;
  m_toggleState = on;
  SetLastAction(DrawAction::Entire);
}

int CSkinBaseButton::PictureFor(DrawAction action, bool enabled, bool hovered, bool on, bool cursorInside) {
  switch (action) {
    case DrawAction::Entire:
      if (!enabled) return 4;
      if (on) return 1;
      return hovered ? 2 : 0;
    case DrawAction::Select:
      return cursorInside || on ? 1 : 0;
    case DrawAction::Focus:
      return 3;
  }
  return 0;
}

int CSkinBaseButton::CurrentPicture() const {
  // Qt keeps the button down exactly while it is pressed with the cursor on it.
  if (isDown()) return PictureFor(DrawAction::Select, isEnabled(), m_hover, m_toggleState, true);
  return PictureFor(m_lastAction, isEnabled(), m_hover, m_toggleState, false);
}

void CSkinBaseButton::DrawItem(QPainter& painter, const QRect& rect, DrawAction action) const {
  const int picture = PictureFor(action, isEnabled(), m_hover, m_toggleState, isDown());
  m_image.DrawPart(painter, rect.x(), rect.y(), rect.width(), rect.height(), picture * m_frameWidth, 0,
                   m_frameWidth, m_frameHeight);
}

QSize CSkinBaseButton::sizeHint() const { return {m_frameWidth, m_frameHeight}; }

void CSkinBaseButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int picture = CurrentPicture();
  m_image.DrawPart(painter, 0, 0, width(), height(), picture * m_frameWidth, 0, m_frameWidth, m_frameHeight);
}

void CSkinBaseButton::mousePressEvent(QMouseEvent* event) {
  m_lastAction = DrawAction::Entire;
  QAbstractButton::mousePressEvent(event);
}

void CSkinBaseButton::mouseMoveEvent(QMouseEvent* event) {
  const bool inside = rect().contains(event->position().toPoint());
  // Entering with the left button held (a drag from elsewhere) shows no hover.
  if (inside && !m_hover && !(event->buttons() & Qt::LeftButton)) SetHover(true);
  else if (!inside && m_hover) SetHover(false);
  QAbstractButton::mouseMoveEvent(event);
}

void CSkinBaseButton::mouseReleaseEvent(QMouseEvent* event) {
  m_lastAction = DrawAction::Entire;
  const QPointer<CSkinBaseButton> self(this);
  QAbstractButton::mouseReleaseEvent(event);  // a command may close the window and the button with it
  if (self) update();
}

void CSkinBaseButton::leaveEvent(QEvent* event) {
  SetHover(false);
  QAbstractButton::leaveEvent(event);
}

// Gaining and losing focus both show the focus picture until the next state change. Focus
// that only follows the window's activation (a dialog opening over it or closing) comes, on the
// original platform, with a full repaint of the uncovered window, so the picture stays as it was:
// a recording's button stays "on" once the save dialog has gone.
void CSkinBaseButton::focusInEvent(QFocusEvent* event) {
  QAbstractButton::focusInEvent(event);
  if (event->reason() != Qt::ActiveWindowFocusReason) SetLastAction(DrawAction::Focus);
}

void CSkinBaseButton::focusOutEvent(QFocusEvent* event) {
  QAbstractButton::focusOutEvent(event);
  if (event->reason() != Qt::ActiveWindowFocusReason) SetLastAction(DrawAction::Focus);
}

// Enabling or disabling repaints the whole button: a disabled button shows picture 4 even when
// it had the focus picture (disabling moves the focus away first).
void CSkinBaseButton::changeEvent(QEvent* event) {
  QAbstractButton::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) SetLastAction(DrawAction::Entire);
}

void CSkinBaseButton::SetHover(bool hover) {
  m_hover = hover;
  SetLastAction(DrawAction::Entire);
}

void CSkinBaseButton::SetLastAction(DrawAction action) {
  m_lastAction = action;
  update();
}

}  // namespace vantrel
