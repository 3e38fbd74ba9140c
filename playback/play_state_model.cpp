#include "playback/play_state_model.h"

#include "playback/play_state.h"

namespace vantrel {
namespace {

using Phase = CPlayStateModel::Phase;
enum class Flag { kAny, kYes, kNo };

struct Row {
  Phase phase;
  Flag paused;
  Flag cacheEmpty;
  int32_t playState;
  int32_t openState;
};

// The play state shown in each situation; the first matching row wins. An end of stream
// publishes "media ended" before the row's state.
constexpr Row kStates[] = {
    {Phase::kIdle, Flag::kAny, Flag::kAny, play_state::kUndefined, open_state::kUndefined},
    {Phase::kOpening, Flag::kAny, Flag::kAny, play_state::kTransitioning, open_state::kMediaOpening},
    // Open, waiting for the cache to deliver the first frame.
    {Phase::kLoading, Flag::kAny, Flag::kAny, play_state::kBuffering, open_state::kMediaOpen},
    {Phase::kRunning, Flag::kYes, Flag::kAny, play_state::kPaused, open_state::kMediaOpen},
    {Phase::kRunning, Flag::kNo, Flag::kYes, play_state::kBuffering, open_state::kMediaOpen},
    {Phase::kRunning, Flag::kNo, Flag::kNo, play_state::kPlaying, open_state::kMediaOpen},
    {Phase::kReconnecting, Flag::kAny, Flag::kAny, play_state::kReconnecting, open_state::kMediaOpening},
    {Phase::kStopped, Flag::kAny, Flag::kAny, play_state::kStopped, open_state::kUndefined},
    {Phase::kFailed, Flag::kAny, Flag::kAny, play_state::kReady, open_state::kUndefined},
    {Phase::kEnded, Flag::kAny, Flag::kAny, play_state::kReady, open_state::kUndefined},
};

bool Matches(Flag flag, bool value) { return flag == Flag::kAny || (flag == Flag::kYes) == value; }

const Row& Lookup(Phase phase, bool paused, bool cacheEmpty) {
  for (const Row& row : kStates) {
    if (row.phase == phase && Matches(row.paused, paused) && Matches(row.cacheEmpty, cacheEmpty)) {
      return row;
    }
  }
  return kStates[0];  // unreachable: every phase has a catch-all row
}

}  // namespace

std::vector<int32_t> CPlayStateModel::Apply(Event event) {
  std::vector<int32_t> published;
  switch (event) {
    case Event::kOpenRequested:
      m_phase = Phase::kOpening;
      m_paused = false;
      m_cacheEmpty = false;
      // A new address always announces itself, even over an earlier one still opening.
      published.push_back(play_state::kTransitioning);
      break;
    case Event::kOpened:
      if (m_phase == Phase::kOpening) m_phase = Phase::kLoading;
      break;
    case Event::kStarted:
      if (m_phase == Phase::kOpening || m_phase == Phase::kLoading || m_phase == Phase::kReconnecting) {
        m_phase = Phase::kRunning;
      }
      break;
    case Event::kCacheEmpty:
      m_cacheEmpty = true;
      break;
    case Event::kCacheFilled:
      m_cacheEmpty = false;
      break;
    case Event::kPaused:
      m_paused = true;
      break;
    case Event::kResumed:
      m_paused = false;
      break;
    case Event::kStopped:
      m_phase = Phase::kStopped;
      break;
    case Event::kOpenFailed:
      m_phase = Phase::kFailed;
      break;
    case Event::kReconnecting:
      if (HasStarted()) m_phase = Phase::kReconnecting;
      m_cacheEmpty = false;
      break;
    case Event::kEnded:
      if (HasStarted()) published.push_back(play_state::kMediaEnded);
      m_phase = HasStarted() ? Phase::kEnded : Phase::kFailed;
      break;
  }
  const int32_t state = Derive();
  if (published.empty() ? state != m_state : published.back() != state) published.push_back(state);
  m_state = state;
  return published;
}

int32_t CPlayStateModel::Derive() const { return Lookup(m_phase, m_paused, m_cacheEmpty).playState; }

int32_t CPlayStateModel::OpenState() const { return Lookup(m_phase, m_paused, m_cacheEmpty).openState; }

}  // namespace vantrel
