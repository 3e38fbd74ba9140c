#pragma once
// Switching channels on a network, for the benchmarks: a loopback server whose answers start
// 100 ms late and whose channel (720p H.264/AAC at 3 Mbit/s, a key frame every 2 s) is joined
// mid-way, as a broadcast is. Switches start at a fixed spread of points of the key-frame
// cycle, so that every candidate waits for the same key frames and runs can be compared.

#include <chrono>
#include <cmath>
#include <string>

#include "tests/support/media_server.h"

namespace vantrel::bench {

inline constexpr int kNetworkSwitches = 20;
inline constexpr double kKeyFrameSeconds = 2.0;

inline test::MediaServer& NetworkServer() {
  static test::MediaServer server;
  static const bool configured = [] {
    server.SetAnswerDelay(std::chrono::milliseconds(100));
    server.SetJoinLiveMidway(true);
    return true;
  }();
  (void)configured;
  return server;
}

inline std::string NetworkChannelUrl() { return NetworkServer().LiveUrl("h264_720p_gop2.ts", 10); }

// Milliseconds until switch `index` (of kNetworkSwitches) is due in the key-frame cycle.
inline int MillisecondsToSwitch(int index) {
  const double due = (index % kNetworkSwitches + 0.5) / kNetworkSwitches * kKeyFrameSeconds;
  double wait = due - std::fmod(NetworkServer().BroadcastSeconds(), kKeyFrameSeconds);
  if (wait < 0) wait += kKeyFrameSeconds;
  return static_cast<int>(wait * 1000);
}

}  // namespace vantrel::bench
