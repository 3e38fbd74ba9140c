#pragma once
// Skin folders on disk for the skin-set tests: complete ones, and ones with a file removed.
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "skin/skin_set.h"

namespace vantrel::testing {

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class TempFolder {
 public:
  explicit TempFolder(const std::string& tag) {
    static int counter = 0;
    m_path = std::filesystem::temp_directory_path() /
             ("vantrel-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
  }
  ~TempFolder() {
    std::error_code ec;
    // Read-only folders made by a test must become writable again to be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (!it->is_symlink()) std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                                          std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(m_path, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return m_path; }

 private:
  std::filesystem::path m_path;
};

// A skin folder holding every required file (their content does not matter to discovery).
inline std::filesystem::path MakeSkin(const std::filesystem::path& skinsFolder, const std::string& name) {
  const std::filesystem::path folder = skinsFolder / name;
  std::filesystem::create_directories(folder);
  for (std::size_t i = 0; i < kSkinFileCount; ++i) {
    std::ofstream(SkinFilePath(folder, static_cast<SkinFile>(i)), std::ios::binary) << "BM";
  }
  return folder;
}

}  // namespace vantrel::testing
