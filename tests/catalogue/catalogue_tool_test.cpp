#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "tests/catalogue/catalogue_test_support.h"
#include "tools/catalogue/catalogue_tool.h"

namespace vantrel {
namespace {

using namespace testing;
using namespace vantrel::tool;

const char kXml[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<channels version=\"3\">\n"
    "  <channel id=\"1\" name=\"Вести\" type=\"2\" URL=\"mms://v\"><country>B</country><genre>News</genre>"
    "<BPS>300</BPS><description>two\nlines</description></channel>\n"
    "  <channel id=\"2\" name=\"Sport 1\" type=\"2\" URL=\"mms://s\"><country>B</country><genre>Sport</genre></channel>\n"
    "  <channel id=\"3\" name=\"Один\" type=\"1\" URL=\"mms://o\"><country>A</country><genre>News</genre></channel>\n"
    "</channels>\n";

struct ToolRun {
  int code;
  std::string out, err;
};

ToolRun List(const std::filesystem::path& file) {
  std::ostringstream out, err;
  const int code = ListCatalogue(file, out, err);
  return {code, out.str(), err.str()};
}

// Packing makes a file the program loads, listed with the views' labels; unpacking gives the
// XML back as UTF-8 with its declaration saying so.
TEST(CatalogueTool, PackListUnpack) {
  TempFolder dir;
  WriteBytes(dir / "c.xml", kXml);
  std::ostringstream err;
  ASSERT_EQ(PackCatalogueFile(dir / "c.xml", dir / "channels.dat", err), 0) << err.str();
  const ToolRun list = List(dir / "channels.dat");
  EXPECT_EQ(list.code, 0);
  EXPECT_NE(list.out.find("version: 3\nchannels: 3\n"), std::string::npos);
  EXPECT_NE(list.out.find("  name: Вести\n"), std::string::npos);
  EXPECT_NE(list.out.find("  description: two\\nlines\n"), std::string::npos);
  EXPECT_NE(list.out.find("by country:\n  A(1)\n    News(1)\n      Один\n  B(2)\n    News(1)\n      Вести\n"
                          "    Sport(1)\n      Sport 1\n"),
            std::string::npos)
      << list.out;
  EXPECT_NE(list.out.find("genres:\n  \"News\": 2\n  \"Sport\": 1\n"), std::string::npos);

  std::ostringstream xml, unpackErr;
  ASSERT_EQ(UnpackCatalogue(dir / "channels.dat", xml, unpackErr), 0);
  EXPECT_EQ(xml.str(), kXml);
}

// A Windows-1251 source is taken as it declares; loading failures and unstorable text are
// refused with one line and no output file.
TEST(CatalogueTool, PackChecksItsInput) {
  TempFolder dir;
  WriteBytes(dir / "cp.xml", "<?xml version=\"1.0\" encoding=\"windows-1251\"?><channels version=\"1\">"
                             "<channel id=\"1\" name=\"\xC6\" type=\"1\" URL=\"\"/></channels>");
  std::ostringstream err;
  ASSERT_EQ(PackCatalogueFile(dir / "cp.xml", dir / "ok.dat", err), 0);
  CChannelList list(dir / "ok.dat", {});
  ASSERT_TRUE(list.LoadChannels());
  EXPECT_EQ(list.channels[0].name, u"Ж");

  const std::pair<std::string, std::string> bad[] = {
      {"<channels>", "not well-formed"},
      {"<channels/>", "\"version\""},
      {"<catalogue version=\"1\"/>", "\"channels\""},
      {"<channels version=\"1\"><c id=\"1\" name=\"\xE4\xB8\xAD\" type=\"1\" URL=\"\"/></channels>", "U+4E2D"},
      {"<channels version=\"1\">\xC6</channels>", "UTF-8"},
      {"<channels version=\"1\"><!--" + std::string(500000, 'x') + "--></channels>", "too large"},
  };
  for (const auto& [text, message] : bad) {
    WriteBytes(dir / "bad.xml", text);
    std::ostringstream e;
    EXPECT_EQ(PackCatalogueFile(dir / "bad.xml", dir / "bad.dat", e), 1);
    const std::string line = e.str();
    EXPECT_NE(line.find(message), std::string::npos) << line;
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.dat"));
  }
}

// Listing what does not load exits 1 with the reason on one line.
TEST(CatalogueTool, ListFailures) {
  TempFolder dir;
  const ToolRun missing = List(dir / "none.dat");
  EXPECT_EQ(missing.code, 1);
  EXPECT_TRUE(missing.out.empty());
  EXPECT_NE(missing.err.find("cannot be opened"), std::string::npos);
  WriteBytes(dir / "two.dat", MakeZip({Member("a", "x"), Member("b", "y")}));
  EXPECT_NE(List(dir / "two.dat").err.find("exactly one member"), std::string::npos);
  std::ostringstream out, err;
  EXPECT_EQ(UnpackCatalogue(dir / "two.dat", out, err), 1);
}

}  // namespace
}  // namespace vantrel
