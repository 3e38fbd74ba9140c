#include "app/vantrel_app.h"

#include <QApplication>
#include <clocale>

#include "app/program_path.h"
#include "app/settings.h"
#include "app/vantrel_dlg.h"

namespace vantrel {

CVantrelApp::CVantrelApp(int& argc, char** argv) : m_app(std::make_unique<QApplication>(argc, argv)) {
  // The player library parses numbers with the C locale.
  std::setlocale(LC_NUMERIC, "C");
}

CVantrelApp::~CVantrelApp() = default;

int CVantrelApp::InitInstance() {
  if (ProgramFile().empty() && !InitProgramPath()) return -1;
  QCoreApplication::setOrganizationName(kSettingsCompany);
  QCoreApplication::setApplicationName(QString::fromStdString(ProgramName()));
  CVantrelDlg dlg;
  if (!dlg.OnInitDialog()) return dlg.ExitCode();
  dlg.exec();
  return dlg.ExitCode();
}

}  // namespace vantrel
