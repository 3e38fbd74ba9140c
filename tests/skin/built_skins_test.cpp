// The skins the build draws: complete packs for the update server, and the same pixels every
// time the generator runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

#include "skin/skin_set.h"
#include "tests/skin/skin_fixture.h"
#include "updates/zip/zip_archive.h"

namespace fs = std::filesystem;
using namespace vantrel;

namespace {

const char* const kNames[] = {"Classic", "Metall", "Flowers", "Glamour", "Crossy", "Liquid", "Panels"};

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

// Each pack holds 32 plain-named entries, among them every required bitmap, byte for byte the
// one installed beside the program.
TEST(BuiltSkins, PacksHoldThirtyTwoEntriesWithEveryBitmap) {
  for (const char* name : kNames) {
    SCOPED_TRACE(name);
    auto zip = ZipArchive::Open(fs::path(VANTREL_SKIN_PACK_DIR) / (std::string(name) + ".zip"));
    ASSERT_NE(zip, nullptr);
    ASSERT_EQ(zip->EntryCount(), 32);
    std::set<std::u16string> names;
    for (int i = 0; i < zip->EntryCount(); ++i) {
      ZipEntryInfo info;
      ASSERT_EQ(zip->GetEntry(i, info), kZipOk);
      EXPECT_EQ(info.name.find(u'/'), std::u16string::npos);
      names.insert(info.name);
    }
    for (size_t i = 0; i < kSkinFileCount; ++i) {
      const std::string file = kRequiredSkinFiles[i] + 1;
      ASSERT_TRUE(names.count(std::u16string(file.begin(), file.end())));
    }
    vantrel::testing::TempFolder out("pack");
    for (int i = 0; i < zip->EntryCount(); ++i) {
      ZipEntryInfo info;
      zip->GetEntry(i, info);
      const std::string file(info.name.begin(), info.name.end());
      if (file != "skin_13.bmp" && file != "preview.bmp") continue;
      ASSERT_EQ(zip->ExtractToFile(i, out.path() / file), kZipOk);
      EXPECT_EQ(Contents(out.path() / file), Contents(fs::path(VANTREL_BIN_DIR) / "skins" / name / file));
    }
  }
}

// Two runs of the generator write the same bytes as the build did.
TEST(BuiltSkins, GeneratorIsDeterministic) {
  vantrel::testing::TempFolder out("generate");
  const std::string command = std::string("\"") + SKINGEN_PATH + "\" --only Liquid --out \"" + out.path().string() + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (size_t i = 0; i < kSkinFileCount; ++i) {
    const std::string file = kRequiredSkinFiles[i] + 1;
    SCOPED_TRACE(file);
    EXPECT_EQ(Contents(out.path() / "Liquid" / file), Contents(fs::path(VANTREL_BIN_DIR) / "skins" / "Liquid" / file));
  }
}
