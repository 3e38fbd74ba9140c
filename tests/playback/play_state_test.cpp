#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "playback/play_state.h"
#include "playback/play_state_model.h"
#include "resources/resource.h"

namespace vantrel {
namespace {

using Event = CPlayStateModel::Event;

// Runs `events` through a fresh model; returns every published play state in order.
std::vector<int32_t> Publish(std::initializer_list<Event> events, CPlayStateModel* out = nullptr) {
  CPlayStateModel model;
  std::vector<int32_t> published;
  for (const Event event : events) {
    for (const int32_t state : model.Apply(event)) published.push_back(state);
  }
  if (out) *out = model;
  return published;
}

using States = std::vector<int32_t>;

// A connection passes through transitioning, buffering and playing; a later dry cache
// buffers again; the end of the stream shows "media ended" and then ready.
TEST(PlayStateModel, ConnectionRebufferAndEnd) {
  EXPECT_EQ(Publish({Event::kOpenRequested, Event::kOpened, Event::kStarted, Event::kCacheEmpty,
                     Event::kCacheFilled, Event::kEnded}),
            (States{9, 6, 3, 6, 3, 8, 10}));
}

// An address that cannot be opened ends in ready, and so does a stream that breaks off
// before its first frame: nothing was playing, so nothing "ended".
TEST(PlayStateModel, FailuresEndInReady) {
  EXPECT_EQ(Publish({Event::kOpenRequested, Event::kOpenFailed}), (States{9, 10}));
  EXPECT_EQ(Publish({Event::kOpenRequested, Event::kOpened, Event::kEnded}), (States{9, 6, 10}));
}

// Pause and stop from the control bar; a pause pressed while opening holds once playback
// can start; the cache refilling while paused keeps the pause.
TEST(PlayStateModel, PauseAndStop) {
  EXPECT_EQ(Publish({Event::kOpenRequested, Event::kOpened, Event::kStarted, Event::kPaused, Event::kResumed,
                     Event::kStopped}),
            (States{9, 6, 3, 2, 3, 1}));
  EXPECT_EQ(Publish({Event::kOpenRequested, Event::kPaused, Event::kOpened, Event::kStarted}), (States{9, 6, 2}));
  EXPECT_EQ(Publish({Event::kOpenRequested, Event::kOpened, Event::kStarted, Event::kPaused, Event::kCacheEmpty,
                     Event::kCacheFilled, Event::kCacheEmpty, Event::kResumed, Event::kCacheFilled}),
            (States{9, 6, 3, 2, 6, 3}));
}

// A live stream that broke off is reconnecting until it plays again; if it never does, it
// has ended. A stop during the attempt stops it.
TEST(PlayStateModel, Reconnecting) {
  EXPECT_EQ(Publish({Event::kOpenRequested, Event::kOpened, Event::kStarted, Event::kReconnecting, Event::kOpened,
                     Event::kStarted}),
            (States{9, 6, 3, 11, 3}));
  EXPECT_EQ(Publish({Event::kOpenRequested, Event::kOpened, Event::kStarted, Event::kReconnecting,
                     Event::kReconnecting, Event::kEnded}),
            (States{9, 6, 3, 11, 8, 10}));
  EXPECT_EQ(Publish({Event::kOpenRequested, Event::kOpened, Event::kStarted, Event::kReconnecting, Event::kStopped}),
            (States{9, 6, 3, 11, 1}));
  // Nothing to reconnect before a stream has played.
  EXPECT_EQ(Publish({Event::kOpenRequested, Event::kReconnecting}), (States{9}));
}

// Every new address announces itself with transitioning, even over one still opening, and
// starts unpaused with an empty history.
TEST(PlayStateModel, NewAddressStartsOver) {
  CPlayStateModel model;
  EXPECT_EQ(Publish({Event::kOpenRequested, Event::kOpened, Event::kOpenRequested, Event::kOpenRequested}, &model),
            (States{9, 6, 9, 9}));
  EXPECT_FALSE(model.HasStarted());
  EXPECT_EQ(Publish({Event::kOpenRequested, Event::kOpened, Event::kStarted, Event::kPaused, Event::kCacheEmpty,
                     Event::kOpenRequested, Event::kOpened, Event::kStarted}),
            (States{9, 6, 3, 2, 9, 6, 3}));
}

// Reports that make no sense in the current situation change nothing.
TEST(PlayStateModel, OutOfOrderReportsChangeNothing) {
  EXPECT_EQ(Publish({Event::kStarted, Event::kOpened, Event::kCacheFilled, Event::kResumed}), States{});
  CPlayStateModel model;
  EXPECT_EQ(Publish({Event::kOpenRequested, Event::kOpenFailed, Event::kStarted, Event::kOpened}, &model),
            (States{9, 10}));
  EXPECT_EQ(model.PlayState(), 10);
}

// The main window's status text id and record button after a scripted run of play states,
// starting from "choose a channel" with the button disabled.
PlayStateView Fold(std::initializer_list<int32_t> states) {
  PlayStateView view{res::IDS_CHOOSE_CHANNEL, false};
  for (const int32_t state : states) {
    if (auto next = ViewForPlayState(state)) view = *next;
  }
  return view;
}

// Only playing enables recording; each state of the table brings its text, and a
// re-buffering disables the button until playing comes back. Stopped, reconnecting, paused,
// ended and unknown values leave text and button as they were.
TEST(PlayStateView, ScriptedSequences) {
  EXPECT_EQ(Fold({9}), (PlayStateView{res::IDS_TRANSITIONING, false}));
  EXPECT_EQ(Fold({9, 6}), (PlayStateView{res::IDS_BUFFERING, false}));
  EXPECT_EQ(Fold({9, 10}), (PlayStateView{res::IDS_READY, false}));
  EXPECT_EQ(Fold({9, 6, 3, 6}), (PlayStateView{res::IDS_BUFFERING, false}));
  EXPECT_EQ(Fold({9, 6, 3, 6, 3}), (PlayStateView{res::IDS_PLAYING, true}));
  EXPECT_EQ(Fold({9, 6, 3, 1, 11}), (PlayStateView{res::IDS_PLAYING, true}));
  EXPECT_EQ(Fold({9, 6, 3, 2, 8, 0, 7, 12, -1}), (PlayStateView{res::IDS_PLAYING, true}));
  EXPECT_EQ(Fold({9, 11}), (PlayStateView{res::IDS_TRANSITIONING, false}));
}

}  // namespace
}  // namespace vantrel
