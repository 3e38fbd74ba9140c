#pragma once
// The program's command line:
//
//   Vantrel [--update-server URL] [--skin NAME] [URL|FILE]
//   Vantrel --help | --version
//
// Parsed before anything else starts (no display is needed for --help and --version). What it
// asks for applies to this run only: the settings are never written from here.
#include <QString>
#include <QStringList>

namespace vantrel {

struct CommandLine {
  // False: print `output` (to standard output when exitCode is 0, else to standard error)
  // and end with exitCode, without starting the program.
  bool run = true;
  int exitCode = 0;
  QString output;

  QString updateServer;  // base address ending in "/", or empty
  QString skin;          // empty: the setting's skin
  QString open;          // the address or file to play, as given; empty: none
};

// Exit code of a command line the program does not understand.
inline constexpr int kUsageExitCode = 2;

// `arguments` as the process got them, the program's own name first.
CommandLine ParseCommandLine(const QStringList& arguments);
CommandLine ParseCommandLine(int argc, char** argv);

// Writes a command line's output where it belongs; the caller then ends with its exit code.
void PrintCommandLineOutput(const CommandLine& line);

}  // namespace vantrel
