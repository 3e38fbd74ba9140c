#include <QTimerEvent>
#include <algorithm>

#include "skin/skin_base_dialog.h"

namespace vantrel {

bool CSkinBaseDialog::StartMove(const std::vector<CSkinBkPart*>& parts, int dx, int dy) {
  if (!m_moves.empty()) return false;
  m_moves.push_back(std::make_unique<CMoveInfo>(parts, dx, dy));
  OnMoveStarted(*m_moves.back());
  m_moveTimer.start(kMoveStepMs, this);
  return true;
}

void CSkinBaseDialog::timerEvent(QTimerEvent* event) {
  if (event->timerId() == m_moveTimer.timerId()) OnTimer(kMoveTimerId);
  else QDialog::timerEvent(event);
}

void CSkinBaseDialog::OnTimer(int timerId) {
  const auto it = std::find_if(m_moves.begin(), m_moves.end(),
                               [timerId](const auto& move) { return move->m_timerId == timerId; });
  if (it == m_moves.end()) return;
  m_moveTimer.stop();
  CMoveInfo& move = **it;
  for (CSkinBkPart* part : move.m_parts) {
    if (part == nullptr) continue;
    const QRect r = part->Rect();
    SetPartRect(part, true, r.x() + move.m_stepDx, r.y() + move.m_stepDy, r.x() + r.width() + move.m_stepDx,
                r.y() + r.height() + move.m_stepDy);
  }
  UpdateLayout(true, true);
  if (++move.m_stepsDone < move.m_stepCount) {
    m_moveTimer.start(kMoveStepMs, this);
    return;
  }
  OnMoveFinished(move);
  m_moves.erase(it);
}

}  // namespace vantrel
