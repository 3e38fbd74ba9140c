#pragma once
// Play and open states of the player in their published numbering, and what the main window
// shows for each play state.

#include <cstdint>
#include <optional>

namespace vantrel {

namespace play_state {
inline constexpr int32_t kUndefined = 0;
inline constexpr int32_t kStopped = 1;
inline constexpr int32_t kPaused = 2;
inline constexpr int32_t kPlaying = 3;
inline constexpr int32_t kScanForward = 4;
inline constexpr int32_t kScanReverse = 5;
inline constexpr int32_t kBuffering = 6;
inline constexpr int32_t kWaiting = 7;
inline constexpr int32_t kMediaEnded = 8;
inline constexpr int32_t kTransitioning = 9;
inline constexpr int32_t kReady = 10;
inline constexpr int32_t kReconnecting = 11;
}  // namespace play_state

namespace open_state {
inline constexpr int32_t kUndefined = 0;
inline constexpr int32_t kMediaOpening = 12;
inline constexpr int32_t kMediaOpen = 13;
}  // namespace open_state

// What a new play state does to the main window: the status text to show (a string-table id)
// and whether the record button may be pressed.
struct PlayStateView {
  int statusStringId;
  bool recordEnabled;
  bool operator==(const PlayStateView&) const = default;
};

// The view for `state`; nothing for the states that leave the text and the button as they are
// (stopped, paused, reconnecting and every value the player may add later).
std::optional<PlayStateView> ViewForPlayState(int32_t state);

}  // namespace vantrel
