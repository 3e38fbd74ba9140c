#pragma once
#include <memory>

class QApplication;

namespace vantrel {

struct CommandLine;

// The application object: prepares the process, runs the main window as a modal dialog and
// ends when it ends.
class CVantrelApp {
 public:
  CVantrelApp(int& argc, char** argv);
  ~CVantrelApp();
  CVantrelApp(const CVantrelApp&) = delete;
  CVantrelApp& operator=(const CVantrelApp&) = delete;

  // The process exit code: -1 when the program's own path cannot be had or no skin can be
  // used, else what the main window ended with (0, or a skin switch's code).
  // `line` holds what the command line asks of this run.
  int InitInstance(const CommandLine& line);

 private:
  std::unique_ptr<QApplication> m_app;
};

}  // namespace vantrel
