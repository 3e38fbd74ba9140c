#include "streamsaver/text.h"

#include <cstdint>

namespace vantrel {

namespace {

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

char16_t AsciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? c + (u'a' - u'A') : c; }

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (AsciiLower(text[i]) != AsciiLower(prefix[i])) return false;
  }
  return true;
}

// "scheme://" with a scheme of letters, digits, '+', '-', '.'.
bool HasScheme(std::u16string_view url) {
  const size_t colon = url.find(u"://");
  if (colon == std::u16string_view::npos || colon == 0) return false;
  for (size_t i = 0; i < colon; ++i) {
    const char16_t c = AsciiLower(url[i]);
    const bool ok = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'+' ||
                    c == u'-' || c == u'.';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

bool HasExtension(std::u16string_view text, std::u16string_view ext) {
  if (text.size() < ext.size()) return false;
  return StartsWithNoCase(text.substr(text.size() - ext.size()), ext);
}

std::string SourceAddress(std::u16string_view url) {
  if (!HasScheme(url) || StartsWithNoCase(url, u"file://")) return ToUtf8(url);
  std::string address;
  if (StartsWithNoCase(url, u"mms://")) {
    address = "mmsh://";
    url.remove_prefix(6);
  }
  static const char kHex[] = "0123456789ABCDEF";
  for (const char c : ToUtf8(url)) {
    const auto byte = static_cast<uint8_t>(c);
    if (byte <= 0x20 || byte >= 0x7F) {
      address += '%';
      address += kHex[byte >> 4];
      address += kHex[byte & 0x0F];
    } else {
      address += c;
    }
  }
  return address;
}

}  // namespace vantrel
