#include <QPaintEvent>
#include <QPainter>

#include "skin/skin_base_dialog.h"

namespace vantrel {

void CSkinBaseDialog::paintEvent(QPaintEvent* event) {
  QRect clip = event->rect();
  if (clip.isEmpty()) clip = rect();
  clip &= rect();
  if (clip.isEmpty()) return;
  // After a mere move the buffer still holds the right picture.
  if (m_reuseBuffer && !m_buffer.isNull() && m_composedArea.contains(clip)) m_reuseBuffer = false;
  else ComposeBackground(clip);
  QPainter painter(this);
  painter.setCompositionMode(QPainter::CompositionMode_Source);  // keeps key areas transparent
  painter.drawImage(clip, m_buffer, clip);
}

void CSkinBaseDialog::ComposeBackground(const QRect& area) {
  const QRect clip = area & rect();
  if (m_buffer.width() < width() || m_buffer.height() < height())
    m_buffer = QImage(size(), QImage::Format_ARGB32_Premultiplied);
  if (m_buffer.isNull() || clip.isEmpty()) return;
  QPainter painter(&m_buffer);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  // Outside every part the window is see-through, unless nothing shapes it at all.
  painter.fillRect(clip, m_windowRegion.isEmpty() ? palette().window() : QBrush(Qt::transparent));
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter.setClipRect(clip);
  for (const auto& part : m_parts)
    if (part->Rect().intersects(clip)) part->Draw(&painter);
  m_composedArea = clip;
}

}  // namespace vantrel
