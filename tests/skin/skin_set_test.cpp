#include "skin/skin_set.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "skin/file_attributes.h"
#include "tests/skin/skin_fixture.h"

namespace fs = std::filesystem;
using namespace vantrel;
using vantrel::testing::MakeSkin;
using vantrel::testing::TempFolder;

namespace {

void MakeReadOnly(const fs::path& p) {
  fs::permissions(p, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

std::vector<std::string> Names(const std::vector<fs::path>& folders) {
  std::vector<std::string> names;
  for (const fs::path& f : folders) names.push_back(f.filename().string());
  return names;
}

}  // namespace

// The attribute word follows the entry's kind and owner bits, never the link's target.
TEST(FileAttributes, WordsForEachKindOfEntry) {
  TempFolder tmp("attrs");
  const fs::path dir = tmp.path() / "dir";
  fs::create_directory(dir);
  EXPECT_EQ(GetFileAttributes(dir), kAttrDirectory);
  MakeReadOnly(dir);
  EXPECT_EQ(GetFileAttributes(dir), kAttrDirectory | kAttrReadOnly);

  fs::create_directory(tmp.path() / ".hidden");
  EXPECT_EQ(GetFileAttributes(tmp.path() / ".hidden"), kAttrDirectory | kAttrHidden);

  fs::create_directory_symlink(tmp.path() / ".hidden", tmp.path() / "link");
  EXPECT_EQ(GetFileAttributes(tmp.path() / "link"), kAttrReparsePoint);

  const fs::path file = tmp.path() / "file.bmp";
  std::ofstream(file) << "x";
  EXPECT_EQ(GetFileAttributes(file), kAttrArchive);
  MakeReadOnly(file);
  EXPECT_EQ(GetFileAttributes(file), kAttrArchive | kAttrReadOnly);

  ASSERT_EQ(::mkfifo((tmp.path() / "pipe").c_str(), 0644), 0);
  EXPECT_EQ(GetFileAttributes(tmp.path() / "pipe"), kAttrSystem);

  EXPECT_EQ(GetFileAttributes(tmp.path() / "missing"), kInvalidFileAttributes);
}

// Only plain, writable, visible folders are candidates; read-only, hidden and linked
// folders and plain files are not, and the order does not depend on the file system's.
TEST(SkinDiscovery, CandidatesAreExactlyPlainFoldersInNameOrder) {
  TempFolder tmp("candidates");
  for (const char* name : {"metall", "Classic", "crossy", "ReadOnly", ".Hidden"}) MakeSkin(tmp.path(), name);
  MakeReadOnly(tmp.path() / "ReadOnly");
  fs::create_directory_symlink(tmp.path() / "Classic", tmp.path() / "Linked");
  std::ofstream(tmp.path() / "notes.txt") << "x";

  const SkinCandidates found = ListSkinCandidates(tmp.path());
  EXPECT_EQ(found.error, 0);
  EXPECT_EQ(Names(found.folders), (std::vector<std::string>{"Classic", "crossy", "metall"}));

  const SkinDiscovery skins = DiscoverSkins(tmp.path());
  EXPECT_EQ(skins.status, SkinDiscovery::Status::kOk);
  EXPECT_EQ(Names(skins.skins), (std::vector<std::string>{"Classic", "crossy", "metall"}));
}

// A listing that cannot start reports the system's error; an empty folder has no skin.
TEST(SkinDiscovery, ListingFailuresAndNoSkin) {
  TempFolder tmp("listing");
  SkinDiscovery missing = DiscoverSkins(tmp.path() / "skins");
  EXPECT_EQ(missing.status, SkinDiscovery::Status::kListingFailed);
  EXPECT_EQ(missing.error, ENOENT);

  std::ofstream(tmp.path() / "file") << "x";
  EXPECT_EQ(DiscoverSkins(tmp.path() / "file").error, ENOTDIR);

  fs::create_directory(tmp.path() / "skins");
  SkinDiscovery empty = DiscoverSkins(tmp.path() / "skins");
  EXPECT_EQ(empty.status, SkinDiscovery::Status::kNoValidSkin);
  EXPECT_TRUE(empty.skins.empty());
}

// A skin with one file missing is dropped and the next one taken; the first failing file
// is reported in table order.
TEST(SkinDiscovery, IncompleteSkinIsDropped) {
  TempFolder tmp("incomplete");
  const fs::path a = MakeSkin(tmp.path(), "Alpha");
  MakeSkin(tmp.path(), "Beta");
  fs::remove(SkinFilePath(a, kPreview));
  fs::remove(SkinFilePath(a, kButtonHeart));
  EXPECT_EQ(FirstFailingSkinFile(a), kButtonHeart);
  EXPECT_EQ(FirstFailingSkinFile(tmp.path() / "Beta"), kSkinFileCount);
  EXPECT_EQ(Names(DiscoverSkins(tmp.path()).skins), (std::vector<std::string>{"Beta"}));

  const fs::path lone = MakeSkin(tmp.path(), "Lone");
  fs::remove(SkinFilePath(lone, kSkin11));
  fs::remove_all(tmp.path() / "Beta");
  EXPECT_EQ(DiscoverSkins(tmp.path()).status, SkinDiscovery::Status::kNoValidSkin);
}

// Read-only files pass; a linked file, a folder in a file's place or a hidden-named entry do not.
TEST(SkinDiscovery, RequiredFileAttributeRule) {
  TempFolder tmp("fileattrs");
  const fs::path skin = MakeSkin(tmp.path(), "Skin");
  MakeReadOnly(SkinFilePath(skin, kSkin22));
  EXPECT_EQ(FirstFailingSkinFile(skin), kSkinFileCount);

  const fs::path target = tmp.path() / "real.bmp";
  std::ofstream(target) << "BM";
  fs::remove(SkinFilePath(skin, kAboutBack));
  fs::create_symlink(target, SkinFilePath(skin, kAboutBack));
  EXPECT_EQ(FirstFailingSkinFile(skin), kAboutBack);

  fs::remove(SkinFilePath(skin, kSkin12));
  fs::create_directory(SkinFilePath(skin, kSkin12));
  EXPECT_EQ(FirstFailingSkinFile(skin), kSkin12);

  EXPECT_FALSE(SkinFileAttributesPass(kAttrArchive | kAttrHidden));
  EXPECT_FALSE(SkinFileAttributesPass(kAttrArchive | kAttrSystem));
  EXPECT_FALSE(SkinFileAttributesPass(kInvalidFileAttributes));
}

// Names match exactly: "classic" is not "Classic", "Classic2" is no built-in skin.
TEST(SkinChoice, NamesMatchExactly) {
  const std::vector<fs::path> skins = {"/s/classic", "/s/Classic2", "/s/Metall"};
  EXPECT_EQ(ChooseSkin(skins, u"Classic"), fs::path("/s/classic"));
  EXPECT_EQ(ChooseSkin(skins, u"Metall"), fs::path("/s/Metall"));
  EXPECT_EQ(ChooseSkin(skins, u""), fs::path("/s/classic"));
  EXPECT_EQ(FindBuiltInSkin(u"Classic2"), nullptr);
  EXPECT_EQ(FindBuiltInSkin(u"classic"), nullptr);
  ASSERT_NE(FindBuiltInSkin(u"Liquid"), nullptr);
  EXPECT_EQ(FindBuiltInSkin(u"Liquid")->command, kCmdSkinLiquid);
  EXPECT_EQ(BuiltInSkinForCommand(kCmdSkinGlamour)->name, u"Glamour");
  EXPECT_EQ(BuiltInSkinForCommand(37836), nullptr);
}
