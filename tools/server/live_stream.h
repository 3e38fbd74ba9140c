#pragma once
// Media files as live channels. A file goes out again and again, paced at the speed it plays,
// so a player sees an endless broadcast; an HLS playlist becomes a sliding live window over
// its segments, looped the same way.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::server {

// How a media file goes out live.
struct LiveMedia {
  std::shared_ptr<const std::string> bytes;  // the whole file
  double bytesPerSecond = 0;                 // file size over its playing time
  // Whether the container survives being joined end to end (transport and program streams,
  // MP3, ADTS). Others (ASF: one header, then numbered packets) are sent once.
  bool loops = false;
};

// Reads `file` and times it with libavformat; nothing when it is no media file with a known
// playing time.
std::optional<LiveMedia> LoadLiveMedia(const std::filesystem::path& file);

// Loaded live media, kept while the file is unchanged. Thread-safe.
class LiveMediaCache {
 public:
  std::optional<LiveMedia> Get(const std::filesystem::path& file);

 private:
  struct Entry {
    std::filesystem::file_time_type modified;
    std::uintmax_t size = 0;
    LiveMedia media;
  };
  std::mutex m_mutex;
  std::map<std::filesystem::path, Entry> m_entries;
};

// Seconds of media a new listener gets at once, so its player starts without waiting.
inline constexpr double kLiveLeadSeconds = 3.0;

// Bytes of a live stream due `elapsedSeconds` after it started: `leadSeconds` worth at once,
// then real time.
std::uint64_t LiveBytesDue(double elapsedSeconds, double bytesPerSecond, double leadSeconds);

// Segments a live playlist lists; players start three from its end.
inline constexpr int kLiveWindowSegments = 5;

// The live playlist of `vodPlaylist` (an HLS media playlist played in a loop since the
// broadcast began) `elapsedSeconds` into the broadcast: the last segments begun by then, with
// a discontinuity where the loop starts over. Relative segment addresses are put under
// `segmentBase` (a path ending in "/"), since the playlist is not served from their folder.
// Nothing when the playlist lists no segment or a segment without a positive duration.
std::optional<std::string> LivePlaylist(std::string_view vodPlaylist, std::string_view segmentBase,
                                        double elapsedSeconds);

}  // namespace vantrel::server
