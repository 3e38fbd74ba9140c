// What one installation may write: archives whose entries share bytes do not open, and no
// archive unpacks more than 256 MiB. Nothing is unpacked from a refused archive.
#include <gtest/gtest.h>

#include <string>

#include "resources/resource.h"
#include "tests/updates/update_test_files.h"
#include "updates/update_install.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

constexpr size_t kMiB = size_t{1} << 20;

std::uintmax_t BytesUnder(const fs::path& folder) {
  std::uintmax_t total = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) total += entry.file_size();
  return total;
}

std::vector<std::string> PictureNames(int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back("skin_" + std::to_string(i / 10) + std::to_string(i % 10) + ".bmp");
  return names;
}

class InstallLimits : public ::testing::Test {
 protected:
  test::TempFolder m_folder;
};

// A 32-entry skin pack whose central entries all point at one local entry of 50 MiB of
// deflated zeros (about 50 KB on the wire) would unpack 1.6 GiB: it is refused with nothing
// unpacked.
TEST_F(InstallLimits, SkinPackOfSharedEntriesIsRefused) {
  const std::string pack = testing::SharedEntryArchive(PictureNames(32), std::string(50 * kMiB, '\0'));
  ASSERT_LT(pack.size(), 1 * kMiB);
  fs::create_directory(m_folder / "skins");
  EXPECT_FALSE(InstallSkinPack(m_folder.path(), u"Bomb", pack).installed);
  EXPECT_EQ(BytesUnder(m_folder / "skins"), pack.size());  // the saved archive, nothing more
}

// Honest archives that declare more than 256 MiB in all are refused before anything is
// unpacked: a skin pack and a program archive alike.
TEST_F(InstallLimits, DeclaredTotalAboveTheCapIsRefused) {
  ZipWriter pack(1);
  for (const std::string& name : PictureNames(32)) pack.Add(test::Member(name, std::string(8 * kMiB + 1, '\0')));
  fs::create_directory(m_folder / "skins");
  EXPECT_EQ(InstallSkinPack(m_folder.path(), u"Huge", pack.Finish()), (InstallResult{false, res::IDS_SKINS_ERROR}));
  EXPECT_TRUE(test::FolderNames(m_folder / "skins" / "Huge").empty());

  const fs::path program = m_folder / "Vantrel";
  test::WriteBytes(program, "old program");
  ZipWriter writer(1);
  writer.Add(test::Member("Vantrel-next", std::string(257 * kMiB, '\0')));
  EXPECT_EQ(InstallProgramUpdate(program, u"update", writer.Finish()), (InstallResult{false, res::IDS_PROGRAM_ERROR}));
  EXPECT_EQ(test::ReadBytes(program), "old program");
  EXPECT_EQ(test::FolderNames(m_folder.path()), (std::vector<std::string>{"Vantrel", "skins", "update.dat"}));
}

}  // namespace
}  // namespace vantrel
