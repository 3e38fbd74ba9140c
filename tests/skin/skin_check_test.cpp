#include "tools/skincheck/skin_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "skin/bmp_format.h"
#include "tests/skin/skin_fixture.h"

namespace fs = std::filesystem;
using namespace vantrel;
using vantrel::testing::TempFolder;

namespace {

void WriteBitmap(const fs::path& path, int width, int height, uint32_t colour = 0x336699) {
  const std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, colour);
  const std::vector<uint8_t> bytes = EncodeBmp24(width, height, pixels.data(), static_cast<size_t>(width) * 4);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

// A small skin the program would take as it is: strips five pictures wide, panels big enough.
fs::path MakeValidSkin(const fs::path& parent, const std::string& name) {
  const fs::path folder = parent / name;
  fs::create_directories(folder);
  for (size_t i = 0; i < kSkinFileCount; ++i) {
    const auto file = static_cast<SkinFile>(i);
    const bool panel = file == kSkinMoveDown || file == kSkinMoveRight;
    WriteBitmap(SkinFilePath(folder, file), panel ? 120 : 10, panel ? 150 : 4, panel ? 0xEEDDCC : 0x336699);
  }
  return folder;
}

bool Mentions(const std::vector<std::string>& lines, const std::string& file) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(file, 0) == 0; });
}

}  // namespace

// A complete skin has no faults, and the panels' background colour is reported.
TEST(SkinCheck, CompleteSkinPasses) {
  TempFolder tmp("check-ok");
  const SkinCheckReport report = CheckSkinFolder(MakeValidSkin(tmp.path(), "Good"));
  EXPECT_FALSE(report.HasProblems());
  EXPECT_TRUE(std::find(report.lines.begin(), report.lines.end(), "skin_move_down.bmp: цвет фона панели #EEDDCC") !=
              report.lines.end());
}

// A missing file drops the skin; a bad bitmap, a strip of the wrong width and a panel too small
// for its colour bytes are faults of a skin that is still taken. Each names its file.
TEST(SkinCheck, EachFaultNamesItsFile) {
  TempFolder tmp("check-faults");
  const fs::path skin = MakeValidSkin(tmp.path(), "Faulty");
  std::ofstream(SkinFilePath(skin, kAboutBack), std::ios::trunc) << "BM but not a bitmap";
  WriteBitmap(SkinFilePath(skin, kButtonClose), 12, 4);
  WriteBitmap(SkinFilePath(skin, kSkinMoveRight), 50, 50);
  SkinCheckReport report = CheckSkinFolder(skin);
  EXPECT_FALSE(report.dropped);
  EXPECT_EQ(report.problems.size(), 3u);
  EXPECT_TRUE(Mentions(report.problems, "about_back.bmp"));
  EXPECT_TRUE(Mentions(report.problems, "button_close.bmp"));
  EXPECT_TRUE(Mentions(report.problems, "skin_move_right.bmp"));

  fs::remove(SkinFilePath(skin, kButtonDownload));
  report = CheckSkinFolder(skin);
  EXPECT_TRUE(report.dropped);
  EXPECT_TRUE(Mentions(report.problems, "button_download.bmp"));
}

// The folder itself must be a plain folder: read-only and linked folders are dropped.
TEST(SkinCheck, FolderAttributesDecide) {
  TempFolder tmp("check-folder");
  const fs::path skin = MakeValidSkin(tmp.path(), "Locked");
  fs::create_directory_symlink(skin, tmp.path() / "Linked");
  EXPECT_TRUE(CheckSkinFolder(tmp.path() / "Linked").dropped);
  EXPECT_TRUE(CheckSkinFolder(tmp.path() / "Missing").dropped);
  fs::permissions(skin, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const SkinCheckReport report = CheckSkinFolder(skin);
  EXPECT_TRUE(report.dropped);
  EXPECT_EQ(report.problems.size(), 1u);  // the files themselves are fine
}
