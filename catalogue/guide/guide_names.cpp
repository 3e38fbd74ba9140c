#include "catalogue/guide/guide_names.h"

namespace vantrel {
namespace {

// The next code point of `text` at `pos`, or -1 for a malformed sequence (one byte skipped).
char32_t NextCodePoint(std::string_view text, std::size_t& pos, bool& ok) {
  const auto b0 = static_cast<unsigned char>(text[pos++]);
  ok = true;
  if (b0 < 0x80) return b0;
  const int extra = b0 >= 0xF0 && b0 < 0xF8 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC2 && b0 < 0xE0 ? 1 : -1;
  if (extra < 0 || pos + static_cast<std::size_t>(extra) > text.size()) {
    ok = false;
    return 0;
  }
  char32_t cp = b0 & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    const auto b = static_cast<unsigned char>(text[pos]);
    if ((b & 0xC0) != 0x80) {
      ok = false;
      return 0;
    }
    cp = (cp << 6) | (b & 0x3F);
    ++pos;
  }
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The folded letter or digit, or 0 for a character the key leaves out.
char32_t Fold(char32_t cp) {
  if (cp < 0x80) {
    if (cp >= 'A' && cp <= 'Z') return cp + 32;
    if ((cp >= 'a' && cp <= 'z') || (cp >= '0' && cp <= '9')) return cp;
    return 0;
  }
  if (cp < 0xC0) return 0;  // Latin-1 blanks, punctuation and symbols
  if (cp == 0xD7 || cp == 0xF7) return 0;
  if (cp < 0xDF) return cp + 0x20;
  if (cp == 0x401 || cp == 0x451 || cp == 0x415) return 0x435;  // Ё, ё, Е -> е
  if (cp >= 0x410 && cp <= 0x42F) return cp + 0x20;
  if (cp >= 0x400 && cp <= 0x40F) return cp + 0x50;
  // Old and non-Russian Cyrillic letters come in capital/small pairs.
  if ((cp >= 0x460 && cp <= 0x481) || (cp >= 0x48A && cp <= 0x4BF) || (cp >= 0x4D0 && cp <= 0x52F))
    return cp | 1;
  if (cp >= 0x4C1 && cp <= 0x4CE) return cp + (cp & 1);
  if (cp == 0x4C0) return 0x4CF;
  if (cp >= 0x2000 && cp <= 0x2BFF) return 0;  // general punctuation, arrows, symbols
  if (cp >= 0x3000 && cp <= 0x303F) return 0;  // CJK punctuation and the ideographic blank
  if (cp == 0xFEFF) return 0;
  return cp;
}

}  // namespace

std::string GuideNameKey(std::string_view utf8Name) {
  std::string key;
  key.reserve(utf8Name.size());
  for (std::size_t pos = 0; pos < utf8Name.size();) {
    bool ok = false;
    const char32_t cp = NextCodePoint(utf8Name, pos, ok);
    if (!ok) continue;
    if (const char32_t folded = Fold(cp)) AppendUtf8(key, folded);
  }
  return key;
}

}  // namespace vantrel
