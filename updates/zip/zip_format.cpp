#include "updates/zip/zip_format.h"

#include <algorithm>

namespace vantrel::zipfmt {

int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second) {
  // Days from civil date (Howard Hinnant's algorithm), valid for every year.
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yoe = year - era * 400;
  const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const int64_t days = era * 146097 + doe - 719468;
  return days * 86400 + hour * 3600 + minute * 60 + second;
}

int64_t DosToUnixTime(uint16_t dosDate, uint16_t dosTime) {
  // Out-of-range fields (month 0, day 0) are clamped rather than rejected: the time is
  // informative and a damaged one must not fail the entry.
  const int year = 1980 + (dosDate >> 9);
  const int month = std::clamp((dosDate >> 5) & 0x0F, 1, 12);
  const int day = std::max(dosDate & 0x1F, 1);
  return UtcSeconds(year, month, day, dosTime >> 11, (dosTime >> 5) & 0x3F, (dosTime & 0x1F) * 2);
}

void UnixToDos(int64_t seconds, uint16_t& dosDate, uint16_t& dosTime) {
  const int64_t min = UtcSeconds(1980, 1, 1, 0, 0, 0);
  const int64_t max = UtcSeconds(2107, 12, 31, 23, 59, 58);
  seconds = std::clamp(seconds, min, max);
  int64_t days = seconds / 86400;
  const int64_t rest = seconds % 86400;
  // Civil date from days (inverse of the above).
  days += 719468;
  const int64_t era = days / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2));
  dosDate = static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
  dosTime = static_cast<uint16_t>(((rest / 3600) << 11) | (((rest / 60) % 60) << 5) | ((rest % 60) / 2));
}

}  // namespace vantrel::zipfmt
