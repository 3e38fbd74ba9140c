#include "playback/channel_probe.h"

#include <algorithm>
#include <array>

namespace vantrel {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
  return lower;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && LowerAscii(text.substr(0, prefix.size())) == prefix;
}

unsigned char Byte(std::string_view bytes, std::size_t at) { return static_cast<unsigned char>(bytes[at]); }

// Leading blanks and a UTF-8 byte order mark, as text playlists may carry them.
std::string_view SkipTextStart(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  while (!bytes.empty() && (bytes.front() == ' ' || bytes.front() == '\t' || bytes.front() == '\r' || bytes.front() == '\n'))
    bytes.remove_prefix(1);
  return bytes;
}

// MPEG transport stream: a sync byte every 188 bytes (192 for the timestamped variant); a
// single packet's worth only needs the first sync byte.
bool IsTransportStream(std::string_view b) {
  for (const std::size_t packet : {std::size_t{188}, std::size_t{192}}) {
    const std::size_t first = packet == 188 ? 0 : 4;
    if (b.size() <= first || Byte(b, first) != 0x47) continue;
    if (b.size() <= first + packet || Byte(b, first + packet) == 0x47) return true;
  }
  return false;
}

bool HasBinarySignature(std::string_view b) {
  static constexpr std::array<std::string_view, 7> kPrefixes{
      "ID3",                               // MP3 (or AAC) with an ID3 tag
      "FLV\x01",                           // Flash video
      "OggS",                              // Ogg (Vorbis, Opus, Theora)
      "\x1A\x45\xDF\xA3",                  // Matroska, WebM (EBML)
      "\x30\x26\xB2\x75\x8E\x66\xCF\x11",  // ASF header object
      "$H",                                // ASF over HTTP (the MMS framing of its header)
      "fLaC",                              // FLAC
  };
  for (const std::string_view prefix : kPrefixes) {
    if (b.starts_with(prefix)) return true;
  }
  // MP4 and fragmented MP4: the first box is ftyp, styp or moof, its size before the type.
  if (b.size() >= 8) {
    const std::string_view box = b.substr(4, 4);
    if (box == "ftyp" || box == "styp" || box == "moof") return true;
  }
  // MPEG audio frame or ADTS (AAC): 11 or 12 set sync bits.
  if (b.size() >= 2 && Byte(b, 0) == 0xFF && (Byte(b, 1) & 0xE0) == 0xE0) return true;
  return IsTransportStream(b);
}

// Playlists the player follows to the stream: HLS and plain M3U with an extended header,
// PLS, and ASX.
bool HasPlaylistSignature(std::string_view b) {
  const std::string_view text = SkipTextStart(b);
  return text.starts_with("#EXTM3U") || StartsWithNoCase(text, "[playlist]") || StartsWithNoCase(text, "<asx");
}

bool LooksLikeWebPage(std::string_view b) {
  const std::string_view text = SkipTextStart(b);
  return StartsWithNoCase(text, "<!doctype") || StartsWithNoCase(text, "<html") || StartsWithNoCase(text, "<?xml") ||
         StartsWithNoCase(text, "<head") || StartsWithNoCase(text, "<body") || text.starts_with("{");
}

bool IsMediaType(std::string_view contentType) {
  std::string type = LowerAscii(contentType.substr(0, contentType.find(';')));
  type.erase(std::remove(type.begin(), type.end(), ' '), type.end());
  static constexpr std::array<std::string_view, 8> kTypes{
      "application/vnd.apple.mpegurl", "application/x-mpegurl", "application/ogg",      "application/dash+xml",
      "application/vnd.ms-asf",        "application/x-ogg",     "application/mp4",      "application/x-flv"};
  return type.starts_with("audio/") || type.starts_with("video/") ||
         std::find(kTypes.begin(), kTypes.end(), type) != kTypes.end();
}

}  // namespace

ProbeKind ProbeKindOf(std::string_view address) {
  const std::size_t colon = address.find("://");
  if (colon == std::string_view::npos) return ProbeKind::kNone;
  const std::string scheme = LowerAscii(address.substr(0, colon));
  if (scheme == "http" || scheme == "https") return ProbeKind::kHttp;
  static constexpr std::array<std::string_view, 8> kConnected{"rtsp", "rtsps", "rtmp", "rtmps",
                                                              "rtmpt", "mms", "mmsh", "mmst"};
  if (std::find(kConnected.begin(), kConnected.end(), scheme) != kConnected.end()) return ProbeKind::kConnect;
  return ProbeKind::kNone;
}

bool LooksLikeMedia(std::string_view contentType, std::string_view firstBytes, bool icy) {
  if (firstBytes.empty()) return false;
  if (HasBinarySignature(firstBytes) || HasPlaylistSignature(firstBytes)) return true;
  // Streams whose bytes carry no signature at their start (raw AAC joined mid-way, AC-3 and
  // the like) count by what the server says they are, unless they plainly are a page.
  return (icy || IsMediaType(contentType)) && !LooksLikeWebPage(firstBytes);
}

}  // namespace vantrel
