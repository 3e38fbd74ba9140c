#pragma once
// The capture graph: which source stream feeds which output stream, and the one switch that
// interrupts every blocking FFmpeg call of the capture.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

extern "C" {
#include <libavformat/avio.h>
}

namespace vantrel {

class CaptureGraph {
 public:
  using Clock = std::chrono::steady_clock;

  // `cancelStart` is the library's stop-all signal; it outlives every graph.
  explicit CaptureGraph(const std::atomic<bool>* cancelStart) : m_cancelStart(cancelStart) {}
  CaptureGraph(const CaptureGraph&) = delete;
  CaptureGraph& operator=(const CaptureGraph&) = delete;

  // For AVFormatContext::interrupt_callback of the source. FFmpeg polls it while it waits on
  // the network (every 100 ms at most), so a stop never waits for a stalled server, and a read
  // or connect never outlasts the deadline.
  AVIOInterruptCB Interrupt() { return {&CaptureGraph::Interrupted, this}; }

  void Stop() {
    {
      std::lock_guard<std::mutex> lock(m_waitMutex);
      m_stop.store(true);
    }
    m_wake.notify_all();
  }
  bool Stopping() const {
    return m_stop.load() || (m_cancelStart != nullptr && m_cancelStart->load());
  }

  // Blocking source calls give up at `deadline`; ClearDeadline() lifts it.
  void SetDeadline(Clock::time_point deadline) {
    m_deadline.store(deadline.time_since_epoch().count());
  }
  void ClearDeadline() { m_deadline.store(0); }

  // Waits `pause` unless stopped first. Returns false when stopped.
  bool Wait(Clock::duration pause) {
    std::unique_lock<std::mutex> lock(m_waitMutex);
    m_wake.wait_for(lock, pause, [this] { return Stopping(); });
    return !Stopping();
  }

  // Source stream index -> output stream index; -1 for a stream that is not recorded.
  std::vector<int> streamMap;
  // The output stream whose first key frame is the recording's time zero.
  int masterStream = 0;

 private:
  static int Interrupted(void* self) {
    const auto* graph = static_cast<const CaptureGraph*>(self);
    if (graph->Stopping()) return 1;
    const Clock::rep deadline = graph->m_deadline.load();
    return deadline != 0 && Clock::now().time_since_epoch().count() >= deadline ? 1 : 0;
  }

  std::atomic<bool> m_stop{false};
  std::atomic<Clock::rep> m_deadline{0};
  const std::atomic<bool>* m_cancelStart;
  std::mutex m_waitMutex;
  std::condition_variable m_wake;
};

}  // namespace vantrel
