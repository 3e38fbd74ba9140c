#pragma once
#include <filesystem>

namespace vantrel {

// File names inside the program folder.
inline constexpr const char* kTempProgramFile = "/temp.tmp";  // the program moved aside by an update
inline constexpr const char* kSkinsFolder = "/skins/";
inline constexpr const char* kCatalogueFile = "/channels.dat";
inline constexpr const char* kFavoritesFile = "/favorites.xml";

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
// ProgramFolder() followed by one of the literals above.
std::filesystem::path ProgramFolderFile(const char* literal);
// Where the user's own files live (imported playlists, ...): the program folder today.
std::filesystem::path UserDataFolder();
// The program file's name without extension: the settings store's application name.
std::string ProgramName();

// Removes the program file left behind by the last update; a missing one is no error.
void RemoveLeftoverProgramFile();

}  // namespace vantrel
