#include "base/program_path.h"

#include <system_error>

namespace vantrel {
namespace {
std::filesystem::path& Kept() {
  static std::filesystem::path path;
  return path;
}
}  // namespace

bool InitProgramPath() {
  std::error_code ec;
  auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || path.empty()) return false;
  Kept() = path;
  return true;
}

void SetProgramPathForTesting(const std::filesystem::path& file) { Kept() = file; }

const std::filesystem::path& ProgramFile() { return Kept(); }

std::filesystem::path ProgramFolder() { return Kept().parent_path(); }

std::string ProgramName() { return Kept().stem().string(); }

void RemoveLeftoverProgramFile() {
  std::error_code ec;
  std::filesystem::remove(FileLocation(DataFile::kLeftoverProgram), ec);
}

}  // namespace vantrel
