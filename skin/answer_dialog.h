#pragma once
// What the skinned message box and the about window share: a skin background that moves the
// window when dragged, and an OK and a Cancel button that end the dialog with the platform's
// answers.
#include <QPoint>
#include <QString>

#include "skin/skin_base_dialog.h"
#include "skin/skin_button.h"

namespace vantrel {

// The results a skinned dialog ends with.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

class CSkinAnswerDialog : public CSkinBaseDialog {
  Q_OBJECT

 public:
  // The two commands that answer OK and Cancel.
  CSkinAnswerDialog(int okCommand, int cancelCommand, QWidget* owner);

  // The buttons' commands end the dialog with kIdOk or kIdCancel.
  void OnCommand(int id) override;
  // Escape answers Cancel, as the Cancel button does.
  void reject() override;

 protected:
  // The background: shaped, dragging it moves the window, the window takes its size.
  void AddBackground(const QString& imagePath);
  // Loads a button's strip, creates it at `at` with its command and registers it.
  void AddAnswerButton(CSkinBaseButton& button, const QString& stripPath, int command, QPoint at, int hAnchor,
                       int vAnchor);

  CSkinBaseButton m_ok;
  CSkinBaseButton m_cancel;

 private:
  int m_okCommand;
  int m_cancelCommand;
};

}  // namespace vantrel
