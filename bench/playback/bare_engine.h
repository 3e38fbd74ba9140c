#pragma once
// The bare engine of the player benchmarks: an engine set up as the player's (CreateMpvEngine),
// optionally with some options changed, with a software render context whose frames a thread
// of its own renders at the player's size, as the player's UI thread does.

#include <mpv/render.h>

#include <QElapsedTimer>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "playback/mpv_engine.h"

namespace vantrel::bench {

inline constexpr int kPlayerWidth = 647;  // the player's size in the main window at start
inline constexpr int kPlayerHeight = 435;

using EngineOptions = std::vector<std::pair<std::string, std::string>>;

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

inline double Mean(const std::vector<double>& values) {
  double sum = 0;
  for (const double v : values) sum += v;
  return values.empty() ? 0 : sum / values.size();
}

class BareEngine {
 public:
  explicit BareEngine(const EngineOptions& changed = {}) : m_mpv(CreateMpvEngine("null")) {
    for (const auto& [name, value] : changed) mpv_set_option_string(m_mpv.get(), name.c_str(), value.c_str());
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context_create(&m_context, m_mpv.get(), params);
    mpv_render_context_set_update_callback(
        m_context,
        [](void* self) {
          auto* engine = static_cast<BareEngine*>(self);
          std::lock_guard<std::mutex> lock(engine->m_mutex);
          engine->m_dirty = true;
          engine->m_wake.notify_all();
        },
        this);
    m_renderer = std::thread([this] { RenderLoop(); });
  }

  ~BareEngine() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_quit = true;
      m_wake.notify_all();
    }
    m_renderer.join();
    mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
    mpv_render_context_free(m_context);
  }

  BareEngine(const BareEngine&) = delete;
  BareEngine& operator=(const BareEngine&) = delete;

  // Loads `url` and waits for playback to start; false on failure.
  bool Zap(const std::string& url) {
    Load(url);
    return WaitFor(MPV_EVENT_PLAYBACK_RESTART);
  }

  // Loads `url` and waits for its first frame to be drawn; the milliseconds from the load to
  // that frame, or a negative value on failure.
  double SwitchToFirstFrame(const std::string& url) {
    QElapsedTimer timer;
    timer.start();
    Load(url);
    // Frames drawn before the new stream is loaded are the old one's.
    if (!WaitFor(MPV_EVENT_FILE_LOADED)) return -1;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_frameAt = -1;
    m_clock = &timer;
    const bool drawn = m_wake.wait_for(lock, std::chrono::seconds(10), [this] { return m_frameAt >= 0; });
    m_clock = nullptr;
    return drawn ? m_frameAt : -1;
  }

  bool HasTrack(const char* type) {
    char* codec = mpv_get_property_string(m_mpv.get(), (std::string("current-tracks/") + type + "/codec").c_str());
    const bool found = codec != nullptr;
    mpv_free(codec);
    return found;
  }

 private:
  void Load(const std::string& url) {
    const char* args[] = {"loadfile", url.c_str(), "replace", nullptr};
    mpv_command_async(m_mpv.get(), 0, args);
  }

  bool WaitFor(mpv_event_id wanted) {
    for (;;) {
      const mpv_event* event = mpv_wait_event(m_mpv.get(), 10);
      if (event->event_id == wanted) return true;
      if (event->event_id == MPV_EVENT_NONE) return false;
      if (event->event_id == MPV_EVENT_END_FILE &&
          static_cast<mpv_event_end_file*>(event->data)->reason == MPV_END_FILE_REASON_ERROR) {
        return false;
      }
    }
  }

  void RenderLoop() {
    const size_t stride = (kPlayerWidth * 4 + 63) / 64 * 64;
    unsigned char* pixels = static_cast<unsigned char*>(std::aligned_alloc(64, stride * kPlayerHeight));
    int size[2] = {kPlayerWidth, kPlayerHeight};
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
        lock.lock();
        if (m_clock && m_frameAt < 0) {
          m_frameAt = m_clock->nsecsElapsed() / 1e6;
          m_wake.notify_all();
        }
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
  const QElapsedTimer* m_clock = nullptr;  // set while a switch waits for its first frame
  double m_frameAt = -1;
};

}  // namespace vantrel::bench
