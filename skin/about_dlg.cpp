#include "skin/about_dlg.h"

namespace vantrel {

CVantrelAboutDlg::CVantrelAboutDlg(const QString& backgroundPath, const QString& okPath, const QString& cancelPath,
                                   QWidget* owner)
    : CSkinAnswerDialog(kOkCommand, kCancelCommand, owner) {
  AddBackground(backgroundPath);
  AddAnswerButton(m_ok, okPath, kOkCommand, kOkAt, kAnchorFollow, kAnchorTop);
  AddAnswerButton(m_cancel, cancelPath, kCancelCommand, kCancelAt, kAnchorFollow, kAnchorTop);
}

}  // namespace vantrel
