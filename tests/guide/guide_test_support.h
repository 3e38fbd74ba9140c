#pragma once
// Guides for tests: XMLTV text builders and gzip.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

#include "catalogue/guide/xmltv_time.h"
#include "tests/updates/zip_test_support.h"

namespace vantrel::testing {

inline std::string Gzip(std::string_view text) {
  z_stream zs{};
  deflateInit2(&zs, Z_BEST_SPEED, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&zs, text.size()) + 64, '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  zs.avail_in = static_cast<uInt>(text.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

// "YYYYMMDDhhmmss +hhmm" text of a UTC time, written with the given offset in minutes.
inline std::string XmltvTime(std::int64_t utc, int offsetMinutes = 0) {
  const auto local = static_cast<std::time_t>(utc + offsetMinutes * 60);
  std::tm fields{};
  gmtime_r(&local, &fields);
  char date[20];
  std::strftime(date, sizeof date, "%Y%m%d%H%M%S", &fields);
  const int off = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
  char zone[8];
  std::snprintf(zone, sizeof zone, "%c%02d%02d", offsetMinutes < 0 ? '-' : '+', off / 60 % 100, off % 60);
  return std::string(date) + " " + zone;
}

inline std::string GuideDoc(std::string_view body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n<tv>\n" + std::string(body) +
         "</tv>\n";
}

inline std::string ChannelXml(std::string_view id, std::string_view name) {
  return "<channel id=\"" + std::string(id) + "\"><display-name>" + std::string(name) + "</display-name></channel>\n";
}

inline std::string ProgrammeXml(std::string_view channel, std::int64_t start, std::int64_t stop, std::string_view title,
                                int offsetMinutes = 180) {
  return "<programme start=\"" + XmltvTime(start, offsetMinutes) + "\" stop=\"" + XmltvTime(stop, offsetMinutes) +
         "\" channel=\"" + std::string(channel) + "\"><title>" + std::string(title) + "</title></programme>\n";
}

// 2026-12-09 00:00:00 UTC, a Wednesday in winter.
inline constexpr std::int64_t kDay0 = 1796774400;

}  // namespace vantrel::testing
