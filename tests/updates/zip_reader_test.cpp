#include <gtest/gtest.h>

#include "base/text_codec.h"
#include "tests/updates/zip_test_support.h"
#include "updates/zip/zip_archive.h"
#include "updates/zip/zip_format.h"

namespace vantrel {
namespace {

using namespace testing;

std::unique_ptr<ZipArchive> OpenBytes(const TempFolder& dir, std::string_view bytes) {
  WriteBytes(dir / "a.zip", bytes);
  return ZipArchive::Open(dir / "a.zip");
}

std::u16string NameOf(ZipArchive& zip, int index) {
  ZipEntryInfo info;
  EXPECT_EQ(zip.GetEntry(index, info), kZipOk);
  return info.name;
}

// Data in front of the archive (a self-extracting stub) shifts every offset; the reader
// corrects them from where the end record really is.
TEST(ZipOpen, StubInFrontIsSkipped) {
  TempFolder dir;
  const std::string zip = MakeZip({Member("one.txt", "first"), Member("two.txt", SampleText(40000))});
  auto archive = OpenBytes(dir, std::string(5000, 'S') + zip);
  ASSERT_TRUE(archive);
  EXPECT_EQ(archive->EntryCount(), 2);
  EXPECT_EQ(NameOf(*archive, 1), u"two.txt");
  std::string out(40000, '\0');
  EXPECT_EQ(archive->ExtractToMemory(1, out.data(), out.size()), kZipMore);
  EXPECT_EQ(out, SampleText(40000));
}

// The end record is searched in the last 65,535 bytes only: a comment of 65,513 bytes is the
// longest that still lets the record be found.
TEST(ZipOpen, LongCommentsAndTheSearchLimit) {
  TempFolder dir;
  const std::vector<ZipWriterEntry> entries = {Member("x", "data")};
  EXPECT_TRUE(OpenBytes(dir, MakeZip(entries, std::string(65513, 'c'))));
  EXPECT_FALSE(OpenBytes(dir, MakeZip(entries, std::string(65514, 'c'))));
  EXPECT_EQ(LastZipResult(), kZipCorrupt);
  // A signature split across the boundary of two search windows is still seen.
  for (size_t comment = 1018; comment <= 1030; ++comment)
    EXPECT_TRUE(OpenBytes(dir, MakeZip(entries, std::string(comment, 'c')))) << comment;
}

// A signature inside the comment lies nearer the end than the real record, so it is taken;
// its garbage fields then make the archive unreadable.
TEST(ZipOpen, FakeRecordInCommentWins) {
  TempFolder dir;
  std::string fake = "PK\x05\x06";
  fake += std::string(18, '\x7F');
  EXPECT_FALSE(OpenBytes(dir, MakeZip({Member("x", "data")}, "note " + fake + " end")));
  EXPECT_TRUE(OpenBytes(dir, MakeZip({Member("x", "data")}, "note without a signature")));
}

// An end record found at offset 0 counts as none: an archive of nothing but that record does
// not open; neither do empty, short or non-zip files.
TEST(ZipOpen, RejectsWhatIsNoArchive) {
  TempFolder dir;
  EXPECT_FALSE(OpenBytes(dir, MakeZip({})));
  EXPECT_FALSE(OpenBytes(dir, ""));
  EXPECT_FALSE(OpenBytes(dir, "PK\x05"));
  EXPECT_FALSE(OpenBytes(dir, std::string(3000, 'x')));
  EXPECT_FALSE(ZipArchive::Open(dir / "missing.zip"));
  EXPECT_EQ(LastZipResult(), kZipCannotOpen);
  EXPECT_FALSE(ZipArchive::Open(dir.path()));
}

// Multi-disk archives, disagreeing entry counts and a directory beyond the record are refused.
TEST(ZipOpen, RejectsInconsistentEndRecords) {
  TempFolder dir;
  ZipWriter::Layout layout;
  const std::string zip = MakeZip({Member("a", "1"), Member("b", "2")}, {}, &layout);
  const size_t end = layout.endRecord;
  auto patched = [&](size_t at, uint16_t v) {
    std::string bytes = zip;
    Poke16(bytes, end + at, v);
    return bytes;
  };
  EXPECT_FALSE(OpenBytes(dir, patched(4, 1)));   // disk number
  EXPECT_FALSE(OpenBytes(dir, patched(6, 1)));   // disk of the directory
  EXPECT_FALSE(OpenBytes(dir, patched(8, 1)));   // entries on this disk differ from the total
  std::string beyond = zip;
  Poke32(beyond, end + 16, static_cast<uint32_t>(end));  // directory offset past the record
  EXPECT_FALSE(OpenBytes(dir, beyond));
  std::string badFirst = zip;
  Poke32(badFirst, layout.central[0], 0x12345678);
  EXPECT_FALSE(OpenBytes(dir, badFirst));
}

// Entries may not share bytes: central entries naming one local entry, or an entry whose
// local header lies inside another entry's data, make the archive unreadable, since a small
// archive could otherwise unpack into many times its declared content.
TEST(ZipOpen, EntriesSharingBytesAreRefused) {
  TempFolder dir;
  EXPECT_FALSE(OpenBytes(dir, SharedEntryArchive({"a1", "a2"}, "shared content")));
  EXPECT_EQ(LastZipResult(), kZipCorrupt);
  EXPECT_TRUE(OpenBytes(dir, SharedEntryArchive({"a1"}, "shared content")));

  ZipWriter::Layout inner;
  const std::string lone = MakeZip({Member("b", "x", false)}, {}, &inner);
  ZipWriter::Layout layout;
  std::string zip = MakeZip({Member("outer", lone.substr(0, inner.central[0]), false), Member("b", "x", false)}, {}, &layout);
  ASSERT_TRUE(OpenBytes(dir, zip));
  const auto field = [&](size_t at) { return size_t(uint8_t(zip[at])) | size_t(uint8_t(zip[at + 1])) << 8; };
  const size_t outerData = layout.local[0] + 30 + field(layout.local[0] + 26) + field(layout.local[0] + 28);
  Poke32(zip, layout.central[1] + 42, static_cast<uint32_t>(outerData));
  EXPECT_FALSE(OpenBytes(dir, zip));
  EXPECT_EQ(LastZipResult(), kZipCorrupt);
}

// Entry -1 reports the count and nothing else; indexes are checked; the walk goes back and forth.
TEST(ZipEntries, CountIndexesAndWalking) {
  TempFolder dir;
  std::vector<ZipWriterEntry> entries;
  for (int i = 0; i < 32; ++i) entries.push_back(Member("skin" + std::to_string(i) + ".bmp", std::string(i, 'b'), i % 2));
  auto archive = OpenBytes(dir, MakeZip(entries));
  ASSERT_TRUE(archive);
  ZipEntryInfo info;
  info.name = u"stale";
  ASSERT_EQ(archive->GetEntry(-1, info), kZipOk);
  EXPECT_EQ(info.index, 32);
  EXPECT_TRUE(info.name.empty());
  EXPECT_EQ(info.attributes, 0u);
  EXPECT_EQ(info.uncompressedSize, 0u);
  EXPECT_EQ(archive->GetEntry(32, info), kZipBadArgument);
  EXPECT_EQ(LastZipResult(), kZipBadArgument);
  EXPECT_EQ(archive->GetEntry(-2, info), kZipBadArgument);
  for (int i : {31, 0, 17, 16, 3, 31}) {
    ASSERT_EQ(archive->GetEntry(i, info), kZipOk);
    EXPECT_EQ(info.index, i);
    EXPECT_EQ(info.name, u"skin" + Utf8ToUtf16(std::to_string(i)) + u".bmp");
    EXPECT_EQ(info.uncompressedSize, static_cast<uint32_t>(i));
  }
  EXPECT_EQ(archive->Close(), kZipOk);
  EXPECT_EQ(archive->Close(), kZipNotOpen);
  EXPECT_EQ(archive->GetEntry(0, info), kZipNotOpen);
}

// Attribute words: Unix permission bits decide read-only, DOS bits map one to one, folders
// from either; the Unix mode is kept only for archives made on Unix.
TEST(ZipEntries, AttributesFromStoredBits) {
  TempFolder dir;
  auto unixFile = Member("rw", "x");
  unixFile.unixMode = 0100644;
  auto unixReadOnly = Member("ro", "x");
  unixReadOnly.unixMode = 0100444;
  auto unixFolder = Member("dir/", "");
  unixFolder.folder = true;
  unixFolder.unixMode = 040755;
  auto dosFile = Member("dos", "x");  // external 0x20, no Unix bits
  ZipWriter::Layout layout;
  std::string zip = MakeZip({unixFile, unixReadOnly, unixFolder, dosFile, Member("hidden", "x")}, {}, &layout);
  Poke32(zip, layout.central[4] + 38, 0x27);  // archive, system, hidden, read-only
  auto archive = OpenBytes(dir, zip);
  ASSERT_TRUE(archive);
  ZipEntryInfo info;
  archive->GetEntry(0, info);
  EXPECT_EQ(info.attributes, kAttrNormal);
  EXPECT_EQ(info.unixMode, 0100644u);
  archive->GetEntry(1, info);
  EXPECT_EQ(info.attributes, kAttrNormal | kAttrReadOnly);
  archive->GetEntry(2, info);
  EXPECT_EQ(info.attributes, kAttrNormal | kAttrDirectory);
  archive->GetEntry(3, info);
  EXPECT_EQ(info.attributes, kAttrNormal | kAttrArchive | kAttrReadOnly);
  EXPECT_EQ(info.unixMode, 0u);
  archive->GetEntry(4, info);
  EXPECT_EQ(info.attributes, kAttrNormal | kAttrArchive | kAttrSystem | kAttrHidden | kAttrReadOnly);
}

// Times: the DOS stamp read without a zone shift, replaced by the "UT" block's times, which
// may carry modification, access and creation time in that order.
TEST(ZipEntries, DosAndUnixTimes) {
  TempFolder dir;
  auto dosOnly = Member("dos", "x");
  dosOnly.modified = zipfmt::UtcSeconds(2009, 6, 15, 13, 45, 30);
  dosOnly.extra = std::string("\x01\x00\x00\x00", 4);  // an unrelated empty block: no "UT"
  auto allThree = Member("ut", "x");
  allThree.modified = zipfmt::UtcSeconds(2001, 1, 1, 0, 0, 0);
  allThree.extra = std::string("\x01\x00\x00\x00UT\x0D\x00\x07", 9);
  for (uint32_t t : {1000000001u, 1000000002u, 1000000003u}) {
    std::string le(4, '\0');
    Poke32(le, 0, t);
    allThree.extra += le;
  }
  auto cutShort = Member("short", "x");
  cutShort.extra = std::string("UT\x09\x00\x07\x10\x00\x00\x00\x20\x00\x00\x00", 13);  // flags promise three
  auto archive = OpenBytes(dir, MakeZip({dosOnly, allThree, cutShort}));
  ASSERT_TRUE(archive);
  ZipEntryInfo info;
  archive->GetEntry(0, info);
  EXPECT_EQ(info.modificationTime, zipfmt::UtcSeconds(2009, 6, 15, 13, 45, 30));
  EXPECT_EQ(info.accessTime, info.modificationTime);
  EXPECT_EQ(info.creationTime, info.modificationTime);
  archive->GetEntry(1, info);
  EXPECT_EQ(info.modificationTime, 1000000001);
  EXPECT_EQ(info.accessTime, 1000000002);
  EXPECT_EQ(info.creationTime, 1000000003);
  archive->GetEntry(2, info);
  EXPECT_EQ(info.modificationTime, 0x10);
  EXPECT_EQ(info.accessTime, 0x20);
  EXPECT_EQ(info.creationTime, zipfmt::UtcSeconds(1980, 1, 1, 0, 0, 0));
}

// Names: the code page by default, UTF-8 when the entry says so, cut after 258 units.
TEST(ZipEntries, NamesDecodedAndCut) {
  TempFolder dir;
  auto utf8 = Member("\xD0\x9A\xD0\xB0\xD0\xBD\xD0\xB0\xD0\xBB.txt", "x");
  utf8.utf8Name = true;
  auto archive = OpenBytes(dir, MakeZip({Member("\xCA\xE0\xED\xE0\xEB.txt", "x"), utf8, Member(std::string(300, 'n'), "x")}));
  ASSERT_TRUE(archive);
  EXPECT_EQ(NameOf(*archive, 0), u"Канал.txt");
  EXPECT_EQ(NameOf(*archive, 1), u"Канал.txt");
  EXPECT_EQ(NameOf(*archive, 2), std::u16string(258, u'n'));
}

// Local headers must agree with the central directory; a local extra field that runs past
// the file cannot be read.
TEST(ZipEntries, LocalHeaderChecks) {
  TempFolder dir;
  ZipWriter::Layout layout;
  const std::string zip = MakeZip({Member("a", "alpha"), Member("b", "beta", false)}, {}, &layout);
  struct Case { size_t field; uint32_t value; bool wide; ZipResult expected; };
  const Case cases[] = {
      {0, 0x04034b51, true, kZipCorrupt},    // signature
      {8, 0, false, kZipCorrupt},            // method differs from the central one
      {14, 0xDEADBEEF, true, kZipCorrupt},   // CRC-32
      {18, 999, true, kZipCorrupt},          // compressed size
      {22, 999, true, kZipCorrupt},          // uncompressed size
      {26, 2, false, kZipCorrupt},           // name length
      {28, 0xFFFF, false, kZipBadExtra},     // extra field beyond the end of the file
  };
  for (const Case& c : cases) {
    std::string bytes = zip;
    const size_t at = layout.local[c.field == 28 ? 1 : 0] + c.field;
    c.wide ? Poke32(bytes, at, c.value) : Poke16(bytes, at, static_cast<uint16_t>(c.value));
    auto archive = OpenBytes(dir, bytes);
    ASSERT_TRUE(archive);
    ZipEntryInfo info;
    EXPECT_EQ(archive->GetEntry(c.field == 28 ? 1 : 0, info), c.expected) << "field " << c.field;
  }
  // With sizes in a trailing descriptor (flag bit 3) the local CRC and sizes are not compared.
  std::string descriptor = zip;
  Poke16(descriptor, layout.local[0] + 6, 8);
  Poke32(descriptor, layout.local[0] + 14, 0);
  auto archive = OpenBytes(dir, descriptor);
  ZipEntryInfo info;
  EXPECT_EQ(archive->GetEntry(0, info), kZipOk);
}

}  // namespace
}  // namespace vantrel
