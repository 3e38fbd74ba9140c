#pragma once
// XMLTV times ("YYYYMMDDhhmmss +hhmm") and the local calendar days the guide is shown by.
#include <cstdint>
#include <optional>
#include <string_view>

namespace vantrel {

// Seconds since 1970-01-01 UTC of an XMLTV time. Trailing fields may be left off
// ("YYYYMMDDhhmm", "YYYYMMDD"); a time without an offset is UTC. The offset is "+hhmm" or
// "-hhmm" after optional blanks. Anything else, or a field out of its range, gives nothing.
std::optional<std::int64_t> ParseXmltvTime(std::string_view text);

// [from, to) in UTC of the local calendar day that is `dayOffset` days from the day holding
// `when` (0 = that day, -1 = the day before). Follows the process time zone (TZ), so a day
// with a daylight-saving change lasts 23 or 25 hours.
struct TimeRange {
  std::int64_t from = 0;
  std::int64_t to = 0;
};
TimeRange LocalDay(std::int64_t when, int dayOffset = 0);

}  // namespace vantrel
