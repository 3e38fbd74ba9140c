#pragma once
// VantrelMsgDlg: the program's message box, dressed in the current skin: a text centred on the
// skin's message background, with OK and Cancel. Every message of the program reaches it
// through ShowSkinnedMessage (base/message_box.h) once InstallSkinnedMessageBox has run.
#include <QLabel>
#include <filesystem>

#include "skin/answer_dialog.h"

namespace vantrel {

class VantrelMsgDlg : public CSkinAnswerDialog {
  Q_OBJECT

 public:
  static constexpr int kTextId = 1000;
  static constexpr int kOkCommand = 38000;
  static constexpr int kCancelCommand = 38001;
  static constexpr QRect kTextRect{20, 20, 260, 110};
  static constexpr QPoint kOkAt{40, 135};
  static constexpr QPoint kCancelAt{220, 135};

  // Callers pass the current skin's "/message_back.bmp", "/button_ok.bmp" and
  // "/button_cancel.bmp". A missing image shows the bitmap messages and leaves that part or
  // button empty; the box still opens. exec() answers kIdOk or kIdCancel.
  VantrelMsgDlg(const QString& backgroundPath, const QString& okPath, const QString& cancelPath,
                const QString& text, QWidget* owner = nullptr);

  QLabel& Text() { return m_text; }
  CSkinBaseButton& OkButton() { return m_ok; }
  CSkinBaseButton& CancelButton() { return m_cancel; }

 private:
  QLabel m_text;
};

// Routes ShowSkinnedMessage to a VantrelMsgDlg built from `skinFolder`'s images. The main
// window calls it once the current skin is settled (and again should it change).
void InstallSkinnedMessageBox(const std::filesystem::path& skinFolder);

}  // namespace vantrel
