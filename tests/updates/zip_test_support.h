#pragma once
// Helpers for tests that need archives and scratch folders.
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "updates/zip/zip_writer.h"

namespace vantrel::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  // `inMemory` puts it on /dev/shm where there is one, for tests that churn through files.
  explicit TempFolder(bool inMemory = false) {
    static std::atomic<int> counter{0};
    std::error_code ec;
    const std::filesystem::path base =
        inMemory && std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
    m_path = base / ("vantrel-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(m_path);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return m_path; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

 private:
  std::filesystem::path m_path;
};

inline void WriteBytes(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void Poke16(std::string& bytes, size_t offset, uint16_t v) {
  bytes[offset] = static_cast<char>(v & 0xFF);
  bytes[offset + 1] = static_cast<char>(v >> 8);
}
inline void Poke32(std::string& bytes, size_t offset, uint32_t v) {
  Poke16(bytes, offset, static_cast<uint16_t>(v & 0xFFFF));
  Poke16(bytes, offset + 2, static_cast<uint16_t>(v >> 16));
}

inline ZipWriterEntry Member(std::string name, std::string data, bool deflate = true) {
  ZipWriterEntry e;
  e.name = std::move(name);
  e.data = std::move(data);
  e.deflate = deflate;
  return e;
}

// An archive of `entries`; `layout` (if given) says where its records are.
inline std::string MakeZip(const std::vector<ZipWriterEntry>& entries, std::string_view comment = {},
                           ZipWriter::Layout* layout = nullptr) {
  ZipWriter writer;
  for (const auto& e : entries) writer.Add(e);
  std::string bytes = writer.Finish(comment);
  if (layout) *layout = writer.GetLayout();
  return bytes;
}

// Text that compresses but not to nothing, so deflated entries span several buffers.
inline std::string SampleText(size_t size, unsigned seed = 1) {
  std::string text(size, ' ');
  uint32_t x = seed;
  for (auto& c : text) {
    x = x * 1103515245u + 12345u;
    c = "abcdefgh ijklmnop\n"[(x >> 16) % 18];
  }
  return text;
}

// An archive of one local entry (`data` under names[0]) whose central directory lists it once
// per name: every entry shares the same bytes. Names must all have names[0]'s length.
inline std::string SharedEntryArchive(const std::vector<std::string>& names, std::string data, int level = -1) {
  ZipWriter writer(level);
  ZipWriterEntry entry = Member(names.at(0), std::move(data));
  writer.Add(entry);
  const std::string one = writer.Finish();
  const ZipWriter::Layout& layout = writer.GetLayout();
  const std::string header = one.substr(layout.central[0], layout.endRecord - layout.central[0]);
  std::string directory;
  for (const std::string& name : names) {
    std::string copy = header;
    copy.replace(46, name.size(), name);
    directory += copy;
  }
  std::string end = one.substr(layout.endRecord, 22);
  Poke16(end, 8, static_cast<uint16_t>(names.size()));
  Poke16(end, 10, static_cast<uint16_t>(names.size()));
  Poke32(end, 12, static_cast<uint32_t>(directory.size()));
  return one.substr(0, layout.central[0]) + directory + end;
}

}  // namespace vantrel::testing
