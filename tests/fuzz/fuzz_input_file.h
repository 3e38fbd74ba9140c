#pragma once
// The fuzzer's input as a file that readers taking a path can open: a memory file, reached
// through /proc/self/fd, rewritten for each input.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace vantrel::fuzz {

class InputFile {
 public:
  InputFile() : m_fd(::memfd_create("fuzz-input", MFD_CLOEXEC)) {
    if (m_fd < 0) std::abort();
    m_path = "/proc/self/fd/" + std::to_string(m_fd);
  }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  const std::filesystem::path& Write(const uint8_t* data, size_t size) {
    if (::ftruncate(m_fd, 0) != 0) std::abort();
    size_t done = 0;
    while (done < size) {
      const ssize_t n = ::pwrite(m_fd, data + done, size - done, static_cast<off_t>(done));
      if (n <= 0) std::abort();
      done += static_cast<size_t>(n);
    }
    return m_path;
  }

 private:
  int m_fd;
  std::filesystem::path m_path;
};

// Stops the run as a finding when a property the code promises does not hold.
inline void Expect(bool holds) {
  if (!holds) __builtin_trap();
}

}  // namespace vantrel::fuzz
