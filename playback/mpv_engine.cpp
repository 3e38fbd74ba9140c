#include "playback/mpv_engine.h"

#include <clocale>
#include <cstdio>

namespace vantrel {
namespace {

struct Option {
  const char* name;
  const char* value;
};

// Every option here is checked at start-up: a name this libmpv does not know is reported.
constexpr Option kOptions[] = {
    // Pictures go through the render API into our widget, never into a window of mpv's own.
    {"vo", "libmpv"},
    // A player control: no user scripts, configuration files, key bindings or OSD text.
    {"config", "no"},
    {"load-scripts", "no"},
    {"ytdl", "no"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"osd-level", "0"},
    // Radio shows our own still picture, not cover art.
    {"audio-display", "no"},
    {"idle", "yes"},
    {"keepaspect", "yes"},
    // Decoding stays on the CPU; no probing of GPU decoder interfaces when GL starts.
    {"hwdec", "no"},
    {"gpu-hwdec-interop", "no"},
    {"volume", "50"},
    {"mute", "no"},
    // Rendering happens on the UI thread: it must not wait there for the frame's display time.
    {"video-timing-offset", "0"},
    // Live streams give few bytes per second; default probing waits seconds for them. These
    // limits still find every track of a broadcast stream (its tables come first), and were
    // the quickest switch among the probe and cache settings tried (engine_options_bench).
    {"demuxer-lavf-probesize", "131072"},
    {"demuxer-lavf-analyzeduration", "0.2"},
    // A connection that drops is reopened once, at once: a short cut passes without a gap.
    // A source that stays away ends the stream then, and the player reopens live ones on its
    // own schedule; libavformat's own waits of seconds would hold the picture back after the
    // source returns.
    {"stream-lavf-o", "reconnect=1,reconnect_streamed=1,reconnect_delay_max=0"},
    // A server that stops answering mid-stream is given up after this many seconds.
    {"network-timeout", "10"},
};

std::string& AudioOutputSetting() {
  static std::string value;
  return value;
}

}  // namespace

MpvHandle CreateMpvEngine(const std::string& audioOutput) {
  std::setlocale(LC_NUMERIC, "C");
  MpvHandle mpv(mpv_create());
  if (!mpv) return nullptr;
  for (const Option& option : kOptions) {
    const int error = mpv_set_option_string(mpv.get(), option.name, option.value);
    if (error < 0) {
      std::fprintf(stderr, "player: option %s=%s: %s\n", option.name, option.value, mpv_error_string(error));
    }
  }
  if (!audioOutput.empty()) mpv_set_option_string(mpv.get(), "ao", audioOutput.c_str());
  if (mpv_initialize(mpv.get()) < 0) return nullptr;
  return mpv;
}

void SetAudioOutputForTesting(const std::string& audioOutput) { AudioOutputSetting() = audioOutput; }

const std::string& AudioOutput() { return AudioOutputSetting(); }

}  // namespace vantrel
