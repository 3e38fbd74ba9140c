#pragma once
// The capture graph: which source stream feeds which output stream, and the one switch that
// interrupts every blocking FFmpeg call of the capture.

#include <atomic>
#include <vector>

extern "C" {
#include <libavformat/avio.h>
}

namespace vantrel {

class CaptureGraph {
 public:
  // `cancelStart` is the library's stop-all signal; it outlives every graph.
  explicit CaptureGraph(const std::atomic<bool>* cancelStart) : m_cancelStart(cancelStart) {}
  CaptureGraph(const CaptureGraph&) = delete;
  CaptureGraph& operator=(const CaptureGraph&) = delete;

  // For AVFormatContext::interrupt_callback of the source. FFmpeg polls it while it waits on
  // the network (every 100 ms at most), so a stop never waits for a stalled server.
  AVIOInterruptCB Interrupt() { return {&CaptureGraph::Interrupted, this}; }

  void Stop() { m_stop.store(true); }
  bool Stopping() const {
    return m_stop.load() || (m_cancelStart != nullptr && m_cancelStart->load());
  }

  // Source stream index -> output stream index; -1 for a stream that is not recorded.
  std::vector<int> streamMap;
  // The output stream whose first key frame is the recording's time zero.
  int masterStream = 0;

 private:
  static int Interrupted(void* self) { return static_cast<CaptureGraph*>(self)->Stopping(); }

  std::atomic<bool> m_stop{false};
  const std::atomic<bool>* m_cancelStart;
};

}  // namespace vantrel
