#pragma once
// Record layouts and little helpers shared by the zip reader and writer. Internal to updates/zip.
#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel::zipfmt {

inline constexpr uint32_t kLocalSignature = 0x04034b50;
inline constexpr uint32_t kCentralSignature = 0x02014b50;
inline constexpr uint32_t kEndSignature = 0x06054b50;
inline constexpr size_t kLocalHeaderSize = 30;
inline constexpr size_t kCentralHeaderSize = 46;
inline constexpr size_t kEndRecordSize = 22;
inline constexpr uint16_t kMethodStored = 0;
inline constexpr uint16_t kMethodDeflated = 8;
inline constexpr uint16_t kFlagDataDescriptor = 1 << 3;
inline constexpr uint16_t kFlagUtf8Name = 1 << 11;
inline constexpr uint16_t kTagUnixTimes = 0x5455;  // "UT"
inline constexpr unsigned kHostUnix = 3;            // high byte of "version made by"

inline uint16_t Get16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void Put16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}
inline void Put32(std::string& out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v & 0xFFFF));
  Put16(out, static_cast<uint16_t>(v >> 16));
}

// Seconds since 1970 for a proleptic Gregorian UTC date (no time zone involved).
int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second);
// DOS date and time words read as if they were UTC, as the archive stores no zone.
int64_t DosToUnixTime(uint16_t dosDate, uint16_t dosTime);
// The inverse for writers; dates before 1980 clamp to 1980-01-01.
void UnixToDos(int64_t seconds, uint16_t& dosDate, uint16_t& dosTime);

}  // namespace vantrel::zipfmt
