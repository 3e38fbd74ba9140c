#include "skin/answer_dialog.h"

namespace vantrel {

CSkinAnswerDialog::CSkinAnswerDialog(int okCommand, int cancelCommand, QWidget* owner)
    : CSkinBaseDialog(owner), m_okCommand(okCommand), m_cancelCommand(cancelCommand) {}

void CSkinAnswerDialog::AddBackground(const QString& imagePath) {
  AddBitmapPart(imagePath, kAnchorFollow, kAnchorFollowBottom, kHitMove, true, 0, 0, -1, -1);
}

void CSkinAnswerDialog::AddAnswerButton(CSkinBaseButton& button, const QString& stripPath, int command, QPoint at,
                                        int hAnchor, int vAnchor) {
  button.LoadImage(stripPath);
  button.Create(this, command, at.x(), at.y());
  button.SetToggleMode(false);
  AddOwnerDrawControl(&button, hAnchor, vAnchor);
}

void CSkinAnswerDialog::OnCommand(int id) {
  if (id == m_okCommand) {
    done(kIdOk);
  } else if (id == m_cancelCommand) {
    done(kIdCancel);
  }
}

void CSkinAnswerDialog::reject() { done(kIdCancel); }

}  // namespace vantrel
