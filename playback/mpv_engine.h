#pragma once
// The playback engine (libmpv) set up the way the player uses it. Kept apart from the widget
// so that the start-up benchmark measures the very same engine configuration.

#include <mpv/client.h>

#include <memory>
#include <string>

namespace vantrel {

struct MpvHandleDeleter {
  void operator()(mpv_handle* handle) const { mpv_terminate_destroy(handle); }
};
using MpvHandle = std::unique_ptr<mpv_handle, MpvHandleDeleter>;

// Creates and initialises an engine: video only through the render API (a render context
// must exist before the first address is loaded, or that address plays without picture), no
// scripts, key bindings or on-screen display, probing sized for live streams, HTTP streams
// that reconnect after a drop, volume 50, not muted. `audioOutput` names the audio driver;
// empty means the system's default device. Sets LC_NUMERIC to "C", which libmpv requires.
// Returns null when libmpv refuses to start. Blocks for a few milliseconds; any thread.
MpvHandle CreateMpvEngine(const std::string& audioOutput);

// The audio driver the players of this process use; empty (the default) is the system's
// device. Tests choose "null" so that no sound device is needed.
void SetAudioOutputForTesting(const std::string& audioOutput);
const std::string& AudioOutput();

}  // namespace vantrel
