#include "catalogue/base64.h"

#include <array>
#include <cstdint>

namespace vantrel {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr uint8_t kSkip = 0xFF;

constexpr std::array<uint8_t, 256> MakeTable() {
  std::array<uint8_t, 256> table{};
  for (auto& v : table) v = kSkip;
  for (uint8_t i = 0; i < 64; ++i) table[static_cast<uint8_t>(kAlphabet[i])] = i;
  return table;
}
constexpr auto kTable = MakeTable();

}  // namespace

size_t Base64Decode(std::string_view text, char* out) {
  char* const start = out;
  uint32_t group = 0;
  int count = 0;
  const auto* p = reinterpret_cast<const uint8_t*>(text.data());
  const auto* const end = p + text.size();
  while (p < end) {
    // Fast path: four alphabet characters in a row, the bulk of any real text.
    if (count == 0 && end - p >= 4) {
      const uint8_t a = kTable[p[0]], b = kTable[p[1]], c = kTable[p[2]], d = kTable[p[3]];
      if ((a | b | c | d) < 64) {
        const uint32_t v = (uint32_t{a} << 18) | (uint32_t{b} << 12) | (uint32_t{c} << 6) | d;
        out[0] = static_cast<char>(v >> 16);
        out[1] = static_cast<char>(v >> 8);
        out[2] = static_cast<char>(v);
        out += 3;
        p += 4;
        continue;
      }
    }
    const uint8_t v = kTable[*p++];
    if (v == kSkip) continue;
    group = (group << 6) | v;
    if (++count == 4) {
      out[0] = static_cast<char>(group >> 16);
      out[1] = static_cast<char>(group >> 8);
      out[2] = static_cast<char>(group);
      out += 3;
      group = 0;
      count = 0;
    }
  }
  if (count == 3) {
    out[0] = static_cast<char>(group >> 10);
    out[1] = static_cast<char>(group >> 2);
    out += 2;
  } else if (count == 2) {
    *out++ = static_cast<char>(group >> 4);
  }
  return static_cast<size_t>(out - start);
}

std::string Base64Encode(std::string_view bytes, size_t lineLength, std::string_view lineBreak) {
  std::string out;
  const size_t encoded = (bytes.size() + 2) / 3 * 4;
  out.reserve(encoded + (lineLength ? encoded / lineLength * lineBreak.size() : 0));
  size_t column = 0;
  auto put = [&](char c) {
    if (lineLength && column == lineLength) {
      out += lineBreak;
      column = 0;
    }
    out.push_back(c);
    ++column;
  };
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
    const uint32_t v = (uint32_t{p[i]} << 16) | (n > 1 ? uint32_t{p[i + 1]} << 8 : 0) | (n > 2 ? p[i + 2] : 0);
    put(kAlphabet[(v >> 18) & 63]);
    put(kAlphabet[(v >> 12) & 63]);
    put(n > 1 ? kAlphabet[(v >> 6) & 63] : '=');
    put(n > 2 ? kAlphabet[v & 63] : '=');
  }
  return out;
}

}  // namespace vantrel
