// Zapping to a live stream (a 5 Mbit/s 720p H.264/AAC TS, looped and paced at real time by
// the loopback server): the bare engine from loadfile to the start of playback, set up and
// rendering exactly as the player does it, beside the player from URL put to play state 3.
// Each is the median of 20 zaps. Then the same on a network (answers 100 ms late, a key
// frame every 2 s, the channel joined mid-way): from the address put to the new channel's
// first frame drawn. Then the player's CPU share while it plays the stream in the software
// render path.
//
// Counters: median_ms per zap kind (engine_ and player_ median and mean on the network),
// ratio (player / engine; ratio_mean of the means), cpu_percent (of one core, whole process:
// the loopback server's pacing thread included).

#include "bench/support/bench_app.h"
#include <benchmark/benchmark.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "bench/playback/bare_engine.h"
#include "bench/playback/network_zap.h"
#include "playback/mediaplayer.h"
#include "playback/mpv_engine.h"
#include "playback/play_state.h"
#include "tests/support/media_server.h"

namespace {

using namespace vantrel;

constexpr int kZaps = 20;
constexpr int kWidth = bench::kPlayerWidth;
constexpr int kHeight = bench::kPlayerHeight;
constexpr const char* kStream = "h264_720p_5m.ts";

using vantrel::bench::App;
using vantrel::bench::BareEngine;
using vantrel::bench::Median;

test::MediaServer& Server() {
  static test::MediaServer server;
  return server;
}

std::string LiveUrl() { return Server().LiveUrl(kStream, 6); }

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

double g_engineMedianMs = 0;

// Shows `player` at the benchmark's size and counts into `frames` what it draws; false (the
// benchmark skipped) when it cannot be shown.
bool ShowCountingFrames(benchmark::State& state, CMediaplayer& player, int& frames) {
  player.resize(kWidth, kHeight);
  player.show();
  if (!QTest::qWaitForWindowExposed(&player)) {
    state.SkipWithError("the player was not shown");
    return false;
  }
  QObject::connect(&player, &CMediaplayer::FrameRendered, [&frames] { ++frames; });
  return true;
}

void BM_EngineZap(benchmark::State& state) {
  App();
  const std::string url = LiveUrl();
  BareEngine engine;
  std::vector<double> times;
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    if (!engine.Zap(url)) {
      state.SkipWithError("the stream did not start");
      return;
    }
    times.push_back(timer.nsecsElapsed() / 1e6);
    state.SetIterationTime(times.back() / 1e3);
    if (!engine.HasTrack("video") || !engine.HasTrack("audio")) {
      state.SkipWithError("a track was not found");
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // it plays a moment
  }
  g_engineMedianMs = Median(times);
  state.counters["median_ms"] = g_engineMedianMs;
}
BENCHMARK(BM_EngineZap)->Iterations(kZaps)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PlayerZap(benchmark::State& state) {
  App();
  SetAudioOutputForTesting("null");
  const QString url = QString::fromStdString(LiveUrl());
  CMediaplayer player;
  int frames = 0;
  if (!ShowCountingFrames(state, player, frames)) return;
  std::vector<double> times;
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    player.SetURL(url);
    while (player.GetPlayState() != play_state::kPlaying) {
      if (player.GetPlayState() == play_state::kReady || timer.elapsed() > 10000) {
        state.SkipWithError("the stream did not start");
        return;
      }
      bench::WaitForEvents(10);
    }
    times.push_back(timer.nsecsElapsed() / 1e6);
    state.SetIterationTime(times.back() / 1e3);
    QTest::qWait(300);
  }
  if (frames == 0) state.SkipWithError("no frame was drawn");
  state.counters["median_ms"] = Median(times);
  if (g_engineMedianMs > 0) state.counters["ratio"] = Median(times) / g_engineMedianMs;
}
BENCHMARK(BM_PlayerZap)->Iterations(kZaps)->UseManualTime()->Unit(benchmark::kMillisecond);

// Switches on the network, the bare engine's and the player's taken in turns, so that both
// meet the same load of the machine; both keep playing the channel between their switches.
void BM_SwitchNetwork(benchmark::State& state) {
  App();
  SetAudioOutputForTesting("null");
  const std::string url = bench::NetworkChannelUrl();
  BareEngine engine;
  CMediaplayer player;
  int frames = 0;
  if (!ShowCountingFrames(state, player, frames)) return;
  // Not counted: the first switch of each loads the decoders.
  engine.SwitchToFirstFrame(url);
  player.SetURL(QString::fromStdString(url));
  QTest::qWait(1000);
  std::vector<double> engineTimes;
  std::vector<double> playerTimes;
  for (auto _ : state) {
    const int index = int(engineTimes.size());
    QTest::qWait(bench::MillisecondsToSwitch(index));
    const double engineMs = engine.SwitchToFirstFrame(url);
    if (engineMs < 0 || !engine.HasTrack("video") || !engine.HasTrack("audio")) {
      state.SkipWithError("the engine found no frame or not every track");
      return;
    }
    engineTimes.push_back(engineMs);

    QTest::qWait(bench::MillisecondsToSwitch(index));
    const int before = frames;
    QElapsedTimer timer;
    timer.start();
    player.SetURL(QString::fromStdString(url));
    while (frames == before) {
      if (timer.elapsed() > 10000) {
        state.SkipWithError("no frame of the new channel in the player");
        return;
      }
      bench::WaitForEvents(10);
    }
    playerTimes.push_back(timer.nsecsElapsed() / 1e6);
    state.SetIterationTime(playerTimes.back() / 1e3);
  }
  state.counters["engine_median_ms"] = Median(engineTimes);
  state.counters["engine_mean_ms"] = bench::Mean(engineTimes);
  state.counters["player_median_ms"] = Median(playerTimes);
  state.counters["player_mean_ms"] = bench::Mean(playerTimes);
  state.counters["ratio"] = Median(playerTimes) / Median(engineTimes);
  state.counters["ratio_mean"] = bench::Mean(playerTimes) / bench::Mean(engineTimes);
}
BENCHMARK(BM_SwitchNetwork)->Iterations(bench::kNetworkSwitches)->UseManualTime()->Unit(benchmark::kMillisecond);

// CPU share while the player plays the 720p stream, after it has settled.
void BM_PlayerCpu720p(benchmark::State& state) {
  App();
  SetAudioOutputForTesting("null");
  CMediaplayer player;
  int frames = 0;
  if (!ShowCountingFrames(state, player, frames)) return;
  player.SetURL(QString::fromStdString(LiveUrl()));
  QTest::qWait(2000);
  for (auto _ : state) {
    const int framesBefore = frames;
    const double cpuBefore = ProcessCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    QTest::qWait(5000);
    const double wall = timer.nsecsElapsed() / 1e9;
    state.counters["cpu_percent"] = 100 * (ProcessCpuSeconds() - cpuBefore) / wall;
    state.counters["fps"] = (frames - framesBefore) / wall;
  }
  if (player.GetPlayState() != play_state::kPlaying) state.SkipWithError("not playing");
}
BENCHMARK(BM_PlayerCpu720p)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
