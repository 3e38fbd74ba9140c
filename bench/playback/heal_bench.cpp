// A live channel's source goes away (its server stops: connections refused) for a few
// seconds and comes back on the same port. Measured: the seconds from the server listening
// again to the player showing a new frame with the reconnect notice gone. The picture
// should be back within 1.5 s. Five outages each of 3 s (within the first short pauses)
// and 7 s (the pause before the next attempt is 4 s long by then).
//
// Counters: median_s, max_s.

#include "bench/support/bench_app.h"
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QtTest>
#include <algorithm>
#include <vector>

#include "bench/playback/bare_engine.h"
#include "playback/mediaplayer.h"
#include "playback/play_state.h"
#include "playback/reconnect_indicator.h"
#include "tests/support/media_server.h"

namespace {

using namespace vantrel;

// Processes events until `done` holds; false after `limitMs`.
template <typename Done>
bool WaitUntil(Done done, int limitMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > limitMs) return false;
    bench::WaitForEvents(5);
  }
  return true;
}

void BM_PlayerHealsAfterOutage(benchmark::State& state) {
  bench::App();
  SetAudioOutputForTesting("null");
  test::MediaServer server;
  CMediaplayer player;
  player.resize(bench::kPlayerWidth, bench::kPlayerHeight);
  player.show();
  if (!QTest::qWaitForWindowExposed(&player)) {
    state.SkipWithError("the player was not shown");
    return;
  }
  auto* notice = player.findChild<CReconnectIndicator*>("reconnectIndicator");
  int frames = 0;
  QObject::connect(&player, &CMediaplayer::FrameRendered, [&frames] { ++frames; });
  player.SetURL(QString::fromStdString(server.LiveUrl("h264_aac.ts", 6)));
  if (!WaitUntil([&] { return player.GetPlayState() == play_state::kPlaying && frames > 0; }, 20000)) {
    state.SkipWithError("the channel did not start");
    return;
  }
  std::vector<double> seconds;
  for (auto _ : state) {
    server.StopListening();
    QTest::qWait(int(state.range(0)) * 1000);
    if (!notice->isVisible()) {
      state.SkipWithError("the outage was not noticed");
      return;
    }
    server.ListenAgain();
    QElapsedTimer timer;
    timer.start();
    const int before = frames;
    if (!WaitUntil([&] { return frames > before && !notice->isVisible(); }, 30000)) {
      state.SkipWithError("the picture did not come back");
      return;
    }
    seconds.push_back(timer.nsecsElapsed() / 1e9);
    state.SetIterationTime(seconds.back());
    QTest::qWait(1500);  // it plays a moment
  }
  state.counters["median_s"] = bench::Median(seconds);
  state.counters["max_s"] = *std::max_element(seconds.begin(), seconds.end());
}
BENCHMARK(BM_PlayerHealsAfterOutage)
    ->Arg(3)
    ->Arg(7)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
