// Where files live in the two layouts, the user's first catalogue, and the merged skin list.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "base/program_path.h"
#include "skin/skin_set.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

class InstalledLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(m_root);
    fs::create_directories(m_root / "usr/bin");
    fs::create_directories(m_root / "usr/share/vantrel/skins");
    std::ofstream(m_root / "usr/share/vantrel/channels.dat") << "shipped";
    fs::permissions(m_root / "usr/share/vantrel/channels.dat", fs::perms::owner_read | fs::perms::group_read);
    setenv("XDG_DATA_HOME", (m_root / "data").c_str(), 1);
    SetProgramPathForTesting(m_root / "usr/bin/Vantrel");
  }
  void TearDown() override {
    unsetenv("XDG_DATA_HOME");
    fs::remove_all(m_root);
  }

  // A complete skin as far as discovery looks: every required file, as a regular file.
  static void MakeSkin(const fs::path& folder, const char* marker) {
    fs::create_directories(folder);
    for (const char* name : kRequiredSkinFiles) std::ofstream(folder.native() + name) << marker;
  }

  const fs::path m_root = fs::temp_directory_path() / ("vantrel-layout-" + std::to_string(::getpid()));
};

// The installed program reads its skins and demo catalogue from share/ and keeps the user's
// files under XDG_DATA_HOME; a relative XDG_DATA_HOME falls back to HOME.
TEST_F(InstalledLayoutTest, InstalledLocations) {
  EXPECT_EQ(CurrentInstallMode(), InstallMode::kInstalled);
  EXPECT_EQ(FileLocation(DataFile::kCatalogue), m_root / "data/vantrel/channels.dat");
  EXPECT_EQ(FileLocation(DataFile::kFavorites), m_root / "data/vantrel/favorites.xml");
  EXPECT_EQ(FileLocation(DataFile::kShippedSkins), m_root / "usr/share/vantrel/skins");
  EXPECT_EQ(FileLocation(DataFile::kUserSkins), m_root / "data/vantrel/skins");
  EXPECT_EQ(FileLocation(DataFile::kPlaylists), m_root / "data/vantrel/playlists");
  EXPECT_EQ(FileLocation(DataFile::kDemoCatalogue), m_root / "usr/share/vantrel/channels.dat");
  setenv("XDG_DATA_HOME", "relative/data", 1);
  setenv("HOME", (m_root / "home").c_str(), 1);
  EXPECT_EQ(FileLocation(DataFile::kCatalogue), m_root / "home/.local/share/vantrel/channels.dat");
}

// A program folder without share/vantrel beside it, or one that holds its own catalogue, is
// portable: everything in the program folder, as a build folder has it.
TEST_F(InstalledLayoutTest, PortableLocations) {
  std::ofstream(m_root / "usr/bin/channels.dat") << "mine";
  EXPECT_EQ(CurrentInstallMode(), InstallMode::kPortable);
  EXPECT_EQ(FileLocation(DataFile::kCatalogue), m_root / "usr/bin/channels.dat");
  EXPECT_EQ(FileLocation(DataFile::kShippedSkins), m_root / "usr/bin/skins");
  EXPECT_EQ(FileLocation(DataFile::kUserSkins), m_root / "usr/bin/skins");
  EXPECT_TRUE(FileLocation(DataFile::kDemoCatalogue).empty());
  EXPECT_TRUE(PrepareUserDataFolder());
  EXPECT_FALSE(fs::exists(m_root / "data"));

  SetProgramPathForTesting(m_root / "build/bin/Vantrel");
  EXPECT_EQ(CurrentInstallMode(), InstallMode::kPortable);
  EXPECT_EQ(FileLocation(DataFile::kLeftoverProgram), m_root / "build/bin/temp.tmp");
}

// The first start gives the user a writable copy of the shipped catalogue; a catalogue the
// user already has is never replaced, and no partial copy is left behind.
TEST_F(InstalledLayoutTest, FirstStartCopiesShippedCatalogueOnce) {
  ASSERT_TRUE(PrepareUserDataFolder());
  const fs::path mine = m_root / "data/vantrel/channels.dat";
  std::ifstream in(mine);
  std::string text;
  in >> text;
  EXPECT_EQ(text, "shipped");
  EXPECT_NE(fs::status(mine).permissions() & fs::perms::owner_write, fs::perms::none);

  std::ofstream(mine) << "downloaded";
  ASSERT_TRUE(PrepareUserDataFolder());
  std::ifstream again(mine);
  again >> text;
  EXPECT_EQ(text, "downloaded");
  EXPECT_FALSE(fs::exists(mine.native() + ".part"));
}

// A user data folder that cannot be made is reported, not a crash.
TEST_F(InstalledLayoutTest, UnwritableDataHomeIsReported) {
  std::ofstream(m_root / "file") << "x";
  setenv("XDG_DATA_HOME", (m_root / "file").c_str(), 1);
  EXPECT_FALSE(PrepareUserDataFolder());
}

// Shipped and downloaded skins form one list in name order; the user's skin of a shipped name
// takes its place, an incomplete user skin does not, and a missing user folder adds nothing.
TEST_F(InstalledLayoutTest, SkinListsMerge) {
  const fs::path shipped = FileLocation(DataFile::kShippedSkins);
  const fs::path user = FileLocation(DataFile::kUserSkins);
  MakeSkin(shipped / "Classic", "shipped");
  MakeSkin(shipped / "Metall", "shipped");
  SkinDiscovery found = DiscoverSkins(shipped, user);
  ASSERT_EQ(found.status, SkinDiscovery::Status::kOk);
  ASSERT_EQ(found.skins.size(), 2u);

  MakeSkin(user / "Aurora", "user");
  MakeSkin(user / "Metall", "user");
  MakeSkin(user / "Classic", "user");
  fs::remove(user / "Classic/preview.bmp");
  found = DiscoverSkins(shipped, user);
  ASSERT_EQ(found.skins.size(), 3u);
  EXPECT_EQ(found.skins[0], user / "Aurora");
  EXPECT_EQ(found.skins[1], shipped / "Classic");
  EXPECT_EQ(found.skins[2], user / "Metall");

  // Only user skins: still a skin to start with; none anywhere: the usual refusal.
  fs::remove_all(shipped / "Classic");
  fs::remove_all(shipped / "Metall");
  EXPECT_EQ(DiscoverSkins(shipped, user).skins.size(), 2u);
  fs::remove_all(user);
  EXPECT_EQ(DiscoverSkins(shipped, user).status, SkinDiscovery::Status::kNoValidSkin);
}

}  // namespace
}  // namespace vantrel
