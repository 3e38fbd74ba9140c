#include <gtest/gtest.h>

#include <span>
#include <vector>

#include "base/text_codec.h"
#include "skin/bmp_format.h"
#include "tests/updates/zip_test_support.h"
#include "tools/demo/skin_recolour.h"
#include "updates/zip/zip_archive.h"

namespace vantrel {
namespace {

using demo::kKeyColour;
using demo::RotateHue;
using testing::TempFolder;

std::string Bitmap(int width, int height, const std::vector<uint32_t>& pixels) {
  const auto bytes = EncodeBmp24(width, height, pixels.data(), std::size_t(width) * 4);
  return std::string(bytes.begin(), bytes.end());
}

std::vector<uint32_t> Pixels(const std::string& bmp) {
  BmpLayout layout;
  const std::span<const uint8_t> file(reinterpret_cast<const uint8_t*>(bmp.data()), bmp.size());
  EXPECT_EQ(ParseBmpFile(file, layout), BmpStatus::Ok);
  std::vector<uint32_t> pixels(std::size_t(layout.width) * std::size_t(layout.height));
  DecodeBmpPixels(layout, file.data() + kBmpFileHeaderSize, pixels.data(), std::size_t(layout.width) * 4);
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

// Turning the hue moves the primaries round the circle and leaves greys alone.
TEST(RotateHue, TurnsColoursAndKeepsGreys) {
  EXPECT_EQ(RotateHue(0xFF0000, 120), 0x00FF00u);
  EXPECT_EQ(RotateHue(0x00FF00, 120), 0x0000FFu);
  EXPECT_EQ(RotateHue(0x0000FF, -120), 0x00FF00u);
  EXPECT_EQ(RotateHue(0x336699, 360), 0x336699u);
  for (uint32_t grey : {0x000000u, 0x808080u, 0xFFFFFFu}) EXPECT_EQ(RotateHue(grey, 73), grey);
}

// The key colour marks the window's shape: it stays, and nothing else becomes it, whatever
// the turn.
TEST(RotateHue, KeyColourStaysTheOnlyKey) {
  for (double degrees : {-70.0, 30.0, 60.0, 120.0, 180.0, 299.5}) {
    EXPECT_EQ(RotateHue(kKeyColour, degrees), kKeyColour);
    for (uint32_t r = 0; r < 256; r += 5) {
      for (uint32_t b = 0; b < 256; b += 5) {
        for (uint32_t g : {0u, 1u, 2u}) {
          const uint32_t colour = r << 16 | g << 8 | b;
          if (colour != kKeyColour) {
            ASSERT_NE(RotateHue(colour, degrees), kKeyColour) << std::hex << colour;
          }
        }
      }
    }
  }
  // Green turned half round would be magenta itself; it stops one step short.
  EXPECT_EQ(RotateHue(0x00FF00, 180), 0xFE00FFu);
}

// A bitmap comes back the same size with every pixel turned; anything else is refused.
TEST(RecolourBitmap, TurnsEveryPixel) {
  const std::vector<uint32_t> pixels{0xFF0000, kKeyColour, 0x808080, 0x00FF00, 0x0000FF, 0x123456};
  const auto turned = demo::RecolourBitmap(Bitmap(3, 2, pixels), 120);
  ASSERT_TRUE(turned);
  const std::vector<uint32_t> expected{0x00FF00, kKeyColour, 0x808080, 0x0000FF, 0xFF0000, RotateHue(0x123456, 120)};
  EXPECT_EQ(Pixels(*turned), expected);
  EXPECT_FALSE(demo::RecolourBitmap("", 120));
  EXPECT_FALSE(demo::RecolourBitmap("BM not really a bitmap", 120));
  EXPECT_FALSE(demo::RecolourBitmap(Bitmap(3, 2, pixels).substr(0, 40), 120));
}

// A derived pack holds the same entries in the same order: pictures turned, texts naming the
// new skin, anything else as it was.
TEST(DeriveSkinPack, SameEntriesNewNameNewColours) {
  TempFolder folder;
  const std::string picture = Bitmap(2, 1, {0xFF0000, kKeyColour});
  testing::WriteBytes(folder / "Liquid.zip",
                      testing::MakeZip({testing::Member("skin_11.bmp", picture),
                                        testing::Member("skin.ini", "[Skin]\r\nName=Liquid\r\n"),
                                        testing::Member("readme.txt", "Liquid, Liquid!", false),
                                        testing::Member("data.bin", "Liquid")}));
  std::string problem;
  const auto pack = demo::DeriveSkinPack(folder / "Liquid.zip", "Aurora", 120, problem);
  ASSERT_TRUE(pack) << problem;
  testing::WriteBytes(folder / "Aurora.zip", *pack);

  const auto zip = ZipArchive::Open(folder / "Aurora.zip");
  ASSERT_TRUE(zip);
  ASSERT_EQ(zip->EntryCount(), 4);
  std::vector<std::string> names, contents;
  for (int i = 0; i < 4; ++i) {
    ZipEntryInfo info;
    ASSERT_EQ(zip->GetEntry(i, info), kZipOk);
    names.push_back(Utf16ToUtf8(info.name));
    std::string data(info.uncompressedSize + 1, '\0');
    std::size_t got = 0;
    ASSERT_EQ(zip->ExtractToMemory(i, data.data(), data.size(), &got), kZipMore);
    contents.push_back(data.substr(0, got));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"skin_11.bmp", "skin.ini", "readme.txt", "data.bin"}));
  EXPECT_EQ(Pixels(contents[0]), (std::vector<uint32_t>{0x00FF00, kKeyColour}));
  EXPECT_EQ(contents[1], "[Skin]\r\nName=Aurora\r\n");
  EXPECT_EQ(contents[2], "Aurora, Aurora!");
  EXPECT_EQ(contents[3], "Liquid");
}

// A source that is no readable pack gives no pack and says why.
TEST(DeriveSkinPack, RefusesBrokenSources) {
  TempFolder folder;
  std::string problem;
  EXPECT_FALSE(demo::DeriveSkinPack(folder / "Missing.zip", "Aurora", 10, problem));
  EXPECT_NE(problem.find("Missing.zip"), std::string::npos);
  testing::WriteBytes(folder / "Broken.zip", testing::MakeZip({testing::Member("skin_11.bmp", "BM broken")}));
  problem.clear();
  EXPECT_FALSE(demo::DeriveSkinPack(folder / "Broken.zip", "Aurora", 10, problem));
  EXPECT_NE(problem.find("skin_11.bmp"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
