#pragma once
// When a capture whose source broke off tries again, and when it gives up.

#include <chrono>

extern "C" {
#include <libavformat/avformat.h>
}

namespace vantrel {

struct ReconnectPolicy {
  using Duration = std::chrono::milliseconds;

  // A source away this long in all is given up and the file finished.
  Duration outage{60'000};
  // A network read of the source that waits this long without data fails, at the start as
  // later: a stalled source counts as lost. A reopened source must deliver its streams within it.
  Duration stall{15'000};

  int64_t StallUs() const { return std::chrono::microseconds(stall).count(); }

  // The limits above, shortened by the environment where it says so (VANTREL_STREAMSAVER_OUTAGE_MS,
  // VANTREL_STREAMSAVER_STALL_MS; positive milliseconds), so that tests need not wait a minute.
  static ReconnectPolicy FromEnvironment();

  // Pause before the attempt numbered `attempt` (0 = the first, made at once): 0.25 s, 0.5 s,
  // 1 s, then every 2 s. Short, since every second away is a second missing from the file.
  static Duration Pause(int attempt);
};

// True for a source without an end of its own: one that cannot seek or has no known length.
// Such a source that ends has broken off; a file that ends is complete.
bool IsLive(const AVFormatContext* source);

}  // namespace vantrel
