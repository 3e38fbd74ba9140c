#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// One channel of the catalogue or of the favourites, a plain value.
struct CChannel {
  int32_t id = 0;
  int32_t type = 0;   // stream type code, carried along and never interpreted
  int32_t BPS = 0;    // kilobits per second; 0 when the catalogue gives none
  std::u16string name;
  std::u16string URL;  // what the player is given
  std::u16string site_URL;
  std::u16string description;
  std::u16string genre;
  std::u16string country;
  // Channels from playlists only; empty for the catalogue's. The player and the recorder send
  // userAgent and referrer with their requests; the favourites file keeps all three.
  std::u16string logo{};
  std::u16string userAgent{};
  std::u16string referrer{};

  friend bool operator==(const CChannel&, const CChannel&) = default;
};

// Reads a decimal the way the C library's atoi does: leading blanks skipped, an optional sign,
// then digits up to the first other character; no digits give 0. Values beyond the 32-bit
// range saturate instead of wrapping.
int32_t ParseDecimal(std::u16string_view text);

// Decimal text of a number, as the files and the views write it.
inline std::u16string Utf16Decimal(long long value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace vantrel
