#include "updates/update_files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/text_codec.h"

namespace vantrel {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Writes and closes `fd`; the data is on disk before the caller renames the file into place.
bool WriteAndClose(int fd, std::string_view bytes) {
  const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  return ::close(fd) == 0 && written;
}

}  // namespace

bool IsPlainFileName(std::u16string_view name) {
  if (name.empty() || name.find(u"..") != std::u16string_view::npos) return false;
  for (const char16_t c : name) {
    if (c == u'/' || c == u'\\' || c < 0x20) return false;
  }
  return true;
}

std::filesystem::path FileNamePath(std::u16string_view name) {
  return std::filesystem::path(Utf16ToUtf8(name));
}

bool WriteWholeFile(const std::filesystem::path& file, std::string_view bytes) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  return WriteAndClose(fd, bytes);
}

bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without the flag: a hard link fails on an existing name just the same.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

}  // namespace vantrel
