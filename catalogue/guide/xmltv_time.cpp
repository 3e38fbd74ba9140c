#include "catalogue/guide/xmltv_time.h"

#include <ctime>

namespace vantrel {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's days_from_civil).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Reads `count` digits at `pos` into `value`.
bool Digits(std::string_view text, std::size_t pos, std::size_t count, int& value) {
  if (pos + count > text.size()) return false;
  value = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<std::int64_t> ParseXmltvTime(std::string_view text) {
  std::size_t digits = 0;
  while (digits < text.size() && IsDigit(text[digits])) ++digits;
  // Date, then optional hour, minute and second.
  if (digits != 8 && digits != 10 && digits != 12 && digits != 14) return std::nullopt;
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  Digits(text, 0, 4, y);
  Digits(text, 4, 2, mo);
  Digits(text, 6, 2, d);
  if (digits >= 10) Digits(text, 8, 2, h);
  if (digits >= 12) Digits(text, 10, 2, mi);
  if (digits >= 14) Digits(text, 12, 2, s);
  if (mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo) || h > 23 || mi > 59 || s > 60) return std::nullopt;

  std::string_view rest = text.substr(digits);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  int offset = 0;
  if (!rest.empty()) {
    int oh = 0, om = 0;
    if ((rest[0] != '+' && rest[0] != '-') || rest.size() != 5 || !Digits(rest, 1, 2, oh) || !Digits(rest, 3, 2, om) ||
        oh > 23 || om > 59)
      return std::nullopt;
    offset = (oh * 60 + om) * 60 * (rest[0] == '-' ? -1 : 1);
  }
  const std::int64_t days = DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d));
  return days * 86400 + h * 3600 + mi * 60 + s - offset;
}

TimeRange LocalDay(std::int64_t when, int dayOffset) {
  const auto t = static_cast<std::time_t>(when);
  std::tm local{};
  localtime_r(&t, &local);
  auto midnight = [&](int shift) {
    std::tm day{};
    day.tm_year = local.tm_year;
    day.tm_mon = local.tm_mon;
    day.tm_mday = local.tm_mday + shift;
    day.tm_isdst = -1;  // let the zone say whether that midnight is summer time
    return static_cast<std::int64_t>(std::mktime(&day));
  };
  return {midnight(dayOffset), midnight(dayOffset + 1)};
}

}  // namespace vantrel
