#pragma once
#include <filesystem>
#include <functional>

namespace vantrel {

// Starts the kept program file as a new process (a skin switch, an update restart).
// The caller then ends this process. Returns false when the new process could not start.
bool StartNewProgramInstance();

// Test seam: receives the program path instead of starting a process.
void SetRestartHookForTesting(std::function<bool(const std::filesystem::path&)> hook);

}  // namespace vantrel
