#include "base/text_codec.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

// Every byte of the code page survives the trip to UTF-16 and back, one unit per byte.
TEST(Cp1251, AllBytesRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::u16string wide = Cp1251ToUtf16(all);
  ASSERT_EQ(wide.size(), 256u);
  EXPECT_EQ(Utf16ToCp1251(wide), all);
}

// Cyrillic letters land where the code page puts them; what it cannot hold becomes '?'.
TEST(Cp1251, KnownLettersAndUnmappable) {
  EXPECT_EQ(Cp1251ToUtf16("\xCF\xF0\xE8\xE2\xE5\xF2"), u"Привет");
  EXPECT_EQ(Cp1251ToUtf16("\xA8\xB8\xB9"), u"Ёё№");
  EXPECT_EQ(Cp1251ToUtf16("\x98"), std::u16string(1, u'\x98'));
  EXPECT_EQ(Utf16ToCp1251(u"Ж\u4E2Dz"), "\xC6?z");
  EXPECT_EQ(Cp1251ToUtf16(std::string_view("a\0b", 3)), std::u16string(u"a\0b", 3));
}

// UTF-8 conversion keeps astral characters and replaces malformed input instead of failing.
TEST(Utf8, RoundTripAndMalformed) {
  const std::u16string text = u"Канал \U0001F4FA tv";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
  EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xE0\x80\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace vantrel
