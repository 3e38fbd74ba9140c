#include <QPainter>

#include "skin/skin_base_dialog.h"

namespace vantrel {

CSkinBaseDialog::CSkinBkPart::CSkinBkPart(CSkinBaseDialog* owner, int kind, QWidget* control)
    : m_kind(kind), m_control(control), m_owner(owner) {}

CSkinBaseDialog::CSkinBkPart::~CSkinBkPart() = default;

QRect CSkinBaseDialog::CSkinBkPart::Rect() const {
  if (m_kind == kBitmapPart) return m_rect;
  QWidget* control = m_control.data();
  if (control == nullptr) return {};
  QWidget* parent = control->parentWidget();
  if (parent == nullptr || parent == m_owner || !m_owner->isAncestorOf(control)) return control->geometry();
  return QRect(control->mapTo(m_owner, QPoint(0, 0)), control->size());
}

bool CSkinBaseDialog::CSkinBkPart::IsVisible() const {
  if (m_kind == kBitmapPart) return m_visible;
  return m_control != nullptr && !m_control->isHidden();
}

void CSkinBaseDialog::CSkinBkPart::Draw(QPainter* painter) {
  if (m_kind != kBitmapPart) {
    DrawControl(painter);
    return;
  }
  if (!IsVisible()) return;
  if (painter == nullptr) {
    m_owner->update(m_rect);
    return;
  }
  const QRegion clip = m_owner->GetPartRegion(this, true);
  if (clip.isEmpty()) return;
  painter->save();
  painter->setClipRegion(clip, painter->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  m_image.Draw(*painter, m_rect.x(), m_rect.y(), m_rect.width(), m_rect.height());
  painter->restore();
}

void CSkinBaseDialog::CSkinBkPart::DrawControl(QPainter* painter) {
  if (painter == nullptr && m_control != nullptr) m_control->update();
}

CSkinBaseDialog::CMoveInfo::CMoveInfo(std::vector<CSkinBkPart*> parts, int dx, int dy)
    : m_totalDx(dx), m_totalDy(dy), m_stepDx(dx / kMoveStepCount), m_stepDy(dy / kMoveStepCount),
      m_parts(std::move(parts)) {}

}  // namespace vantrel
