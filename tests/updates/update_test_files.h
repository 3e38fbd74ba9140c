#pragma once
// Skin packs, damaged archives and folder listings for the update tests.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/updates/zip_test_support.h"

namespace vantrel::test {

using testing::MakeZip;
using testing::Member;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// A skin pack of `count` pictures named skin_0.bmp, skin_1.bmp, ... holding their own names.
inline std::string MakeSkinPack(int count) {
  std::vector<ZipWriterEntry> entries;
  for (int i = 0; i < count; ++i) {
    const std::string name = "skin_" + std::to_string(i) + ".bmp";
    entries.push_back(Member(name, "BM picture " + name));
  }
  return MakeZip(entries);
}

// Flips a bit in the stored data of entry `index`, so that its CRC-32 no longer matches.
inline void DamageEntryData(std::string& archive, const ZipWriter::Layout& layout, int index) {
  const std::size_t local = layout.local[static_cast<std::size_t>(index)];
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
