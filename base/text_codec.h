#pragma once
#include <string>
#include <string_view>

namespace vantrel {

// Windows-1251, the code page of the catalogue, zip entry names and server answers.
// Every byte maps to one UTF-16 unit; the one byte the code page leaves undefined (0x98)
// maps to U+0098, so every byte string survives the round trip.
std::u16string Cp1251ToUtf16(std::string_view bytes);
// Characters the code page cannot hold become '?'.
std::string Utf16ToCp1251(std::u16string_view text);

// UTF-8 <-> UTF-16 for file names and Qt-free text handling; malformed input becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view bytes);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace vantrel
