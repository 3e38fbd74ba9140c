#include "base/restart.h"

#include <QProcess>
#include <QString>

#include "base/program_path.h"

namespace vantrel {
namespace {
std::function<bool(const std::filesystem::path&)>& Hook() {
  static std::function<bool(const std::filesystem::path&)> hook;
  return hook;
}
}  // namespace

bool StartNewProgramInstance() {
  if (Hook()) return Hook()(ProgramFile());
  return QProcess::startDetached(QString::fromStdString(ProgramFile().string()), {});
}

void SetRestartHookForTesting(std::function<bool(const std::filesystem::path&)> hook) {
  Hook() = std::move(hook);
}

}  // namespace vantrel
