#pragma once
// The player as processes: started by the test like a user starts it, and also found when it
// has started itself anew (a skin switch or an update restarts the program file).
#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace vantrel::e2e {

class ProgramProcesses {
 public:
  explicit ProgramProcesses(std::filesystem::path programFile) : m_program(std::move(programFile)) {}
  // Whatever is still running of the program is killed.
  ~ProgramProcesses();

  // Starts the program in `workingFolder` with `environment` added to the test's own, its
  // output going to `log`, with `arguments` on its command line; 0 when it could not be
  // started.
  pid_t Start(const std::filesystem::path& workingFolder, const std::map<std::string, std::string>& environment,
              const std::filesystem::path& log, const std::vector<std::string>& arguments = {});
  // The processes running the program file now, whoever started them.
  std::vector<pid_t> Running() const;
  // Waits up to `seconds` for `pid` to end; its exit code, or -1 when it is still running or
  // did not exit normally. Works for the test's own children and for restarted copies.
  int WaitForExit(pid_t pid, double seconds);
  void KillAll();

 private:
  std::filesystem::path m_program;
  std::vector<pid_t> m_children;
};

}  // namespace vantrel::e2e
