#include "skin/skin_base_dialog.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLabel>
#include <QResizeEvent>

namespace vantrel {

CSkinBaseDialog::CSkinBaseDialog(QWidget* parent) : QDialog(parent) {
  // No caption and no sizing frame: the parts are the whole look.
  setWindowFlag(Qt::FramelessWindowHint, true);
  // Pixels outside the parts' shapes stay fully transparent, which shapes the window wherever a
  // mask is not honoured (Wayland, composited X11).
  setAttribute(Qt::WA_TranslucentBackground, true);
  setMouseTracking(true);  // the sizing cursors follow the part under the pointer
}

CSkinBaseDialog::~CSkinBaseDialog() {
  m_moveTimer.stop();
  m_moves.clear();
  m_parts.clear();
}

CSkinBaseDialog::CSkinBkPart* CSkinBaseDialog::Part(int index) const {
  if (index < 0 || index >= PartCount()) return nullptr;
  return m_parts[static_cast<size_t>(index)].get();
}

int CSkinBaseDialog::AddBitmapPart(const QString& imagePath, int hAnchor, int vAnchor, int hitCode, bool shaped,
                                   int left, int top, int right, int bottom) {
  auto part = std::make_unique<CSkinBkPart>(this, kBitmapPart);
  part->m_image.LoadMapped(imagePath, true);
  part->m_key = kKeyMagenta;
  part->m_hAnchor = hAnchor;
  part->m_vAnchor = vAnchor;
  part->m_hitCode = hitCode;
  part->m_shaped = shaped;
  SetPartRect(part.get(), false, left, top, right, bottom);
  m_parts.push_back(std::move(part));
  UpdateLayout(true, true);
  return PartCount() - 1;
}

int CSkinBaseDialog::AddControlPart(QWidget* control, int hAnchor, int vAnchor) {
  auto part = std::make_unique<CSkinBkPart>(this, kControlPart, control);
  part->m_hAnchor = hAnchor;
  part->m_vAnchor = vAnchor;
  // Labels and check or radio buttons show the skin around their text.
  if (qobject_cast<QLabel*>(control) || qobject_cast<QAbstractButton*>(control))
    control->setAutoFillBackground(false);
  m_parts.push_back(std::move(part));
  return PartCount() - 1;
}

int CSkinBaseDialog::AddOwnerDrawControl(CSkinBaseButton* button, int hAnchor, int vAnchor) {
  auto part = std::make_unique<CSkinOwnerDrawControl<CSkinBaseButton>>(this, button);
  part->m_hAnchor = hAnchor;
  part->m_vAnchor = vAnchor;
  button->setAutoFillBackground(false);
  connect(button, &QAbstractButton::clicked, this, [this, button] { OnCommand(button->CommandId()); });
  m_parts.push_back(std::move(part));
  return PartCount() - 1;
}

void CSkinBaseDialog::SetPartRect(CSkinBkPart* part, bool redraw, int left, int top, int right, int bottom) {
  if (part == nullptr) return;
  if (part->m_kind == kBitmapPart) {
    const QSize image = part->m_image.GetSize();
    if (part->m_shaped && !part->m_image.IsEmpty()) {
      right = left + image.width();
      bottom = top + image.height();
    } else {
      if (right == -1) right = left + image.width();
      if (bottom == -1) bottom = top + image.height();
    }
    part->m_rect = QRect(left, top, right - left, bottom - top);
  } else if (QWidget* control = part->Control()) {
    QPoint at(left, top);
    if (control->parentWidget() != nullptr && control->parentWidget() != this)
      at = control->parentWidget()->mapFrom(this, at);
    control->setGeometry(at.x(), at.y(), right - left, bottom - top);
  }
  if (redraw) part->Draw(nullptr);
}

QRect CSkinBaseDialog::GetPartsBounds() const {
  QRect bounds;
  for (const auto& part : m_parts)
    if (part->m_kind == kBitmapPart && part->IsVisible() && !part->m_rect.isEmpty())
      bounds = bounds.isEmpty() ? part->m_rect : bounds.united(part->m_rect);
  if (bounds.isEmpty()) return {};
  return bounds.translated(mapToGlobal(QPoint(0, 0)));
}

void CSkinBaseDialog::UpdateLayout(bool fit, bool redraw) {
  if (fit) {
    // Parts that cover nothing (all images missing) leave the window its own size.
    const QRect bounds = GetPartsBounds();
    if (!bounds.isEmpty() && bounds.size() != size()) resize(bounds.size());
  }
  ApplyWindowRegion(redraw);
}

int CSkinBaseDialog::HitTestPart(const QPoint& point) {
  for (size_t i = 0; i < m_parts.size(); ++i) {
    CSkinBkPart* part = m_parts[i].get();
    // A hidden control is not on screen, so it hides nothing beneath it.
    if (part->IsVisible() && GetPartRegion(part, false).contains(point)) return static_cast<int>(i);
  }
  return -1;
}

QRegion CSkinBaseDialog::GetPartRegion(CSkinBkPart* part, bool cutOverlaps) {
  if (part == nullptr) return {};
  QRect rect = part->Rect();
  if (part->m_cachedRegion) {
    if (part->m_cachedRect == rect) return Overlapped(part, *part->m_cachedRegion, cutOverlaps);
    if (part->m_cachedRect.size() == rect.size()) {
      part->m_cachedRegion->translate(rect.topLeft() - part->m_cachedRect.topLeft());
      part->m_cachedRect = rect;
      return Overlapped(part, *part->m_cachedRegion, cutOverlaps);
    }
    part->m_cachedRegion.reset();
  }
  QRegion region;
  if (part->m_kind == kBitmapPart && part->m_shaped) {
    if (std::optional<QRegion> shape = part->m_image.CreateRegion(part->m_key)) {
      region = shape->translated(rect.topLeft());
      const QSize image = part->m_image.GetSize();
      if (image != rect.size()) {
        rect.setSize(image);
        part->m_rect = rect;
      }
    }
  } else {
    region = QRegion(rect);
  }
  part->m_cachedRegion = region;
  part->m_cachedRect = rect;
  return Overlapped(part, region, cutOverlaps);
}

QRegion CSkinBaseDialog::Overlapped(CSkinBkPart* part, const QRegion& own, bool cutOverlaps) {
  if (!cutOverlaps || part->m_overlaps.empty()) return own;
  QRegion region = own;
  for (CSkinBkPart* other : part->m_overlaps)
    if (other != nullptr && other != part) region -= GetPartRegion(other, false);
  return region;
}

bool CSkinBaseDialog::BuildWindowRegion(QRegion& region) {
  if (m_parts.empty()) return false;
  region = QRegion();
  for (const auto& part : m_parts)
    if (part->m_kind == kBitmapPart && part->IsVisible()) region |= GetPartRegion(part.get(), false);
  return true;
}

void CSkinBaseDialog::ResizeParts(int width, int height) {
  const QRect bounds = GetPartsBounds();
  // Without bitmap parts there is nothing to anchor against.
  if (bounds.isEmpty() || bounds.size() == QSize(width, height)) return;
  const int dx = width - bounds.width();
  const int dy = height - bounds.height();
  for (const auto& part : m_parts) {
    const QRect r = part->Rect();
    int left = r.x(), top = r.y(), right = r.x() + r.width(), bottom = r.y() + r.height();
    if (part->m_hAnchor == kAnchorStretch) right += dx;
    else if (part->m_hAnchor == kAnchorFollow) left += dx, right += dx;
    if (part->m_vAnchor == kAnchorStretch) bottom += dy;
    else if (part->m_vAnchor == kAnchorFollowBottom) top += dy, bottom += dy;
    SetPartRect(part.get(), false, left, top, right, bottom);
  }
}

void CSkinBaseDialog::ApplyWindowRegion(bool redraw) {
  QRegion region;
  if (!BuildWindowRegion(region)) return;  // no parts: the shape stays as it is
  const bool changed = region != m_windowRegion;
  m_windowRegion = region;
  // An empty shape would hide the whole window: the window then goes unshaped instead.
  // Platforms without window shapes rely on the transparent painting alone.
  if (changed && PlatformShapesWindows()) {
    if (region.isEmpty()) clearMask();
    else setMask(region);
  }
  if (redraw) update();
}

bool CSkinBaseDialog::PlatformShapesWindows() {
  const QString platform = QGuiApplication::platformName();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

void CSkinBaseDialog::OnSize(int width, int height) {
  if (width == 0 && height == 0) return;  // minimised
  m_reuseBuffer = false;
  ResizeParts(width, height);
  ApplyWindowRegion(true);
}

void CSkinBaseDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  OnSize(event->size().width(), event->size().height());
}

void CSkinBaseDialog::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  m_reuseBuffer = true;
}

void CSkinBaseDialog::OnCommand(int) {}

QSize CSkinBaseDialog::GetMinTrackSize() const { return {0, 0}; }

void CSkinBaseDialog::OnMoveStarted(CMoveInfo) {}

void CSkinBaseDialog::OnMoveFinished(const CMoveInfo&) {}

}  // namespace vantrel
