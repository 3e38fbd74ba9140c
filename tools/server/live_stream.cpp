#include "tools/server/live_stream.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <vector>

namespace vantrel::server {
namespace {

namespace fs = std::filesystem;

struct FormatCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};

// Demuxers that read on after a stream starts over: they resynchronise on packet or frame
// headers, and a player takes the timestamps' jump back as a discontinuity.
bool JoinsEndToEnd(const char* demuxerName) {
  static const std::set<std::string, std::less<>> kJoinable{"mpegts", "mpeg", "mp3", "aac"};
  return demuxerName != nullptr && kJoinable.contains(demuxerName);
}

struct Segment {
  double seconds = 0;
  std::string address;
};

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  return line;
}

// The segments of a media playlist, each "#EXTINF:<seconds>," followed by its address.
std::vector<Segment> ReadSegments(std::string_view playlist) {
  std::vector<Segment> segments;
  double pendingSeconds = 0;
  bool addressDue = false;
  for (std::size_t start = 0; start < playlist.size();) {
    std::size_t end = playlist.find('\n', start);
    if (end == std::string_view::npos) end = playlist.size();
    const std::string_view line = Trimmed(playlist.substr(start, end - start));
    start = end + 1;
    if (line.starts_with("#EXTINF:")) {
      const std::string_view rest = line.substr(8);
      const std::string number(rest.substr(0, rest.find(',')));
      char* parsed = nullptr;
      const double seconds = std::strtod(number.c_str(), &parsed);
      pendingSeconds = parsed != number.c_str() && std::isfinite(seconds) ? seconds : 0.0;
      addressDue = true;
    } else if (!line.empty() && !line.starts_with("#") && addressDue) {
      segments.push_back({pendingSeconds, std::string(line)});
      addressDue = false;
    }
  }
  return segments;
}

bool IsRelativeAddress(std::string_view address) {
  return !address.starts_with("/") && address.find("://") == std::string_view::npos;
}

}  // namespace

std::optional<LiveMedia> LoadLiveMedia(const fs::path& file) {
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, file.c_str(), nullptr, nullptr) < 0) return std::nullopt;
  std::unique_ptr<AVFormatContext, FormatCloser> context(raw);
  if (avformat_find_stream_info(context.get(), nullptr) < 0) return std::nullopt;
  const int64_t duration = context->duration;
  if (duration == AV_NOPTS_VALUE || duration <= 0) return std::nullopt;

  std::error_code ec;
  const auto size = fs::file_size(file, ec);
  if (ec || size == 0) return std::nullopt;
  auto bytes = std::make_shared<std::string>(size, '\0');
  std::ifstream in(file, std::ios::binary);
  if (!in.read(bytes->data(), static_cast<std::streamsize>(size))) return std::nullopt;
  LiveMedia media;
  media.bytesPerSecond = double(bytes->size()) * AV_TIME_BASE / double(duration);
  media.loops = JoinsEndToEnd(context->iformat->name);
  media.bytes = std::move(bytes);
  return media;
}

std::optional<LiveMedia> LiveMediaCache::Get(const fs::path& file) {
  std::error_code ec;
  const auto modified = fs::last_write_time(file, ec);
  const auto size = ec ? 0 : fs::file_size(file, ec);
  if (ec) return std::nullopt;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_entries.find(file);
    if (it != m_entries.end() && it->second.modified == modified && it->second.size == size) return it->second.media;
  }
  // Probing takes a while; two first listeners may both do it, and either result is right.
  auto media = LoadLiveMedia(file);
  if (!media) return std::nullopt;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_entries[file] = Entry{modified, size, *media};
  return media;
}

std::uint64_t LiveBytesDue(double elapsedSeconds, double bytesPerSecond, double leadSeconds) {
  const double due = (std::max(elapsedSeconds, 0.0) + leadSeconds) * bytesPerSecond;
  return due > 0 ? static_cast<std::uint64_t>(due) : 0;
}

std::optional<std::string> LivePlaylist(std::string_view vodPlaylist, std::string_view segmentBase,
                                        double elapsedSeconds) {
  const std::vector<Segment> segments = ReadSegments(vodPlaylist);
  if (segments.empty()) return std::nullopt;
  double cycle = 0, longest = 0;
  for (const Segment& s : segments) {
    if (!(s.seconds > 0)) return std::nullopt;
    cycle += s.seconds;
    longest = std::max(longest, s.seconds);
  }
  // The segment under way: whole loops first, then the segments begun in this loop.
  const auto count = static_cast<std::uint64_t>(segments.size());
  const double elapsed = std::max(elapsedSeconds, 0.0);
  const auto loops = static_cast<std::uint64_t>(elapsed / cycle);
  double into = elapsed - double(loops) * cycle;
  std::uint64_t current = loops * count;
  for (std::size_t i = 0; i + 1 < segments.size() && into >= segments[i].seconds; ++i) {
    into -= segments[i].seconds;
    ++current;
  }
  const std::uint64_t first = current + 1 > kLiveWindowSegments ? current + 1 - kLiveWindowSegments : 0;

  std::string text = "#EXTM3U\n#EXT-X-VERSION:3\n";
  text += "#EXT-X-TARGETDURATION:" + std::to_string(static_cast<long long>(std::ceil(longest))) + "\n";
  text += "#EXT-X-MEDIA-SEQUENCE:" + std::to_string(first) + "\n";
  text += "#EXT-X-DISCONTINUITY-SEQUENCE:" + std::to_string(first / count) + "\n";
  for (std::uint64_t k = first; k <= current; ++k) {
    const Segment& segment = segments[k % count];
    if (k > 0 && k % count == 0) text += "#EXT-X-DISCONTINUITY\n";
    char extinf[48];
    std::snprintf(extinf, sizeof extinf, "#EXTINF:%.6f,\n", segment.seconds);
    text += extinf;
    text += (IsRelativeAddress(segment.address) ? std::string(segmentBase) : std::string()) + segment.address + "\n";
  }
  return text;
}

}  // namespace vantrel::server
