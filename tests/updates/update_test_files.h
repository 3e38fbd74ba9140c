#pragma once
// Folders and archives for the update tests.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "updates/zip/zip_writer.h"

namespace vantrel::test {

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-updates-XXXXXX").string();
    m_path = ::mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

 private:
  std::filesystem::path m_path;
};

inline std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

inline ZipWriterEntry Entry(std::string name, std::string data, bool deflate = true) {
  ZipWriterEntry entry;
  entry.name = std::move(name);
  entry.data = std::move(data);
  entry.deflate = deflate;
  entry.folder = entry.name.ends_with('/');
  return entry;
}

inline std::string MakeZip(const std::vector<ZipWriterEntry>& entries) {
  ZipWriter writer;
  for (const auto& entry : entries) writer.Add(entry);
  return writer.Finish();
}

// A skin pack of `count` pictures named skin_0.bmp, skin_1.bmp, ... holding their own names.
inline std::string MakeSkinPack(int count) {
  std::vector<ZipWriterEntry> entries;
  for (int i = 0; i < count; ++i) {
    const std::string name = "skin_" + std::to_string(i) + ".bmp";
    entries.push_back(Entry(name, "BM picture " + name));
  }
  return MakeZip(entries);
}

// Flips a bit in the stored data of entry `index`, so that its CRC-32 no longer matches.
inline void DamageEntryData(std::string& archive, const ZipWriter& writer, int index) {
  const std::size_t local = writer.GetLayout().local[static_cast<std::size_t>(index)];
  const auto field = [&](std::size_t at) {
    return std::size_t(static_cast<unsigned char>(archive[local + at])) |
           std::size_t(static_cast<unsigned char>(archive[local + at + 1])) << 8;
  };
  archive[local + 30 + field(26) + field(28) + 1] ^= 0x01;
}

inline std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace vantrel::test
