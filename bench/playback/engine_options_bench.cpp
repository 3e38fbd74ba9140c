// Engine options for switching channels on a network (answers 100 ms late, a key frame every
// 2 s, the channel joined mid-way): each candidate set, applied over the player's own engine
// set-up (candidate 0, probing 128 KiB and 0.2 s), switches 20 times at the same points of the key-frame cycle, from the address put
// to the new channel's first frame drawn. A set counts only if every switch found both the
// audio and the video track.
//
// Counters: median_ms, mean_ms, all_tracks (1 when every switch found both tracks).

#include "bench/support/bench_app.h"
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>
#include <vector>

#include "bench/playback/bare_engine.h"
#include "bench/playback/network_zap.h"

namespace {

using namespace vantrel;
using vantrel::bench::EngineOptions;

struct Candidate {
  const char* name;
  EngineOptions changed;
};

const std::vector<Candidate>& Candidates() {
  static const std::vector<Candidate> candidates = {
      {"as set", {}},
      {"libavformat probing (5 MB, 5 s)",
       {{"demuxer-lavf-probesize", "5000000"}, {"demuxer-lavf-analyzeduration", "5"}}},
      {"probe 512 KiB, 0.5 s", {{"demuxer-lavf-probesize", "524288"}, {"demuxer-lavf-analyzeduration", "0.5"}}},
      {"probe 32 KiB, 0.1 s", {{"demuxer-lavf-probesize", "32768"}, {"demuxer-lavf-analyzeduration", "0.1"}}},
      {"stream info only without streams", {{"demuxer-lavf-probe-info", "nostreams"}}},
      {"no initial audio sync", {{"initial-audio-sync", "no"}}},
      {"video latency hacks", {{"video-latency-hacks", "yes"}}},
      {"readahead 0.2 s", {{"demuxer-readahead-secs", "0.2"}}},
      {"no cache", {{"cache", "no"}}},
      {"lavf nobuffer", {{"demuxer-lavf-o", "fflags=+nobuffer"}}},
      {"no initial audio sync, latency hacks", {{"initial-audio-sync", "no"}, {"video-latency-hacks", "yes"}}},
      {"probe 32 KiB, 0.1 s, no initial audio sync, latency hacks",
       {{"demuxer-lavf-probesize", "32768"},
        {"demuxer-lavf-analyzeduration", "0.1"},
        {"initial-audio-sync", "no"},
        {"video-latency-hacks", "yes"}}},
  };
  return candidates;
}

void BM_EngineOptions(benchmark::State& state) {
  bench::App();
  const Candidate& candidate = Candidates()[state.range(0)];
  state.SetLabel(candidate.name);
  const std::string url = bench::NetworkChannelUrl();
  bench::BareEngine engine(candidate.changed);
  std::vector<double> times;
  bool allTracks = true;
  // The first switch of a process pays for loading decoders; it is not counted.
  engine.SwitchToFirstFrame(url);
  for (auto _ : state) {
    std::this_thread::sleep_for(std::chrono::milliseconds(bench::MillisecondsToSwitch(int(times.size()))));
    const double ms = engine.SwitchToFirstFrame(url);
    if (ms < 0) {
      state.SkipWithError("no frame of the new channel");
      return;
    }
    times.push_back(ms);
    state.SetIterationTime(ms / 1e3);
    allTracks = allTracks && engine.HasTrack("video") && engine.HasTrack("audio");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  state.counters["median_ms"] = bench::Median(times);
  state.counters["mean_ms"] = bench::Mean(times);
  state.counters["all_tracks"] = allTracks ? 1 : 0;
}
BENCHMARK(BM_EngineOptions)
    ->DenseRange(0, 11)
    ->Iterations(bench::kNetworkSwitches)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
