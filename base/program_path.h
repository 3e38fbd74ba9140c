#pragma once
#include <filesystem>
#include <string>

namespace vantrel {

// Names inside a folder, appended to it as they are.
inline constexpr const char* kTempProgramFile = "/temp.tmp";  // the program moved aside by an update
inline constexpr const char* kSkinsFolder = "/skins/";

// Reads the running program's own path once (at start-up) and keeps it. After a program
// update has renamed the running file, the kept path still names the program file, so a
// restart starts the new build. Returns false when the path cannot be had.
bool InitProgramPath();
// Test seam: pretend the program file is `file`.
void SetProgramPathForTesting(const std::filesystem::path& file);

// The kept program file; empty before InitProgramPath.
const std::filesystem::path& ProgramFile();
// The folder that holds the program file.
std::filesystem::path ProgramFolder();
// The program file's name without extension: the settings store's application name.
std::string ProgramName();

// Removes the program file left behind by the last update; a missing one is no error.
void RemoveLeftoverProgramFile();

}  // namespace vantrel

// Every other file is addressed through FileLocation.
#include "base/file_locations.h"  // IWYU pragma: export
