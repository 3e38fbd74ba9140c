#include "app/vantrel_dlg.h"

#include "app/program_path.h"
#include "app/qt_strings.h"
#include "resources/resource.h"

namespace vantrel {

CVantrelDlg::CVantrelDlg(QWidget* parent) : QDialog(parent), m_status(this) {
  RemoveLeftoverProgramFile();
  setWindowTitle(ResString(res::IDS_VERSION));
  resize(800, 600);
  ShowStatusText(ResString(res::IDS_CHOOSE_CHANNEL));
}

void CVantrelDlg::ShowStatusText(const QString& text) { m_status.ShowStatusText(text); }

}  // namespace vantrel
