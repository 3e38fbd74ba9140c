#pragma once
// The player's play state, derived from what the playback engine reports about the address
// that was put last. Reports about an earlier address must not reach it (the caller filters
// them), so a zap shows only the new channel's states.

#include <cstdint>
#include <vector>

namespace vantrel {

class CPlayStateModel {
 public:
  // Engine reports, in the words of the engine-independent model.
  enum class Event {
    kOpenRequested,  // an address was put, or play was pressed after a stop or an end
    kOpened,         // the stream is open and its tracks known; no frame yet
    kStarted,        // the first frames are out: playback runs
    kCacheEmpty,     // playback waits for the network to refill the cache
    kCacheFilled,
    kPaused,         // paused from the control bar
    kResumed,
    kStopped,        // stopped from the control bar
    kOpenFailed,     // the address could not be opened or played
    kReconnecting,   // a live stream broke off after it had played; it is being reopened
    kEnded,          // the stream ended (or broke off for good after it had played)
  };

  // Applies one report. Returns the play states to publish, in order; empty when the visible
  // state did not change.
  std::vector<int32_t> Apply(Event event);

  int32_t PlayState() const { return m_state; }
  int32_t OpenState() const;
  // True once the current address has played (it counts as a stream that can end).
  bool HasStarted() const { return m_phase == Phase::kRunning || m_phase == Phase::kReconnecting; }

  enum class Phase { kIdle, kOpening, kLoading, kRunning, kReconnecting, kStopped, kFailed, kEnded };

 private:
  int32_t Derive() const;

  Phase m_phase = Phase::kIdle;
  bool m_paused = false;
  bool m_cacheEmpty = false;
  int32_t m_state = 0;
};

}  // namespace vantrel
