#include "catalogue/playlist/playlist_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include <cstdint>
#include <cstring>

#include "base/text_codec.h"
#include "catalogue/catalogue_file.h"

namespace vantrel {
namespace {

// How much of the start is looked at for control characters, and how many of them (per
// thousand bytes) make binary data. Text playlists hold none but tabs and line ends; a few
// stray ones (a form feed, a Ctrl-Z at the end) are tolerated.
constexpr size_t kSniffBytes = 65'536;
constexpr size_t kControlsPerThousand = 10;

bool IsControl(unsigned char c) {
  return c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v' && c != 0x1A;
}

std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    const auto a = static_cast<unsigned char>(bytes[2 * i]);
    const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
    units[i] = static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
  }
  return Utf16ToUtf8(units);
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* const end = p + bytes.size();
  while (p < end) {
    // Runs of ASCII go eight bytes at a time.
    while (end - p >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      if (word & 0x8080808080808080ULL) break;
      p += 8;
    }
    if (p >= end) break;
    const unsigned char c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    size_t need;
    unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      need = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      need = 2;
      if (c == 0xE0) low = 0xA0;   // overlong
      if (c == 0xED) high = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      need = 3;
      if (c == 0xF0) low = 0x90;   // overlong
      if (c == 0xF4) high = 0x8F;  // past U+10FFFF
    } else {
      return false;
    }
    if (static_cast<size_t>(end - p) <= need) return false;
    if (p[1] < low || p[1] > high) return false;
    for (size_t k = 2; k <= need; ++k)
      if ((p[k] & 0xC0) != 0x80) return false;
    p += need + 1;
  }
  return true;
}

PlaylistRefusal DecodePlaylistText(std::string& bytes) {
  if (bytes.size() > kPlaylistMaxBytes) return PlaylistRefusal::kTooLarge;
  const std::string_view view(bytes);
  if (view.starts_with("\xFF\xFE") || view.starts_with("\xFE\xFF")) {
    bytes = Utf16BytesToUtf8(view.substr(2), view[0] == '\xFE');
  } else if (view.starts_with("\xEF\xBB\xBF")) {
    bytes.erase(0, 3);
  }
  if (std::memchr(bytes.data(), '\0', bytes.size()) != nullptr) return PlaylistRefusal::kBinary;
  const size_t sniffed = std::min(bytes.size(), kSniffBytes);
  size_t controls = 0;
  for (size_t i = 0; i < sniffed; ++i) controls += IsControl(static_cast<unsigned char>(bytes[i]));
  if (controls * 1000 > sniffed * kControlsPerThousand) return PlaylistRefusal::kBinary;
  const size_t first = bytes.find_first_not_of(" \t\r\n\f\v");
  if (first != std::string::npos && bytes[first] == '<') return PlaylistRefusal::kHtml;
  if (!IsValidUtf8(bytes)) bytes = Cp1251ToUtf8(bytes);
  return PlaylistRefusal::kNone;
}

PlaylistRefusal ReadPlaylistBytes(const std::filesystem::path& file, std::string& bytes) {
  bytes.clear();
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return PlaylistRefusal::kCannotRead;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return PlaylistRefusal::kCannotRead;
  }
  if (static_cast<std::uint64_t>(info.st_size) > kPlaylistMaxBytes) {
    ::close(fd);
    return PlaylistRefusal::kTooLarge;
  }
  // Read to the end whatever stat said (the file may grow), but never past the limit.
  bytes.resize(std::min<std::uint64_t>(static_cast<std::uint64_t>(info.st_size), kPlaylistMaxBytes) + 1);
  size_t got = 0;
  bool failed = false;
  while (true) {
    if (got == bytes.size()) {
      if (got > kPlaylistMaxBytes) break;
      bytes.resize(std::min<size_t>(bytes.size() * 2, kPlaylistMaxBytes + 1));
    }
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed = n < 0;
      break;
    }
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  const PlaylistRefusal refusal = failed ? PlaylistRefusal::kCannotRead
                                  : got > kPlaylistMaxBytes ? PlaylistRefusal::kTooLarge : PlaylistRefusal::kNone;
  if (refusal != PlaylistRefusal::kNone) {
    bytes.clear();
    bytes.shrink_to_fit();
  } else {
    bytes.resize(got);
  }
  return refusal;
}

}  // namespace vantrel
