#include "base/file_locations.h"

#include "base/program_path.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace vantrel {
namespace fs = std::filesystem;
namespace {

constexpr const char* kCatalogueName = "channels.dat";
constexpr const char* kFavoritesName = "favorites.xml";

// PREFIX/share/vantrel for a program in PREFIX/bin.
fs::path SharedDataFolder() { return ProgramFolder().parent_path() / "share" / "vantrel"; }

// $XDG_DATA_HOME/vantrel; a relative XDG_DATA_HOME is ignored, as the XDG rules ask.
fs::path UserDataFolder() {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome != nullptr && fs::path(dataHome).is_absolute()) return fs::path(dataHome) / "vantrel";
  const char* home = std::getenv("HOME");
  return fs::path(home != nullptr ? home : "/") / ".local" / "share" / "vantrel";
}

fs::path InFolder(const fs::path& folder, const char* name) { return folder / name; }

}  // namespace

InstallMode CurrentInstallMode() {
  std::error_code ec;
  const fs::path folder = ProgramFolder();
  if (folder.filename() != "bin" || !fs::is_directory(SharedDataFolder(), ec)) return InstallMode::kPortable;
  const bool keptPortable = ::access(folder.c_str(), W_OK) == 0 && fs::exists(folder / kCatalogueName, ec);
  return keptPortable ? InstallMode::kPortable : InstallMode::kInstalled;
}

fs::path FileLocation(DataFile file) {
  const bool installed = CurrentInstallMode() == InstallMode::kInstalled;
  const fs::path user = installed ? UserDataFolder() : ProgramFolder();
  switch (file) {
    case DataFile::kCatalogue: return InFolder(user, kCatalogueName);
    case DataFile::kFavorites: return InFolder(user, kFavoritesName);
    case DataFile::kShippedSkins: return InFolder(installed ? SharedDataFolder() : user, "skins");
    case DataFile::kUserSkins: return InFolder(user, "skins");
    case DataFile::kUserDataFolder: return user;
    case DataFile::kPlaylists: return InFolder(user, "playlists");
    case DataFile::kDemoCatalogue: return installed ? InFolder(SharedDataFolder(), kCatalogueName) : fs::path();
    case DataFile::kLeftoverProgram: return fs::path(ProgramFolder().native() + kTempProgramFile);
    case DataFile::kRecordingSchedule: return InFolder(user, "recordings.xml");
    case DataFile::kRecordings: return InFolder(user, "recordings");
    case DataFile::kGuide: return InFolder(user, "guide");
    case DataFile::kGuideSources: return InFolder(user, "guide") / "sources.txt";
    case DataFile::kLogoCache: return InFolder(user, "logos");
  }
  return {};
}

bool PrepareUserDataFolder() {
  if (CurrentInstallMode() != InstallMode::kInstalled) return true;
  std::error_code ec;
  const fs::path folder = FileLocation(DataFile::kUserDataFolder);
  fs::create_directories(folder, ec);
  if (ec) return false;
  const fs::path catalogue = FileLocation(DataFile::kCatalogue);
  const fs::path shipped = FileLocation(DataFile::kDemoCatalogue);
  if (fs::exists(catalogue, ec) || !fs::exists(shipped, ec)) return true;
  const fs::path partial = catalogue.native() + ".part";
  fs::copy_file(shipped, partial, fs::copy_options::overwrite_existing, ec);
  // The shipped file is read-only; the user's copy must take a downloaded catalogue later.
  if (!ec) fs::permissions(partial, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
  if (!ec) fs::rename(partial, catalogue, ec);
  if (!ec) return true;
  std::error_code ignored;
  fs::remove(partial, ignored);
  return false;
}

}  // namespace vantrel
