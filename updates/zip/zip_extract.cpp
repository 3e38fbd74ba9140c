#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "updates/zip/zip_archive.h"
#include "updates/zip/zip_entry_stream.h"

namespace vantrel {

namespace fs = std::filesystem;

namespace {

bool WriteAll(int fd, const unsigned char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool HasParentReference(const fs::path& path) {
  for (const auto& part : path)
    if (part == "..") return true;
  return false;
}

// The cut name a caller sees can end differently from the stored one ("a/..x" cut after
// "a/.."), so both are checked.
bool UnsafeEntryName(const std::string& stored) {
  std::string_view shown(stored);
  shown = shown.substr(0, std::min<size_t>(shown.find('\0'), 258));
  return IsUnsafeZipName(stored) || IsUnsafeZipName(shown);
}

// Creates the target, replacing a regular file or a symbolic link (never writing through
// it). Other existing targets, such as a device, are opened as they are.
int CreateTarget(const fs::path& destination, uint32_t unixMode, bool dosReadOnly, bool& regular) {
  struct stat st {};
  bool exists = ::lstat(destination.c_str(), &st) == 0;
  if (exists && (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))) {
    if (::unlink(destination.c_str()) != 0) return -1;
    exists = false;
  }
  int fd;
  if (exists) {
    if (S_ISDIR(st.st_mode)) return -1;
    fd = ::open(destination.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
  } else {
    // Unix-made archives carry permission bits; otherwise only the DOS read-only flag counts
    // (the word's other read-only rule reads Unix bits that such archives do not have).
    const mode_t perms = unixMode & 0777;
    const mode_t mode = perms ? perms : dosReadOnly ? 0444 : 0666;
    fd = ::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd >= 0 && perms) ::fchmod(fd, perms);
  }
  if (fd < 0) return -1;
  if (::fstat(fd, &st) == 0) regular = S_ISREG(st.st_mode);
  return fd;
}

}  // namespace

ZipResult ZipArchive::ExtractToFile(int index, const fs::path& destination) {
  if (m_fd < 0) return Finish(kZipNotOpen);
  CloseEntry();
  if (index < 0 || index >= m_entryCount) return Finish(kZipBadArgument);
  ZipEntryInfo info;
  CentralEntry entry;
  if (const ZipResult r = Describe(index, info, entry); r != kZipOk) return Finish(r);
  if (UnsafeEntryName(entry.name)) return Finish(kZipCannotOpen);

  std::error_code ec;
  const bool folder = (info.attributes & kAttrDirectory) || entry.name.ends_with('/') || entry.name.ends_with('\\');
  if (folder) {
    fs::create_directories(destination, ec);
    return Finish(fs::is_directory(destination, ec) ? kZipOk : kZipCannotOpen);
  }
  if (destination.is_relative() && destination.has_parent_path() && !HasParentReference(destination.parent_path()))
    fs::create_directories(destination.parent_path(), ec);

  bool regular = false;
  const int out = CreateTarget(destination, info.unixMode, entry.externalAttributes & 0x01, regular);
  if (out < 0) return Finish(kZipCannotOpen);
  ZipResult result = kZipOk;
  auto stream = ZipEntryStream::Open(m_fd, m_fileSize, m_correction, entry);
  if (!stream) {
    result = kZipWriteFailed;
  } else {
    auto buffer = std::make_unique_for_overwrite<unsigned char[]>(ZipEntryStream::kBufferSize);
    for (;;) {
      const long n = stream->Read(buffer.get(), ZipEntryStream::kBufferSize);
      if (n == 0) break;
      if (n < 0 || !WriteAll(out, buffer.get(), static_cast<size_t>(n))) {
        result = kZipWriteFailed;
        break;
      }
    }
    if (result == kZipOk && !stream->Verified()) result = kZipWriteFailed;
  }
  if (result == kZipOk && regular) {
    const timespec times[2] = {{static_cast<time_t>(info.accessTime), 0},
                               {static_cast<time_t>(info.modificationTime), 0}};
    ::futimens(out, times);
  }
  if (::close(out) != 0 && result == kZipOk) result = kZipWriteFailed;
  return Finish(result);
}

ZipResult ZipArchive::ExtractToMemory(int index, void* buffer, size_t size, size_t* delivered) {
  if (delivered) *delivered = 0;
  if (m_fd < 0) return Finish(kZipNotOpen);
  if (!m_open || index != m_openIndex) {
    CloseEntry();
    if (index < 0 || index >= m_entryCount) return Finish(kZipBadArgument);
    CentralEntry entry;
    if (const ZipResult r = WalkTo(index, entry); r != kZipOk) return Finish(r);
    m_open = ZipEntryStream::Open(m_fd, m_fileSize, m_correction, entry);
    if (!m_open) return Finish(kZipCorrupt);
    m_openIndex = index;
  }
  if (!buffer || size == 0) return Finish(kZipBadArgument);
  const long n = m_open->Read(static_cast<unsigned char*>(buffer), size);
  if (n > 0) {
    if (delivered) *delivered = static_cast<size_t>(n);
    return Finish(kZipMore);
  }
  const bool verified = n == 0 && m_open->Verified();
  CloseEntry();
  return Finish(verified ? kZipOk : kZipInflateFailed);
}

}  // namespace vantrel
