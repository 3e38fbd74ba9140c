#pragma once
// A skinned dialog that records what reaches it, and lets tests reach its protected parts.
#include <QMouseEvent>
#include <QCoreApplication>
#include <utility>
#include <vector>

#include "skin/skin_base_dialog.h"

namespace vantrel::test {

class RecordingDialog : public CSkinBaseDialog {
 public:
  using CSkinBaseDialog::Buffer;
  using CSkinBaseDialog::ComposeBackground;
  using CSkinBaseDialog::OnSize;

  // (command id, toggle state of the sending button at that moment)
  std::vector<std::pair<int, bool>> commands;
  std::vector<CMoveInfo> started;
  std::vector<CMoveInfo> finished;
  std::vector<QSize> sizesAtFinish;
  QSize minTrackSize{0, 0};

  void OnCommand(int id) override {
    auto* button = qobject_cast<CSkinBaseButton*>(sender());
    commands.emplace_back(id, button != nullptr && button->GetToggleState());
  }
  QSize GetMinTrackSize() const override { return minTrackSize; }
  void OnMoveStarted(CMoveInfo info) override { started.push_back(std::move(info)); }
  void OnMoveFinished(const CMoveInfo& info) override {
    finished.push_back(info);
    sizesAtFinish.push_back(size());
  }

  // Delivers a mouse event at a window point; the screen point follows the window's position.
  void Mouse(QEvent::Type type, QPoint local, Qt::MouseButtons held, Qt::MouseButton button = Qt::NoButton) {
    QMouseEvent event(type, QPointF(local), QPointF(mapToGlobal(local)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(this, &event);
  }
};

}  // namespace vantrel::test
