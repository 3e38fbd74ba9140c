// The two fold-out panels, the player's size and the window's minimum size.
#include <QResizeEvent>

#include "app/vantrel_dlg.h"

namespace vantrel {

// The arrow's click has already flipped its state: on opens, off closes. A slide asked for
// while another runs is refused; the arrow then flips back, since the panel state is read
// from it and the next click would otherwise slide the panel beyond its place.
void CVantrelDlg::SlideBottomPanel() {
  const int dy = m_downArrow.GetToggleState() ? kBottomSlide : -kBottomSlide;
  if (!StartMove({Part(m_downArrowPart), Part(m_bottomPanelPart)}, 0, dy))
    m_downArrow.SetToggleState(!m_downArrow.GetToggleState());
}

void CVantrelDlg::SlideRightPanel() {
  const int dx = m_rightArrow.GetToggleState() ? kRightSlide : -kRightSlide;
  if (!StartMove({Part(m_rightArrowPart), Part(m_rightPanelPart)}, dx, 0))
    m_rightArrow.SetToggleState(!m_rightArrow.GetToggleState());
}

void CVantrelDlg::OnMoveStarted(CMoveInfo) { m_sliding = true; }

void CVantrelDlg::OnMoveFinished(const CMoveInfo&) {
  m_sliding = false;
  ShowPanelControls();
}

// Each panel's controls follow its arrow; showing a button leaves it enabled or not as it was.
void CVantrelDlg::ShowPanelControls() {
  const bool right = m_rightArrow.GetToggleState();
  for (QWidget* control : std::initializer_list<QWidget*>{&m_tree, &m_download, &m_newChannels, &m_description,
                                                          &m_siteUrl, &m_bitRate, &m_byCountries, &m_byGenres, &m_byPlaylists,
                                                          &m_search})
    control->setVisible(right);
  if (right) m_tree.SetBackground(m_rightPanelColour);

  const bool bottom = m_downArrow.GetToggleState();
  for (QWidget* control : std::initializer_list<QWidget*>{&m_favorites, &m_heart, &m_unheart})
    control->setVisible(bottom);
  if (bottom) m_favorites.SetBackground(m_bottomPanelColour);
}

void CVantrelDlg::resizeEvent(QResizeEvent* event) {
  CSkinBaseDialog::resizeEvent(event);
  // During a slide the window grows or shrinks step by step; the player waits for the next
  // real size change.
  if (!m_sliding) PlacePlayer(event->size());
}

// The player fills what the frame and the open panels leave.
void CVantrelDlg::PlacePlayer(QSize client) {
  const int width = client.width() - 368 + (IsRightPanelOpen() ? 0 : kRightSlide);
  const int height = client.height() - 297 + (IsBottomPanelOpen() ? 0 : kBottomSlide);
  m_player.setGeometry(kPlayerAtFirstPaint.x(), kPlayerAtFirstPaint.y(), std::max(width, 0), std::max(height, 0));
}

QSize CVantrelDlg::GetMinTrackSize() const {
  return {IsRightPanelOpen() ? 850 : 600, IsBottomPanelOpen() ? 725 : 550};
}

}  // namespace vantrel
