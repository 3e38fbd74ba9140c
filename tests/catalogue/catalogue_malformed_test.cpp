// Broken catalogues fail or load a consistent store, never crash or read out of bounds (this
// suite runs under AddressSanitizer in CI).
#include <gtest/gtest.h>

#include <random>

#include "catalogue/base64.h"
#include "tests/catalogue/catalogue_test_support.h"

namespace vantrel {
namespace {

using namespace testing;

const std::string kXml =
    "<?xml version=\"1.0\"?><channels version=\"9\"><channel id=\"1\" name=\"\xCF\xE5\xF0\xE2\xFB\xE9\" type=\"2\" "
    "URL=\"mms://a\"><genre>News</genre><country>RU</country><BPS>300</BPS><description>d &amp; e</description>"
    "</channel><channel id=\"2\" name=\"x\" type=\"1\" URL=\"\"/></channels>";

void LoadMember(const TempFolder& dir, const std::string& member) {
  WriteBytes(dir / "channels.dat", MakeZip({Member("m", member)}));
  CChannelList list(dir / "channels.dat", dir / "favorites.xml");
  if (list.LoadChannels()) {
    EXPECT_TRUE(Consistent(list));
  }
}

TEST(CatalogueMalformed, BrokenXmlAndBase64) {
  TempFolder dir(true);
  std::mt19937 rng(77);
  for (size_t cut = 0; cut < kXml.size(); cut += 3) LoadMember(dir, Base64Encode(kXml.substr(0, cut)));
  const std::string encoded = Base64Encode(kXml, 76);
  for (int round = 0; round < 400; ++round) {
    std::string xml = kXml;
    std::string text = encoded;
    for (int c = 0; c < 3; ++c) {
      xml[rng() % xml.size()] = static_cast<char>(rng() % 256);
      text[rng() % text.size()] = static_cast<char>(rng() % 256);
    }
    LoadMember(dir, Base64Encode(xml));
    LoadMember(dir, text);
  }
}

TEST(CatalogueMalformed, TruncatedAndLyingArchives) {
  TempFolder dir(true);
  ZipWriter::Layout layout;
  const std::string zip = MakeZip({Member("m", Base64Encode(kXml, 76))}, {}, &layout);
  for (size_t size = 0; size < zip.size(); size += 2) {
    WriteBytes(dir / "channels.dat", zip.substr(0, size));
    CChannelList list(dir / "channels.dat", {});
    EXPECT_FALSE(list.LoadChannels());
  }
  // Declared sizes that are too small, too large or absurd.
  for (uint32_t size : {0u, 1u, 100u, 0xFFFFFFFFu}) {
    std::string bytes = zip;
    Poke32(bytes, layout.local[0] + 22, size);
    Poke32(bytes, layout.central[0] + 24, size);
    WriteBytes(dir / "channels.dat", bytes);
    CChannelList list(dir / "channels.dat", {});
    if (list.LoadChannels()) {
    EXPECT_TRUE(Consistent(list));
  }
  }
}

}  // namespace
}  // namespace vantrel
