#include <QGuiApplication>
#include <QMouseEvent>
#include <QWindow>

#include "skin/skin_base_dialog.h"

namespace vantrel {

QRect CSkinBaseDialog::DragRect(const QRect& startBounds, int mode, const QPoint& delta, const QSize& minSize) {
  int left = startBounds.x(), top = startBounds.y();
  int right = left + startBounds.width(), bottom = top + startBounds.height();
  if (mode == kHitMove) {
    return QRect(left + delta.x(), top + delta.y(), right - left, bottom - top);
  }
  if (mode & kHitLeft) left += delta.x();
  if (mode & kHitRight) right += delta.x();
  if (mode & kHitTop) top += delta.y();
  if (mode & kHitBottom) bottom += delta.y();
  // Below the minimum the dragged edge gives way, the other stays put.
  if (right - left < minSize.width()) {
    if (mode & kHitLeft) left = right - minSize.width();
    else right = left + minSize.width();
  }
  if (bottom - top < minSize.height()) {
    if (mode & kHitTop) top = bottom - minSize.height();
    else bottom = top + minSize.height();
  }
  return QRect(left, top, right - left, bottom - top);
}

bool CSkinBaseDialog::ClientPositioningRefused() {
  return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void CSkinBaseDialog::StartSystemDrag(int hitCode) {
  QWindow* window = windowHandle();
  if (window == nullptr) return;
  if (hitCode == kHitMove) {
    window->startSystemMove();
    return;
  }
  // The compositor resizes the window; it holds the minimum size the window reports.
  setMinimumSize(GetMinTrackSize());
  Qt::Edges edges;
  if (hitCode & kHitLeft) edges |= Qt::LeftEdge;
  if (hitCode & kHitRight) edges |= Qt::RightEdge;
  if (hitCode & kHitTop) edges |= Qt::TopEdge;
  if (hitCode & kHitBottom) edges |= Qt::BottomEdge;
  if (edges) window->startSystemResize(edges);
}

void CSkinBaseDialog::mousePressEvent(QMouseEvent* event) {
  QDialog::mousePressEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const int index = HitTestPart(event->position().toPoint());
  if (index < 0) return;
  const int hitCode = m_parts[static_cast<size_t>(index)]->m_hitCode;
  if (hitCode == kHitNone) return;
  if (ClientPositioningRefused()) {
    StartSystemDrag(hitCode);
    return;
  }
  m_dragMode = hitCode;
  m_dragging = true;
  m_dragStartPoint = event->globalPosition().toPoint();
  m_dragStartBounds = GetPartsBounds();
  m_minTrackSize = GetMinTrackSize();
}

void CSkinBaseDialog::mouseMoveEvent(QMouseEvent* event) {
  QDialog::mouseMoveEvent(event);
  if (!m_dragging) {
    UpdateCursor(event->position().toPoint());
    return;
  }
  const QPoint delta = event->globalPosition().toPoint() - m_dragStartPoint;
  const QRect target = DragRect(m_dragStartBounds, m_dragMode, delta, m_minTrackSize);
  if (target == geometry()) return;
  if (m_dragMode != kHitMove) {
    ResizeParts(target.width(), target.height());
    update();
  }
  setGeometry(target);
}

void CSkinBaseDialog::mouseReleaseEvent(QMouseEvent* event) {
  if (m_dragging && event->button() == Qt::LeftButton) m_dragging = false;
  QDialog::mouseReleaseEvent(event);
}

void CSkinBaseDialog::UpdateCursor(const QPoint& point) {
  const int index = HitTestPart(point);
  switch (index < 0 ? kHitNone : m_parts[static_cast<size_t>(index)]->m_hitCode) {
    case kHitTop: case kHitBottom: setCursor(Qt::SizeVerCursor); break;
    case kHitLeft: case kHitRight: setCursor(Qt::SizeHorCursor); break;
    case kHitLeft | kHitTop: case kHitRight | kHitBottom: setCursor(Qt::SizeFDiagCursor); break;
    case kHitRight | kHitTop: case kHitLeft | kHitBottom: setCursor(Qt::SizeBDiagCursor); break;
    default: unsetCursor(); break;
  }
}

}  // namespace vantrel
