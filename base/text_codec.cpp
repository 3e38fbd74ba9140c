#include "base/text_codec.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <memory>

namespace vantrel {
namespace {

// The code page is single-byte, so iconv is asked once per byte value and the answers are
// kept in two tables; conversions are then plain lookups.
struct Cp1251Tables {
  std::array<char16_t, 256> toUnicode{};
  std::unique_ptr<std::array<uint8_t, 65536>> fromUnicode = std::make_unique<std::array<uint8_t, 65536>>();

  Cp1251Tables() {
    iconv_t cd = iconv_open("UTF-16LE", "CP1251");
    for (int b = 0; b < 256; ++b) {
      char in = static_cast<char>(b);
      unsigned char out[4] = {};
      char* inPtr = &in;
      size_t inLeft = 1;
      char* outPtr = reinterpret_cast<char*>(out);
      size_t outLeft = sizeof out;
      char16_t unit = static_cast<char16_t>(b);  // undefined bytes map to the same code point
      if (cd != reinterpret_cast<iconv_t>(-1)) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) &&
            outLeft == sizeof out - 2)
          unit = static_cast<char16_t>(out[0] | (out[1] << 8));
      }
      toUnicode[b] = unit;
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    fromUnicode->fill('?');
    for (int b = 0; b < 256; ++b) (*fromUnicode)[toUnicode[b]] = static_cast<uint8_t>(b);
  }
};

const Cp1251Tables& Tables() {
  static const Cp1251Tables tables;
  return tables;
}

}  // namespace

std::u16string Cp1251ToUtf16(std::string_view bytes) {
  const auto& t = Tables();
  std::u16string out(bytes.size(), u'\0');
  for (size_t i = 0; i < bytes.size(); ++i) out[i] = t.toUnicode[static_cast<uint8_t>(bytes[i])];
  return out;
}

std::string Utf16ToCp1251(std::u16string_view text) {
  const auto& t = Tables();
  std::string out(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i) out[i] = static_cast<char>((*t.fromUnicode)[text[i]]);
  return out;
}

std::u16string Utf8ToUtf16(std::string_view s) {
  // Sized once for the worst case (one unit per byte) and cut at the end: the catalogue
  // converts thousands of short texts per load, and per-unit appends dominated that.
  std::u16string out(s.size(), u'\0');
  char16_t* o = out.data();
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<uint8_t>(s[i]);
    if (c < 0x80) {
      *o++ = c;
      ++i;
      continue;
    }
    uint32_t cp = 0xFFFD;
    size_t len = 1;
    size_t need = c >= 0xF0 && c < 0xF5 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (need && c < 0xF5 && i + need <= s.size()) {
      uint32_t v = c & (0x7F >> need);
      bool ok = true;
      for (size_t k = 1; k < need; ++k) {
        const auto cc = static_cast<uint8_t>(s[i + k]);
        if ((cc & 0xC0) != 0x80) { ok = false; break; }
        v = (v << 6) | (cc & 0x3F);
      }
      const uint32_t minimum = need == 2 ? 0x80 : need == 3 ? 0x800 : 0x10000;
      if (ok && v >= minimum && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF)) {
        cp = v;
        len = need;
      }
    }
    if (cp >= 0x10000) {  // four bytes give two units
      cp -= 0x10000;
      *o++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *o++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      *o++ = static_cast<char16_t>(cp);
    }
    i += len;
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace vantrel
