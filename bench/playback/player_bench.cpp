// Zapping to a live stream (a 5 Mbit/s 720p H.264/AAC TS, looped and paced at real time by
// the loopback server): the bare engine from loadfile to the start of playback, set up and
// rendering exactly as the player does it, beside the player from URL put to play state 3.
// Each is the median of 20 zaps. Then the player's CPU share while it plays the stream in
// the software render path.
//
// Counters: median_ms per zap kind, ratio (player / engine), cpu_percent (of one core, whole
// process: the loopback server's pacing thread included).

#include "bench/support/bench_app.h"
#include <benchmark/benchmark.h>
#include <mpv/render.h>
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

#include "playback/mediaplayer.h"
#include "playback/mpv_engine.h"
#include "playback/play_state.h"
#include "tests/support/media_server.h"

namespace {

using namespace vantrel;

constexpr int kZaps = 20;
constexpr int kWidth = 647;  // the player's size in the main window at start
constexpr int kHeight = 435;
constexpr const char* kStream = "h264_720p_5m.ts";

using vantrel::bench::App;

test::MediaServer& Server() {
  static test::MediaServer server;
  return server;
}

std::string LiveUrl() { return Server().LiveUrl(kStream, 6); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

double g_engineMedianMs = 0;

// The engine with a software render context whose frames a thread of its own renders, as
// the player's UI thread does.
class BareEngine {
 public:
  BareEngine() : m_mpv(CreateMpvEngine("null")) {
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context_create(&m_context, m_mpv.get(), params);
    mpv_render_context_set_update_callback(
        m_context,
        [](void* self) {
          auto* engine = static_cast<BareEngine*>(self);
          std::lock_guard<std::mutex> lock(engine->m_mutex);
          engine->m_dirty = true;
          engine->m_wake.notify_one();
        },
        this);
    m_renderer = std::thread([this] { RenderLoop(); });
  }

  ~BareEngine() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_quit = true;
      m_wake.notify_one();
    }
    m_renderer.join();
    mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
    mpv_render_context_free(m_context);
  }

  // Loads `url` and waits for playback to start; false on failure.
  bool Zap(const std::string& url) {
    const char* args[] = {"loadfile", url.c_str(), "replace", nullptr};
    mpv_command_async(m_mpv.get(), 0, args);
    for (;;) {
      const mpv_event* event = mpv_wait_event(m_mpv.get(), 10);
      if (event->event_id == MPV_EVENT_PLAYBACK_RESTART) return true;
      if (event->event_id == MPV_EVENT_NONE) return false;
      if (event->event_id == MPV_EVENT_END_FILE &&
          static_cast<mpv_event_end_file*>(event->data)->reason == MPV_END_FILE_REASON_ERROR) {
        return false;
      }
    }
  }

  bool HasTrack(const char* type) {
    char* codec = mpv_get_property_string(m_mpv.get(), (std::string("current-tracks/") + type + "/codec").c_str());
    const bool found = codec != nullptr;
    mpv_free(codec);
    return found;
  }

 private:
  void RenderLoop() {
    const size_t stride = (kWidth * 4 + 63) / 64 * 64;
    unsigned char* pixels = static_cast<unsigned char*>(std::aligned_alloc(64, stride * kHeight));
    int size[2] = {kWidth, kHeight};
    size_t strideValue = stride;
    for (;;) {
      std::unique_lock<std::mutex> lock(m_mutex);
      m_wake.wait(lock, [this] { return m_dirty || m_quit; });
      if (m_quit) break;
      m_dirty = false;
      lock.unlock();
      if (mpv_render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME) {
        mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, size},
                                     {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>("bgr0")},
                                     {MPV_RENDER_PARAM_SW_STRIDE, &strideValue},
                                     {MPV_RENDER_PARAM_SW_POINTER, pixels},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        mpv_render_context_render(m_context, params);
      }
    }
    std::free(pixels);
  }

  MpvHandle m_mpv;
  mpv_render_context* m_context = nullptr;
  std::thread m_renderer;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_dirty = false;
  bool m_quit = false;
};

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
  player.resize(kWidth, kHeight);
  player.show();
  if (!QTest::qWaitForWindowExposed(&player)) {
    state.SkipWithError("the player was not shown");
    return;
  }
  int frames = 0;
  QObject::connect(&player, &CMediaplayer::FrameRendered, [&frames] { ++frames; });
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
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
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

// CPU share while the player plays the 720p stream, after it has settled.
void BM_PlayerCpu720p(benchmark::State& state) {
  App();
  SetAudioOutputForTesting("null");
  CMediaplayer player;
  player.resize(kWidth, kHeight);
  player.show();
  if (!QTest::qWaitForWindowExposed(&player)) {
    state.SkipWithError("the player was not shown");
    return;
  }
  int frames = 0;
  QObject::connect(&player, &CMediaplayer::FrameRendered, [&frames] { ++frames; });
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
