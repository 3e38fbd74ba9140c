#include "skin/bmp_format.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <sstream>

#include "tests/skin/bmp_builder.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

std::vector<uint32_t> Decode(const std::vector<uint8_t>& file, BmpStatus* status = nullptr) {
  BmpLayout l;
  const BmpStatus s = ParseBmpFile(file, l);
  if (status) *status = s;
  if (s != BmpStatus::Ok) return {};
  std::vector<uint32_t> out(static_cast<size_t>(l.width) * l.height);
  DecodeBmpPixels(l, file.data() + kBmpFileHeaderSize, out.data(), static_cast<size_t>(l.width) * 4);
  for (uint32_t& p : out) p &= 0xFFFFFF;
  return out;
}

}  // namespace

// Every bit depth decodes to the same top-down colours, whichever way the rows are stored.
TEST(BmpDecode, AllDepthsAndRowOrders) {
  const std::vector<uint32_t> want = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};
  for (bool topDown : {false, true})
    EXPECT_EQ(Decode(Bmp24(3, 2, want, topDown)), want) << "24-bit topDown=" << topDown;

  // 8-bit, biClrUsed 0 means 256 colours; indexes past the written entries are inside the table.
  BmpSpec s8;
  s8.width = 3;
  s8.height = 2;
  s8.bitCount = 8;
  s8.palette.assign(256, 0);
  for (size_t i = 0; i < want.size(); ++i) s8.palette[i] = want[i];
  std::vector<uint8_t> f8 = BmpHead(s8);
  for (uint8_t b : {3, 4, 5, 0, 0, 1, 2, 0}) f8.push_back(b);  // bottom row then top row, padded to 4
  BmpLayout l;
  ASSERT_EQ(ParseBmpFile(f8, l), BmpStatus::Ok);
  EXPECT_EQ(l.colourCount, 256u);
  EXPECT_EQ(Decode(f8), want);

  // 1-bit and 4-bit: high bits first.
  BmpSpec s1;
  s1.width = 10;
  s1.height = -1;
  s1.bitCount = 1;
  s1.palette = {0x000000, 0xFFFFFF};
  std::vector<uint8_t> f1 = BmpHead(s1);
  for (uint8_t b : {0b10100000, 0b01000000, 0, 0}) f1.push_back(b);
  EXPECT_EQ(Decode(f1), (std::vector<uint32_t>{0xFFFFFF, 0, 0xFFFFFF, 0, 0, 0, 0, 0, 0, 0xFFFFFF}));

  BmpSpec s4 = s1;
  s4.width = 3;
  s4.bitCount = 4;
  s4.clrUsed = 3;
  s4.palette = {0x111111, 0x222222, 0x333333};
  std::vector<uint8_t> f4 = BmpHead(s4);
  for (uint8_t b : {0x21, 0x0F, 0, 0}) f4.push_back(b);  // index 15 is past the 3-entry table
  EXPECT_EQ(Decode(f4), (std::vector<uint32_t>{0x333333, 0x222222, 0x111111}));

  // 16-bit 5-5-5 and 32-bit BGRX without masks; 16-bit 5-6-5 with masks.
  BmpSpec s16 = s1;
  s16.width = 2;
  s16.bitCount = 16;
  s16.palette = {};
  std::vector<uint8_t> f16 = BmpHead(s16);
  Put(f16, 0x7C00, 2);
  Put(f16, 0x001F, 2);
  EXPECT_EQ(Decode(f16), (std::vector<uint32_t>{0xFF0000, 0x0000FF}));

  BmpSpec s565 = s16;
  s565.compression = 3;
  s565.masks = {0xF800, 0x07E0, 0x001F};
  std::vector<uint8_t> f565 = BmpHead(s565);
  Put(f565, 0x07E0, 2);
  Put(f565, 0xF81F, 2);
  EXPECT_EQ(Decode(f565), (std::vector<uint32_t>{0x00FF00, 0xFF00FF}));

  BmpSpec s32 = s16;
  s32.bitCount = 32;
  std::vector<uint8_t> f32 = BmpHead(s32);
  Put(f32, 0xAA123456, 4);
  Put(f32, 0x00FEDCBA, 4);
  EXPECT_EQ(Decode(f32), (std::vector<uint32_t>{0x123456, 0xFEDCBA}));
}

// Without biSizeImage, rows are padded to whole 32-bit words: 3 pixels of 24 bits take 12 bytes.
TEST(BmpDecode, PaddedRowSize) {
  BmpLayout l;
  ASSERT_EQ(ParseBmpFile(Bmp24(3, 2, std::vector<uint32_t>(6, 0x123456)), l), BmpStatus::Ok);
  EXPECT_EQ(l.stride, 12u);
  EXPECT_EQ(l.imageSize, 24u);
  EXPECT_EQ(l.colourCount, 0u);
}

// Malformed files are rejected before any pixel is read (run under AddressSanitizer in CI).
TEST(BmpDecode, MalformedCorpusIsInvalid) {
  const std::vector<uint8_t> good = Bmp24(4, 4, std::vector<uint32_t>(16, 0xABCDEF));
  std::vector<std::pair<const char*, std::vector<uint8_t>>> corpus;
  for (size_t n : {size_t{1}, size_t{2}, size_t{13}, size_t{14}, size_t{20}, size_t{53}, size_t{54}, size_t{60}, good.size() - 1})
    corpus.emplace_back("truncated", std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(n)));
  auto patched = [&](size_t at, uint32_t value, int bytes) {
    std::vector<uint8_t> v = good;
    for (int i = 0; i < bytes; ++i) v[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    return v;
  };
  corpus.emplace_back("bad magic", patched(0, 0x5A4D, 2));
  corpus.emplace_back("zero width", patched(18, 0, 4));
  corpus.emplace_back("negative width", patched(18, 0xFFFFFFFF, 4));
  corpus.emplace_back("zero height", patched(22, 0, 4));
  corpus.emplace_back("huge width", patched(18, 0x7FFFFFFF, 4));
  corpus.emplace_back("most negative height", patched(22, 0x80000000, 4));
  std::vector<uint8_t> huge = patched(18, 30000, 4);
  huge[22] = 0x30;  // and a height of 30000
  huge[23] = 0x75;
  corpus.emplace_back("too many pixels", huge);
  corpus.emplace_back("tall image, short file", patched(22, 4000, 4));
  corpus.emplace_back("bit count 7", patched(28, 7, 2));
  corpus.emplace_back("bit count 0", patched(28, 0, 2));
  corpus.emplace_back("RLE compression", patched(30, 1, 4));
  corpus.emplace_back("image size beyond the file", patched(34, 1000, 4));
  corpus.emplace_back("image size below the rows", patched(34, 10, 4));
  corpus.emplace_back("huge colour count", patched(46, 0xFFFFFFFF, 4));
  corpus.emplace_back("colour table past the end", patched(46, 100, 4));
  corpus.emplace_back("info size 12", patched(14, 12, 4));
  corpus.emplace_back("info size past the end", patched(14, 0xFFFFFF00, 4));
  corpus.emplace_back("offset before the header end", patched(10, 20, 4));
  corpus.emplace_back("offset past the end", patched(10, 0xFFFFFFF0, 4));
  corpus.emplace_back("bit fields on 24 bits", patched(30, 3, 4));

  for (const auto& [name, bytes] : corpus) {
    BmpStatus status = BmpStatus::Ok;
    EXPECT_TRUE(Decode(bytes, &status).empty()) << name;
    EXPECT_EQ(status, BmpStatus::Invalid) << name;
    BmpData data;
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    const BmpStatus streamed = ReadBmp(in, data);
    EXPECT_NE(streamed, BmpStatus::Ok) << name;
  }
  EXPECT_EQ(Decode({}, nullptr), std::vector<uint32_t>{});
  BmpStatus status = BmpStatus::Ok;
  Decode({}, &status);
  EXPECT_EQ(status, BmpStatus::Empty);
}

// A stream ending inside the file header is a read error; a wrong magic or short pixels, invalid.
TEST(BmpStream, ReadErrorsAndInvalidFiles) {
  BmpData data;
  std::istringstream empty;
  EXPECT_EQ(ReadBmp(empty, data), BmpStatus::ReadError);
  std::istringstream shortHead(std::string("BM\0\0", 4));
  EXPECT_EQ(ReadBmp(shortHead, data), BmpStatus::ReadError);
  const std::vector<uint8_t> good = Bmp24(5, 3, std::vector<uint32_t>(15, 0x010203));
  std::istringstream cut(std::string(good.begin(), good.end() - 1));
  EXPECT_EQ(ReadBmp(cut, data), BmpStatus::Invalid);
  std::string wrong(good.begin(), good.end());
  wrong[1] = 'X';
  std::istringstream bad(wrong);
  EXPECT_EQ(ReadBmp(bad, data), BmpStatus::Invalid);
}

// What the writer writes reads back unchanged, pixels and header, through both readers.
TEST(BmpStream, WriteThenReadRoundTrip) {
  const std::vector<uint32_t> pixels = {0xFF00FF, 0x102030, 0x405060, 0xFFFFFF, 0x000000, 0x7F7F7F};
  const std::vector<uint8_t> file = EncodeBmp24(3, 2, pixels.data(), 3 * 4);
  ASSERT_EQ(file.size(), 54u + 24u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(Decode(file), pixels);

  std::istringstream in(std::string(file.begin(), file.end()));
  BmpData data;
  ASSERT_EQ(ReadBmp(in, data), BmpStatus::Ok);
  EXPECT_EQ(data.layout.imageSize, 24u);
  std::ostringstream out;
  std::vector<uint8_t> block = data.header;
  block.insert(block.end(), data.pixels.begin(), data.pixels.end());
  ASSERT_EQ(WriteBmp(out, data.layout, block.data(), block.data() + data.layout.pixelOffset), BmpStatus::Ok);
  const std::string again = out.str();
  EXPECT_EQ(std::vector<uint8_t>(again.begin(), again.end()), file);

  std::ostringstream failing;
  failing.setstate(std::ios::badbit);
  EXPECT_EQ(WriteBmp24(failing, 3, 2, pixels.data(), 12), BmpStatus::WriteError);
}

// A paletted image keeps its colour table through a write (offset and file size count it).
TEST(BmpStream, PalettedRoundTripKeepsTable) {
  BmpSpec s;
  s.width = 2;
  s.height = 1;
  s.bitCount = 8;
  s.clrUsed = 2;
  s.palette = {0xFF00FF, 0x00FF00};
  std::vector<uint8_t> f = BmpHead(s);
  for (uint8_t b : {1, 0, 0, 0}) f.push_back(b);
  std::istringstream in(std::string(f.begin(), f.end()));
  BmpData data;
  ASSERT_EQ(ReadBmp(in, data), BmpStatus::Ok);
  std::vector<uint8_t> block = data.header;
  block.insert(block.end(), data.pixels.begin(), data.pixels.end());
  std::ostringstream out;
  ASSERT_EQ(WriteBmp(out, data.layout, block.data(), block.data() + data.layout.pixelOffset), BmpStatus::Ok);
  const std::string w = out.str();
  const std::vector<uint8_t> written(w.begin(), w.end());
  ASSERT_EQ(written.size(), 14u + 40u + 8u + 4u);
  EXPECT_EQ(written[10], 62);  // offset to pixels
  EXPECT_EQ(written[2], written.size());
  EXPECT_EQ(Decode(written), (std::vector<uint32_t>{0x00FF00, 0xFF00FF}));
}

// Random header damage to files of every kind: whatever is accepted decodes inside the file
// (AddressSanitizer watches the exact-size copy).
TEST(BmpDecode, DamagedHeadersNeverReadOutside) {
  std::vector<std::vector<uint8_t>> seeds;
  seeds.push_back(Bmp24(5, 3, std::vector<uint32_t>(15, 0x123456)));
  BmpSpec s8;
  s8.width = 5;
  s8.height = -2;
  s8.bitCount = 8;
  s8.clrUsed = 4;
  s8.palette = {1, 2, 3, 4};
  seeds.push_back(BmpHead(s8));
  seeds.back().resize(seeds.back().size() + 16, 3);
  BmpSpec s16;
  s16.width = 3;
  s16.height = 2;
  s16.bitCount = 16;
  s16.compression = 3;
  s16.masks = {0xF800, 0x07E0, 0x001F};
  seeds.push_back(BmpHead(s16));
  seeds.back().resize(seeds.back().size() + 16, 0xAB);

  std::mt19937 random(20240611);
  int accepted = 0;
  for (const auto& seed : seeds) {
    for (int round = 0; round < 3000; ++round) {
      std::vector<uint8_t> bytes = seed;
      const int damage = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < damage; ++i) {
        const size_t at = random() % std::min<size_t>(bytes.size(), 70);
        bytes[at] = static_cast<uint8_t>(random() % 3 == 0 ? 0xFF : random());
      }
      if (random() % 5 == 0) bytes.resize(random() % bytes.size());
      auto exact = std::make_unique<uint8_t[]>(bytes.size());
      std::copy(bytes.begin(), bytes.end(), exact.get());
      BmpLayout l;
      if (ParseBmpFile({exact.get(), bytes.size()}, l) != BmpStatus::Ok) continue;
      ++accepted;
      std::vector<uint32_t> out(static_cast<size_t>(l.width) * static_cast<size_t>(l.height));
      DecodeBmpPixels(l, exact.get() + kBmpFileHeaderSize, out.data(), static_cast<size_t>(l.width) * 4);
    }
  }
  EXPECT_GT(accepted, 0);  // some damage is harmless (colours, resolution), and is decoded
}
