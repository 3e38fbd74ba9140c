#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "resources/resource.h"
#include "tests/updates/update_test_files.h"
#include "updates/update_install.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::FolderNames;
using test::ReadBytes;
using Names = std::vector<std::string>;

const InstallResult kInstalled{true, 0};
const InstallResult kSkinRefused{false, res::IDS_SKINS_ERROR};
const InstallResult kProgramRefused{false, res::IDS_PROGRAM_ERROR};

// An archive whose one stored entry no longer matches its CRC-32.
std::string DamagedArchive(const std::string& name) {
  ZipWriter::Layout layout;
  std::string bytes = test::MakeZip({test::Member(name, "new program, damaged on the way", false)}, {}, &layout);
  test::DamageEntryData(bytes, layout, 0);
  return bytes;
}

class SkinInstall : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directory(Skins()); }
  fs::path Skins() const { return m_folder / "skins"; }
  InstallResult Install(std::u16string_view name, const std::string& pack) {
    return InstallSkinPack(m_folder.path(), name, pack);
  }

  test::TempFolder m_folder;
};

// Every picture lands in skins/<name>, replacing older copies, and the archive goes.
TEST_F(SkinInstall, UnpacksAllPicturesIntoTheSkinFolder) {
  fs::create_directory(Skins() / "Tropic");
  test::WriteBytes(Skins() / "Tropic" / "skin_0.bmp", "older picture");
  EXPECT_EQ(Install(u"Tropic", test::MakeSkinPack(32)), kInstalled);
  EXPECT_EQ(FolderNames(Skins()), Names{"Tropic"});
  EXPECT_EQ(FolderNames(Skins() / "Tropic").size(), 32u);
  EXPECT_EQ(ReadBytes(Skins() / "Tropic" / "skin_0.bmp"), "BM picture skin_0.bmp");
  EXPECT_EQ(ReadBytes(Skins() / "Tropic" / "skin_31.bmp"), "BM picture skin_31.bmp");
}

// A pack of the wrong size is refused after it was saved: the archive and the empty skin
// folder stay, nothing is unpacked.
TEST_F(SkinInstall, WrongEntryCountIsRefusedAfterSaving) {
  for (int count : {31, 33}) {
    const std::string pack = test::MakeSkinPack(count);
    EXPECT_EQ(Install(u"Tropic", pack), kSkinRefused) << count;
    EXPECT_EQ(ReadBytes(Skins() / "Tropic.dat"), pack);
    EXPECT_TRUE(FolderNames(Skins() / "Tropic").empty());
  }
}

// Entry names with a folder part or ".." refuse the whole pack before anything is written.
TEST_F(SkinInstall, UnsafeEntryNamesRefuseThePack) {
  for (const char* bad : {"../evil.bmp", "sub/evil.bmp", "..", "sub/"}) {
    std::vector<ZipWriterEntry> entries;
    for (int i = 0; i < 31; ++i) entries.push_back(test::Member("skin_" + std::to_string(i) + ".bmp", "picture"));
    entries.push_back(test::Member(bad, "evil"));
    entries.back().folder = std::string(bad).ends_with('/');
    EXPECT_EQ(Install(u"Tropic", test::MakeZip(entries)), kSkinRefused) << bad;
    EXPECT_TRUE(FolderNames(Skins() / "Tropic").empty()) << bad;
    EXPECT_EQ(FolderNames(Skins()), (Names{"Tropic", "Tropic.dat"})) << bad;
    EXPECT_EQ(FolderNames(m_folder.path()), Names{"skins"}) << bad;
  }
}

// A skin name that is not a plain folder name is refused; nothing is written anywhere.
TEST_F(SkinInstall, UnsafeSkinNamesAreRefused) {
  for (std::u16string_view bad : {u"../Tropic", u"a/b", u"a\\b", u"", u".."}) {
    EXPECT_EQ(Install(bad, test::MakeSkinPack(32)), kSkinRefused);
  }
  EXPECT_TRUE(FolderNames(Skins()).empty());
  EXPECT_EQ(FolderNames(m_folder.path()), Names{"skins"});
}

// What is not an archive is left as saved, without a message; a damaged picture makes the
// install a failure rather than a half skin offered for a restart.
TEST_F(SkinInstall, BrokenPacks) {
  EXPECT_EQ(Install(u"Tropic", "not a zip archive"), (InstallResult{false, 0}));
  EXPECT_EQ(ReadBytes(Skins() / "Tropic.dat"), "not a zip archive");

  std::vector<ZipWriterEntry> pictures;
  for (int i = 0; i < 32; ++i) {
    pictures.push_back(test::Member("skin_" + std::to_string(i) + ".bmp", "picture " + std::to_string(i), false));
  }
  ZipWriter::Layout layout;
  std::string pack = test::MakeZip(pictures, {}, &layout);
  test::DamageEntryData(pack, layout, 5);
  EXPECT_EQ(Install(u"Damaged", pack), kSkinRefused);
  EXPECT_FALSE(fs::exists(Skins() / "Damaged.dat"));
}

class ProgramInstall : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteBytes(Program(), "old program");
    fs::permissions(Program(), fs::perms(0750));
  }
  fs::path Program() const { return m_folder / "Vantrel"; }
  InstallResult Install(const std::string& archive, std::u16string_view archiveName = u"update") {
    return InstallProgramUpdate(Program(), archiveName, archive);
  }
  static std::string Archive(const std::string& entry) {
    ZipWriterEntry program = test::Member(entry, "new program");
    program.unixMode = 0100644;
    return test::MakeZip({program});
  }

  test::TempFolder m_folder;
};

// The new program takes the program's name with the program's permission bits; the old one
// is kept as temp.tmp; the archive and the stored name are gone.
TEST_F(ProgramInstall, SwapsTheNewProgramIn) {
  for (const char* entry : {"Vantrel-2.1", "Vantrel"}) {
    fs::remove(m_folder / "temp.tmp");
    test::WriteBytes(Program(), "old program");
    EXPECT_EQ(Install(Archive(entry)), kInstalled) << entry;
    EXPECT_EQ(ReadBytes(Program()), "new program");
    EXPECT_EQ(fs::status(Program()).permissions(), fs::perms(0750));
    EXPECT_EQ(ReadBytes(m_folder / "temp.tmp"), "old program");
    EXPECT_EQ(FolderNames(m_folder.path()), (Names{"Vantrel", "temp.tmp"}));
  }
}

// A temp.tmp left from an earlier update blocks the swap: the program stays, the new file
// stays under its stored name, and the install is reported as failed.
TEST_F(ProgramInstall, LeftoverTempKeepsTheProgram) {
  test::WriteBytes(m_folder / "temp.tmp", "leftover");
  EXPECT_EQ(Install(Archive("Vantrel-2.1")), kProgramRefused);
  EXPECT_EQ(ReadBytes(Program()), "old program");
  EXPECT_EQ(ReadBytes(m_folder / "Vantrel-2.1"), "new program");
  EXPECT_EQ(ReadBytes(m_folder / "temp.tmp"), "leftover");
  EXPECT_EQ(FolderNames(m_folder.path()), (Names{"Vantrel", "Vantrel-2.1", "temp.tmp"}));

  EXPECT_EQ(Install(Archive("Vantrel")), kProgramRefused);
  EXPECT_EQ(ReadBytes(Program()), "old program");
  EXPECT_EQ(FolderNames(m_folder.path()), (Names{"Vantrel", "Vantrel-2.1", "temp.tmp"}));
}

// Archives that cannot be installed never touch the program file.
TEST_F(ProgramInstall, BadArchivesLeaveTheProgram) {
  EXPECT_EQ(Install(test::MakeZip({test::Member("a", "1"), test::Member("b", "2")})), kProgramRefused);
  EXPECT_TRUE(fs::exists(m_folder / "update.dat"));  // refused after it was saved
  fs::remove(m_folder / "update.dat");

  EXPECT_EQ(Install("not an archive"), (InstallResult{false, 0}));
  fs::remove(m_folder / "update.dat");

  EXPECT_EQ(Install(Archive("../Vantrel")), kProgramRefused);
  fs::remove(m_folder / "update.dat");
  EXPECT_EQ(Install(Archive("x"), u"../update"), kProgramRefused);

  EXPECT_EQ(Install(DamagedArchive("Vantrel")), kProgramRefused);
  EXPECT_EQ(ReadBytes(Program()), "old program");
  EXPECT_EQ(FolderNames(m_folder.path()), Names{"Vantrel"});
  EXPECT_FALSE(fs::exists(m_folder.path().parent_path() / "update.dat"));
}

// Watched from another thread, the program's name always names an executable file while
// updates are swapped in.
TEST_F(ProgramInstall, ProgramStaysRunnableThroughoutTheSwap) {
  std::atomic<bool> done{false};
  std::atomic<int> looks{0}, gaps{0};
  std::thread watcher([&] {
    while (!done) {
      struct stat st {};
      if (::stat(Program().c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !(st.st_mode & S_IXUSR)) ++gaps;
      ++looks;
    }
  });
  for (int i = 0; i < 10; ++i) {
    fs::remove(m_folder / "temp.tmp");
    EXPECT_EQ(Install(Archive(i % 2 ? "Vantrel" : "Vantrel-next")), kInstalled);
  }
  done = true;
  watcher.join();
  EXPECT_GT(looks, 0);
  EXPECT_EQ(gaps, 0);
}

}  // namespace
}  // namespace vantrel
