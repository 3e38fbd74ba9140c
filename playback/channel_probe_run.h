#pragma once
// Probes a list of channel addresses in the background: one thread drives libcurl's multi
// interface with at most `parallel` probes open at once, each bounded by `timeout` from its
// start (name lookup, connection and first bytes together). Results are handed over as they
// come, in no particular order.
//
// Cancelling (or destroying the run) wakes the thread at once; open probes are dropped
// without waiting for their servers, so a window that closes is not held up by a silent one.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "playback/channel_probe.h"

namespace vantrel {

struct ProbeOptions {
  int parallel = 8;
  std::chrono::milliseconds timeout{10'000};
};

// Called on the run's thread with the target's position in the list given.
using ProbeSink = std::function<void(std::size_t index, const ProbeResult& result)>;
// Called on the run's thread once, last: every target was probed (false), or the run was
// cancelled before that (true).
using ProbeFinished = std::function<void(bool cancelled)>;

class CChannelProbeRun {
 public:
  CChannelProbeRun(std::vector<ProbeTarget> targets, ProbeOptions options, ProbeSink sink, ProbeFinished finished = {});
  // Cancels and returns once the thread is gone (promptly: nothing waits for a server).
  ~CChannelProbeRun();

  CChannelProbeRun(const CChannelProbeRun&) = delete;
  CChannelProbeRun& operator=(const CChannelProbeRun&) = delete;

  // Any thread. A result being handed over at that moment may still arrive; none after it.
  void Cancel();

 private:
  struct Multi;
  void Run();

  std::vector<ProbeTarget> m_targets;
  ProbeOptions m_options;
  ProbeSink m_sink;
  ProbeFinished m_finished;
  std::atomic<bool> m_cancelled{false};
  std::unique_ptr<Multi> m_multi;
  std::thread m_thread;
};

}  // namespace vantrel
