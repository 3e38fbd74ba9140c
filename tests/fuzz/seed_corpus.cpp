// Writes the fuzz targets' seed corpora into <folder>/<target>/ from the fixture builders the
// tests use: skin packs and damaged archives, bitmaps of every depth, catalogues and
// favourites, and the server answers of the update tests. Kept small on purpose.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/text_codec.h"
#include "catalogue/base64.h"
#include "catalogue/catalogue_file.h"
#include "tests/skin/bmp_builder.h"
#include "tests/updates/update_test_files.h"

namespace {

using namespace vantrel;
namespace fs = std::filesystem;

class Corpus {
 public:
  Corpus(const fs::path& root, const std::string& target) : m_dir(root / target) { fs::create_directories(m_dir); }
  void Add(const std::string& name, std::string_view bytes) { test::WriteBytes(m_dir / name, bytes); }
  void Add(const std::string& name, const std::vector<uint8_t>& bytes) {
    Add(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }

 private:
  fs::path m_dir;
};

void ZipSeeds(const fs::path& root) {
  Corpus c(root, "zip");
  c.Add("skin_pack.zip", test::MakeSkinPack(32));
  c.Add("stored_and_deflated.zip", test::MakeZip({test::Member("one.txt", "first", false),
                                                  test::Member("two.txt", testing::SampleText(3000))}));
  c.Add("stub_and_comment.zip", std::string(64, 'S') + test::MakeZip({test::Member("a", "alpha")}, "archive comment"));
  ZipWriterEntry folder = test::Member("sub/", "");
  folder.folder = true;
  ZipWriterEntry unixFile = test::Member("sub/run", "#!/bin/sh\n", false);
  unixFile.unixMode = 0100755;
  ZipWriterEntry utf8 = test::Member("\xD0\x96.txt", "utf-8 name");
  utf8.utf8Name = true;
  c.Add("folders_modes_names.zip", test::MakeZip({folder, unixFile, utf8}));
  ZipWriter::Layout layout;
  std::string damaged = test::MakeZip({test::Member("a", "picture a", false), test::Member("b", "picture b", false)}, {}, &layout);
  test::DamageEntryData(damaged, layout, 1);
  c.Add("damaged_crc.zip", damaged);
  c.Add("shared_entries.zip", testing::SharedEntryArchive({"a1", "a2"}, std::string(2000, '\0')));
  std::string descriptor = test::MakeZip({test::Member("d", "sizes after the data")}, {}, &layout);
  testing::Poke16(descriptor, layout.local[0] + 6, 8);
  c.Add("data_descriptor.zip", descriptor);
}

void BitmapSeeds(const fs::path& root) {
  Corpus c(root, "bitmap");
  const uint32_t m = 0xFF00FF;
  c.Add("key_shape_24.bmp", test::Bmp24(5, 4, {m, 1, 2, 3, m, 4, m, m, m, 5, 6, 7, 8, 9, 10, m, m, 11, m, m}));
  c.Add("top_down_24.bmp", test::Bmp24(3, 2, {m, 0x123456, m, 0xFEFEFE, m, 0x00FF10}, true));
  test::BmpSpec s8;
  s8.width = 3;
  s8.height = 2;
  s8.bitCount = 8;
  s8.clrUsed = 4;
  s8.palette = {0xFF00FF, 0x112233, 0x445566, 0xFF10FF};
  std::vector<uint8_t> f8 = test::BmpHead(s8);
  for (uint8_t b : {0, 1, 3, 0, 2, 0, 9, 0}) f8.push_back(b);
  c.Add("palette_8.bmp", f8);
  test::BmpSpec s1;
  s1.width = 10;
  s1.height = -1;
  s1.bitCount = 1;
  s1.palette = {0xFF00FF, 0xFFFFFF};
  std::vector<uint8_t> f1 = test::BmpHead(s1);
  for (uint8_t b : {0b10100000, 0b01000000, 0, 0}) f1.push_back(b);
  c.Add("mono_1.bmp", f1);
  test::BmpSpec s4 = s1;
  s4.width = 3;
  s4.bitCount = 4;
  s4.clrUsed = 3;
  s4.palette = {0x111111, 0xFF00FF, 0x333333};
  std::vector<uint8_t> f4 = test::BmpHead(s4);
  for (uint8_t b : {0x21, 0x0F, 0, 0}) f4.push_back(b);
  c.Add("palette_4.bmp", f4);
  test::BmpSpec s565 = s1;
  s565.width = 2;
  s565.bitCount = 16;
  s565.compression = 3;
  s565.palette = {};
  s565.masks = {0xF800, 0x07E0, 0x001F};
  std::vector<uint8_t> f565 = test::BmpHead(s565);
  test::Put(f565, 0x07E0, 2);
  test::Put(f565, 0xF81F, 2);
  c.Add("masks_565.bmp", f565);
  test::BmpSpec s32 = s565;
  s32.bitCount = 32;
  s32.compression = 0;
  s32.masks = {};
  std::vector<uint8_t> f32 = test::BmpHead(s32);
  test::Put(f32, 0xAAFF00FF, 4);
  test::Put(f32, 0x00FEDCBA, 4);
  c.Add("bgrx_32.bmp", f32);
}

const std::string kCatalogueXml =
    "<?xml version=\"1.0\"?><channels version=\"9\"><channel id=\"1\" name=\"\xCF\xE5\xF0\xE2\xFB\xE9\" type=\"2\" "
    "URL=\"mms://a\"><genre>News</genre><country>RU</country><BPS>300</BPS><description>d &amp; e &#1046;</description>"
    "<site_URL>http://site/</site_URL></channel><channel id=\"2\" name=\"x\" type=\"1\" URL=\"\"/>"
    "<channel id=\"2\" name=\"dup\" type=\"1\" URL=\"u\"><country>UA</country></channel><!-- note --></channels>";

void CatalogueSeeds(const fs::path& root) {
  Corpus c(root, "catalogue");
  std::string archive;
  PackCatalogue(kCatalogueXml, archive);
  c.Add("file_catalogue", std::string(1, '\0') + archive);
  c.Add("file_lined_base64", std::string(1, '\0') + test::MakeZip({test::Member("m", Base64Encode(kCatalogueXml, 10, "\n  \t") + "==")}));
  c.Add("xml_catalogue", "\x01" + kCatalogueXml);
  c.Add("xml_cdata_nested", std::string("\x01") +
        "<channels version=\"x1\"><channel id=\"3\" name=\"n\" type=\"1\" URL=\"u\"><description>a<i>b<![CDATA[<c>]]>"
        "</i></description><genre/></channel>text</channels>");
  c.Add("favorites", std::string("\x02") + "<favorites>\n\t<channel id=\"1\" name=\"a &amp; b\" type=\"1\" URL=\"u\" "
        "BPS=\"5\">\n\t\t<genre>g</genre>\n\t</channel>\n</favorites>\n");
}

void ServerAnswerSeeds(const fs::path& root) {
  Corpus c(root, "server_answer");
  int n = 0;
  for (const std::u16string& answer :
       {std::u16string(u""), std::u16string(u"20"), std::u16string(u"1024"), std::u16string(u"2048Текст"),
        std::u16string(u"4096http://h/p.zip4096name4096 КБ скачано4096Да?"),
        std::u16string(u"4096http://h/s.zip4096Tropic4096suffix and question"),
        std::u16string(u"4096http://h/c.dat40964096124096"), std::u16string(u"<html>Not Found</html>"),
        std::u16string(u"4096http://h/s.zip4096Tropic")}) {
    c.Add("answer_" + std::to_string(n++), Utf16ToCp1251(answer));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vantrel_fuzz_seeds CORPUS_FOLDER\n");
    return 2;
  }
  const fs::path root = argv[1];
  ZipSeeds(root);
  BitmapSeeds(root);
  CatalogueSeeds(root);
  ServerAnswerSeeds(root);
  return 0;
}
