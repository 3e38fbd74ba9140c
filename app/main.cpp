#include "app/vantrel_app.h"
#include "desktop/command_line.h"

int main(int argc, char** argv) {
  // --help and --version answer before any window system is needed.
  const vantrel::CommandLine line = vantrel::ParseCommandLine(argc, argv);
  if (!line.run) {
    vantrel::PrintCommandLineOutput(line);
    return line.exitCode;
  }
  vantrel::CVantrelApp app(argc, argv);
  return app.InitInstance(line);
}
