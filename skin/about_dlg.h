#pragma once
// CVantrelAboutDlg: the about window, the skin's about picture with OK and Cancel. All it says
// is painted in the picture.
#include "skin/answer_dialog.h"

namespace vantrel {

class CVantrelAboutDlg : public CSkinAnswerDialog {
  Q_OBJECT

 public:
  static constexpr int kOkCommand = 37849;
  static constexpr int kCancelCommand = 37850;
  static constexpr QPoint kOkAt{100, 220};
  static constexpr QPoint kCancelAt{300, 220};

  // Callers pass the current skin's "/about_back.bmp", "/button_ok.bmp" and
  // "/button_cancel.bmp". exec() answers kIdOk or kIdCancel.
  CVantrelAboutDlg(const QString& backgroundPath, const QString& okPath, const QString& cancelPath,
                   QWidget* owner = nullptr);

  CSkinBaseButton& OkButton() { return m_ok; }
  CSkinBaseButton& CancelButton() { return m_cancel; }
};

}  // namespace vantrel
