#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/updates/zip_test_support.h"
#include "updates/zip/zip_archive.h"

namespace vantrel {
namespace {

using namespace testing;
namespace fs = std::filesystem;

std::unique_ptr<ZipArchive> OpenBytes(const TempFolder& dir, std::string_view bytes) {
  WriteBytes(dir / "a.zip", bytes);
  return ZipArchive::Open(dir / "a.zip");
}

// The same content stored and deflated gives identical files, with the entry's time.
TEST(ZipExtractFile, StoredAndDeflatedAgree) {
  TempFolder dir;
  const std::string content = SampleText(100000);  // several 16 KiB buffers
  auto stored = Member("s.bin", content, false);
  stored.modified = 1234567890;
  auto archive = OpenBytes(dir, MakeZip({stored, Member("d.bin", content), Member("empty", "")}));
  ASSERT_TRUE(archive);
  ASSERT_EQ(archive->ExtractToFile(0, dir / "s.out"), kZipOk);
  ASSERT_EQ(archive->ExtractToFile(1, dir / "d.out"), kZipOk);
  ASSERT_EQ(archive->ExtractToFile(2, dir / "e.out"), kZipOk);
  EXPECT_EQ(ReadBytes(dir / "s.out"), content);
  EXPECT_EQ(ReadBytes(dir / "d.out"), content);
  EXPECT_TRUE(fs::exists(dir / "e.out"));
  EXPECT_EQ(fs::file_size(dir / "e.out"), 0u);
  struct stat st {};
  ASSERT_EQ(::stat((dir / "s.out").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1234567890);
  EXPECT_EQ(archive->ExtractToFile(3, dir / "x"), kZipBadArgument);
  EXPECT_EQ(archive->ExtractToFile(-1, dir / "x"), kZipBadArgument);
}

// A wrong CRC-32 leaves the written file in place but is reported, and so is an entry whose
// data ends before its declared size.
TEST(ZipExtractFile, DamageIsReportedAndTheFileStays) {
  TempFolder dir;
  ZipWriter::Layout layout;
  std::string zip = MakeZip({Member("a", "payload"), Member("b", "payload", false)}, {}, &layout);
  for (size_t i = 0; i < 2; ++i) {
    Poke32(zip, layout.local[i] + 14, 0x11111111);
    Poke32(zip, layout.central[i] + 16, 0x11111111);
  }
  auto archive = OpenBytes(dir, zip);
  ASSERT_TRUE(archive);
  EXPECT_EQ(archive->ExtractToFile(0, dir / "a.out"), kZipWriteFailed);
  EXPECT_EQ(ReadBytes(dir / "a.out"), "payload");
  EXPECT_EQ(archive->ExtractToFile(1, dir / "b.out"), kZipWriteFailed);
  EXPECT_EQ(ReadBytes(dir / "b.out"), "payload");
}

// Inflating stops at the declared size: an entry whose data would grow past it fails, and
// neither the file nor memory ever gets more than the declared bytes.
TEST(ZipExtract, NeverBeyondTheDeclaredSize) {
  TempFolder dir;
  ZipWriter::Layout layout;
  std::string zip = MakeZip({Member("bomb", std::string(1 << 20, 'z'))}, {}, &layout);
  Poke32(zip, layout.local[0] + 22, 1000);
  Poke32(zip, layout.central[0] + 24, 1000);
  auto archive = OpenBytes(dir, zip);
  ASSERT_TRUE(archive);
  EXPECT_EQ(archive->ExtractToFile(0, dir / "bomb"), kZipWriteFailed);
  EXPECT_LE(fs::file_size(dir / "bomb"), 1000u);
  std::string buffer(1 << 20, '\0');
  size_t delivered = 99;
  EXPECT_EQ(archive->ExtractToMemory(0, buffer.data(), buffer.size(), &delivered), kZipInflateFailed);
  EXPECT_EQ(delivered, 0u);
}

// A stored entry whose sizes disagree, or whose data runs past the end of the file, is refused
// without reading beyond it.
TEST(ZipExtract, LyingSizesAreRefused) {
  TempFolder dir;
  ZipWriter::Layout layout;
  const std::string zip = MakeZip({Member("s", "stored data", false)}, {}, &layout);
  std::string uneven = zip;
  Poke32(uneven, layout.local[0] + 18, 5);
  Poke32(uneven, layout.central[0] + 20, 5);
  std::string past = zip;
  Poke32(past, layout.local[0] + 18, 0x7FFFFFFF);
  Poke32(past, layout.local[0] + 22, 0x7FFFFFFF);
  Poke32(past, layout.central[0] + 20, 0x7FFFFFFF);
  Poke32(past, layout.central[0] + 24, 0x7FFFFFFF);
  for (const std::string& bytes : {uneven, past}) {
    auto archive = OpenBytes(dir, bytes);
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->ExtractToFile(0, dir / "s.out"), kZipWriteFailed);
    EXPECT_EQ(fs::file_size(dir / "s.out"), 0u);
    char buffer[64];
    EXPECT_EQ(archive->ExtractToMemory(0, buffer, sizeof buffer), kZipCorrupt);
  }
}

// Names that are absolute or climb out with ".." are never extracted, whatever the caller
// joins them to.
TEST(ZipExtractFile, UnsafeNamesRefused) {
  TempFolder dir;
  const std::vector<std::string> names = {"../evil", "/abs", "a/../../evil", "..\\evil", "C:evil", "a/.."};
  std::vector<ZipWriterEntry> entries;
  for (const auto& n : names) entries.push_back(Member(n, "x"));
  entries.push_back(Member("fine..name", "ok"));
  auto archive = OpenBytes(dir, MakeZip(entries));
  ASSERT_TRUE(archive);
  fs::create_directories(dir / "inside");
  for (int i = 0; i < static_cast<int>(names.size()); ++i) {
    EXPECT_EQ(archive->ExtractToFile(i, dir / "inside" / names[i]), kZipCannotOpen) << names[i];
  }
  EXPECT_FALSE(fs::exists(dir / "evil"));
  EXPECT_EQ(archive->ExtractToFile(static_cast<int>(names.size()), dir / "inside" / "fine..name"), kZipOk);
  EXPECT_TRUE(IsUnsafeZipName("x/../y"));
  EXPECT_FALSE(IsUnsafeZipName("x/..y/z"));
}

// A folder entry makes the folder the caller names; parent folders are made for relative
// destinations without "..", never for absolute ones.
TEST(ZipExtractFile, FoldersGoWhereTheCallerSays) {
  TempFolder dir;
  auto folder = Member("sub/", "");
  folder.folder = true;
  auto archive = OpenBytes(dir, MakeZip({folder, Member("f.txt", "text")}));
  ASSERT_TRUE(archive);
  EXPECT_EQ(archive->ExtractToFile(0, dir / "skin" / "sub"), kZipOk);
  EXPECT_TRUE(fs::is_directory(dir / "skin" / "sub"));
  EXPECT_FALSE(fs::exists(fs::current_path() / "sub"));

  EXPECT_EQ(archive->ExtractToFile(1, dir / "absent" / "f.txt"), kZipCannotOpen);
  EXPECT_FALSE(fs::exists(dir / "absent"));
  const fs::path saved = fs::current_path();
  fs::current_path(dir.path());
  EXPECT_EQ(archive->ExtractToFile(1, "made/deeper/f.txt"), kZipOk);
  EXPECT_EQ(archive->ExtractToFile(1, "made/../up/f.txt"), kZipCannotOpen);
  EXPECT_EQ(archive->ExtractToFile(1, "made/../made/deeper/g.txt"), kZipOk);  // its folder exists
  fs::current_path(saved);
  EXPECT_EQ(ReadBytes(dir / "made" / "deeper" / "f.txt"), "text");
  EXPECT_FALSE(fs::exists(dir / "up"));
  EXPECT_TRUE(fs::exists(dir / "made" / "deeper" / "g.txt"));
}

// An existing target is replaced even when read-only; a symbolic link there is replaced, never
// written through; Unix permission bits come along.
TEST(ZipExtractFile, ReplacingTargetsAndPermissions) {
  TempFolder dir;
  auto tool = Member("tool", "#!/bin/sh\n");
  tool.unixMode = 0100755;
  auto archive = OpenBytes(dir, MakeZip({Member("f", "new"), tool}));
  ASSERT_TRUE(archive);
  WriteBytes(dir / "f", "old");
  fs::permissions(dir / "f", fs::perms::owner_read);
  EXPECT_EQ(archive->ExtractToFile(0, dir / "f"), kZipOk);
  EXPECT_EQ(ReadBytes(dir / "f"), "new");

  WriteBytes(dir / "victim", "keep");
  fs::create_symlink(dir / "victim", dir / "link");
  EXPECT_EQ(archive->ExtractToFile(0, dir / "link"), kZipOk);
  EXPECT_FALSE(fs::is_symlink(dir / "link"));
  EXPECT_EQ(ReadBytes(dir / "victim"), "keep");

  EXPECT_EQ(archive->ExtractToFile(1, dir / "tool"), kZipOk);
  EXPECT_EQ(fs::status(dir / "tool").permissions() & fs::perms::all, static_cast<fs::perms>(0755));
  fs::create_directories(dir / "taken");
  EXPECT_EQ(archive->ExtractToFile(0, dir / "taken"), kZipCannotOpen);
}

// Memory extraction continues an open entry call by call; the call that finds nothing left
// closes it and checks it; asking for another entry starts afresh.
TEST(ZipExtractMemory, ContinuationAndEnd) {
  TempFolder dir;
  const std::string content = SampleText(50000, 7);
  ZipWriter::Layout layout;
  std::string zip = MakeZip({Member("d", content), Member("s", content, false), Member("bad", "abc")}, {}, &layout);
  Poke32(zip, layout.local[2] + 14, 1);
  Poke32(zip, layout.central[2] + 16, 1);
  auto archive = OpenBytes(dir, zip);
  ASSERT_TRUE(archive);
  for (int index : {0, 1}) {
    std::string collected;
    char buffer[7000];
    size_t delivered = 0;
    ZipResult r;
    while ((r = archive->ExtractToMemory(index, buffer, sizeof buffer, &delivered)) == kZipMore)
      collected.append(buffer, delivered);
    EXPECT_EQ(r, kZipOk);
    EXPECT_EQ(collected, content);
  }
  std::string whole(content.size() + 10, '#');
  size_t delivered = 0;
  EXPECT_EQ(archive->ExtractToMemory(0, whole.data(), whole.size(), &delivered), kZipMore);
  EXPECT_EQ(delivered, content.size());
  EXPECT_EQ(whole.substr(content.size()), "##########");  // nothing written after the data
  char small[100];
  EXPECT_EQ(archive->ExtractToMemory(1, small, sizeof small), kZipMore);  // switching restarts
  EXPECT_EQ(std::string(small, 100), content.substr(0, 100));
  EXPECT_EQ(archive->ExtractToMemory(2, small, sizeof small), kZipMore);
  EXPECT_EQ(archive->ExtractToMemory(2, small, sizeof small), kZipInflateFailed);  // CRC
  EXPECT_EQ(archive->ExtractToMemory(3, small, sizeof small), kZipBadArgument);
}

}  // namespace
}  // namespace vantrel
