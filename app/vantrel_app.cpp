#include "app/vantrel_app.h"

#include <QApplication>
#include <clocale>

#include "base/program_path.h"
#include "base/settings.h"
#include "app/vantrel_dlg.h"
#include "desktop/command_line.h"

namespace vantrel {
namespace {

std::unique_ptr<QApplication> MakeApplication(int& argc, char** argv) {
  // The player's video keeps its GL context when it moves to its full-screen window and back.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  return std::make_unique<QApplication>(argc, argv);
}

}  // namespace

CVantrelApp::CVantrelApp(int& argc, char** argv) : m_app(MakeApplication(argc, argv)) {
  // The player library parses numbers with the C locale.
  std::setlocale(LC_NUMERIC, "C");
}

CVantrelApp::~CVantrelApp() = default;

int CVantrelApp::InitInstance(const CommandLine& line) {
  if (ProgramFile().empty() && !InitProgramPath()) return -1;
  QCoreApplication::setOrganizationName(kSettingsCompany);
  QCoreApplication::setApplicationName(QString::fromStdString(ProgramName()));
  CVantrelDlg dlg;
  dlg.SetUpdateServerForRun(line.updateServer);
  dlg.SetSkinForRun(line.skin);
  dlg.OpenAtStartup(line.open);
  if (!dlg.OnInitDialog()) return dlg.ExitCode();
  dlg.exec();
  return dlg.ExitCode();
}

}  // namespace vantrel
