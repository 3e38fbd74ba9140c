#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

// Decodes standard-alphabet Base64 into `out` and returns the byte count. Every character
// outside the alphabet (line breaks, blanks, '=' padding, anything else) is skipped. A last
// group of three characters gives two bytes, of two one byte, of one nothing. `out` must hold
// Base64DecodedLimit(text.size()) bytes.
size_t Base64Decode(std::string_view text, char* out);
inline size_t Base64DecodedLimit(size_t textSize) { return textSize / 4 * 3 + 2; }

// Encodes with '=' padding, breaking lines after `lineLength` characters (0: one line).
std::string Base64Encode(std::string_view bytes, size_t lineLength = 0, std::string_view lineBreak = "\r\n");

}  // namespace vantrel
