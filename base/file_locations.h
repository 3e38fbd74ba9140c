#pragma once
// Where every file of the program lives. FileLocation is the one place that builds such
// paths; everything else asks it.
//
// Portable layout (a build folder, an unpacked copy): everything sits in the program folder,
// as it always did. Installed layout (PREFIX/bin/Vantrel beside PREFIX/share/vantrel): the
// shipped skins and the demo catalogue are read-only in PREFIX/share/vantrel, and what the user
// owns (catalogue, favourites, downloaded skins, playlists) lives in $XDG_DATA_HOME/vantrel
// (~/.local/share/vantrel by default). The settings file is in the same place in both.
#include <filesystem>

namespace vantrel {

enum class DataFile {
  kCatalogue,        // channels.dat, the user's catalogue
  kFavorites,        // favorites.xml
  kShippedSkins,     // the skins shipped with the program (a folder of skin folders)
  kUserSkins,        // the skins the user downloaded; the same folder when portable
  kUserDataFolder,   // the folder that holds the user's files; downloaded skins go to its skins/
  kPlaylists,        // the user's playlists
  kDemoCatalogue,    // the catalogue shipped with an installed program; empty when portable
  kLeftoverProgram,  // the program file an update moved aside
  kRecordingSchedule,  // recordings.xml: the recordings scheduled from the guide
  kRecordings,         // the folder programmes recorded from the guide go to
  kGuide,            // the folder of the programme guide's database (a cache of its sources)
  kGuideSources,     // the guide addresses and files the user added, one a line
  kLogoCache,        // channel logos fetched from playlists' addresses, a cache
};
// Kept for the callers that address the store's two files by these names.
inline constexpr DataFile kCatalogueFile = DataFile::kCatalogue;
inline constexpr DataFile kFavoritesFile = DataFile::kFavorites;

enum class InstallMode { kPortable, kInstalled };
// Installed when the program folder is PREFIX/bin with PREFIX/share/vantrel beside it, unless
// the program folder is writable and holds a channels.dat of its own (a copy the user keeps
// portable on purpose). Everything else, a build folder included, is portable. Asked afresh
// each time: the answer follows the kept program path.
InstallMode CurrentInstallMode();

std::filesystem::path FileLocation(DataFile file);
// The name the store's callers have always used.
inline std::filesystem::path ProgramFolderFile(DataFile file) { return FileLocation(file); }

// Installed mode: makes the user's data folder and, when the user has no catalogue yet, gives
// them a copy of the shipped one (written under a temporary name first, so that an interrupted
// copy never stands as a catalogue). Portable mode: nothing. False when the folder or the copy
// could not be made; the program then starts with an empty catalogue.
bool PrepareUserDataFolder();

}  // namespace vantrel
