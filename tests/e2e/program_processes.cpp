#include "tests/e2e/program_processes.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace vantrel::e2e {
namespace fs = std::filesystem;

ProgramProcesses::~ProgramProcesses() { KillAll(); }

pid_t ProgramProcesses::Start(const fs::path& workingFolder, const std::map<std::string, std::string>& environment,
                              const fs::path& log, const std::vector<std::string>& arguments) {
  // Everything the child needs is made before fork: the test has threads (the server), and
  // between fork and exec only async-signal-safe calls are allowed.
  std::vector<std::string> variables;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string text = *variable;
    if (!environment.contains(text.substr(0, text.find('=')))) variables.push_back(text);
  }
  for (const auto& [name, value] : environment) variables.push_back(name + '=' + value);
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  const std::string program = m_program.string(), folder = workingFolder.string(), logFile = log.string();
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) return 0;
  if (pid == 0) {
    const int out = open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (out >= 0) {
      dup2(out, STDOUT_FILENO);
      dup2(out, STDERR_FILENO);
      close(out);
    }
    if (chdir(folder.c_str()) != 0) _exit(126);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  m_children.push_back(pid);
  return pid;
}

std::vector<pid_t> ProgramProcesses::Running() const {
  std::vector<pid_t> running;
  std::error_code error;
  const fs::path program = fs::weakly_canonical(m_program, error);
  for (const auto& entry : fs::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
    std::error_code linkError;
    const fs::path exe = fs::read_symlink(entry.path() / "exe", linkError);
    if (linkError || exe != program) continue;
    // An ended process has no program file link any more, reaped or not.
    running.push_back(static_cast<pid_t>(std::atoi(name.c_str())));
  }
  return running;
}

int ProgramProcesses::WaitForExit(pid_t pid, double seconds) {
  const bool ownChild = std::find(m_children.begin(), m_children.end(), pid) != m_children.end();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (ownChild) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        m_children.erase(std::find(m_children.begin(), m_children.end(), pid));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
    } else {
      // Not ours to reap: ended is all that can be known, and it counts as a clean exit.
      const std::vector<pid_t> running = Running();
      if (std::find(running.begin(), running.end(), pid) == running.end()) return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return -1;
}

void ProgramProcesses::KillAll() {
  for (const pid_t pid : Running()) kill(pid, SIGKILL);
  for (const pid_t pid : m_children) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  m_children.clear();
}

}  // namespace vantrel::e2e
