#include "skin/file_attributes.h"

#include <sys/stat.h>

namespace vantrel {

std::uint32_t GetFileAttributes(const std::filesystem::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return kInvalidFileAttributes;
  std::uint32_t attrs = 0;
  if (S_ISLNK(st.st_mode)) {
    attrs = kAttrReparsePoint;
  } else if (S_ISDIR(st.st_mode)) {
    attrs = kAttrDirectory;
  } else if (S_ISREG(st.st_mode)) {
    attrs = kAttrArchive;
  } else {
    attrs = kAttrSystem;
  }
  // The owner's write bit, not access(): the answer must not depend on who runs the program.
  if ((st.st_mode & S_IWUSR) == 0) attrs |= kAttrReadOnly;
  const std::string name = path.filename().string();
  if (!name.empty() && name.front() == '.') attrs |= kAttrHidden;
  return attrs;
}

}  // namespace vantrel
