#include "playback/play_state.h"

#include "resources/resource.h"

namespace vantrel {
namespace {

struct Row {
  int32_t state;
  PlayStateView view;
};

// Only playing lets a recording start; a recording source must be delivering data.
constexpr Row kViews[] = {
    {play_state::kBuffering, {res::IDS_BUFFERING, false}},
    {play_state::kTransitioning, {res::IDS_TRANSITIONING, false}},
    {play_state::kReady, {res::IDS_READY, false}},
    {play_state::kPlaying, {res::IDS_PLAYING, true}},
};

}  // namespace

std::optional<PlayStateView> ViewForPlayState(int32_t state) {
  for (const Row& row : kViews) {
    if (row.state == state) return row.view;
  }
  return std::nullopt;
}

}  // namespace vantrel
