#pragma once
// The recording's own timeline: live sources start anywhere in their clock and may jump, while a
// file must start near zero and go strictly forward in every stream (the AVI muxer fills a gap up
// to the first timestamp with empty frames and refuses a step back).

#include <cstdint>
#include <vector>

extern "C" {
#include <libavutil/rational.h>
}

namespace vantrel {

class Timeline {
 public:
  // A jump of a stream's clock beyond these is a discontinuity of the source and is closed up.
  static constexpr int64_t kBackJumpUs = 500'000;
  static constexpr int64_t kForwardJumpUs = 10'000'000;

  // `master`: the stream whose first key frame is time zero; packets of other streams wait for it.
  Timeline(int streams, int master);

  // Timestamps as FFmpeg gives them, AV_NOPTS_VALUE where unknown.
  struct Packet {
    int64_t dts;
    int64_t pts;
    int64_t duration;
    bool key;
  };

  // Moves `packet` of `stream` from the source time base `from` onto the recording's timeline in
  // the output time base `to`. Returns false when the packet must be left out: before the
  // stream's first key frame, or before time zero.
  bool Place(int stream, Packet& packet, AVRational from, AVRational to);

  // The source was opened again and its clock may be anywhere: the recording goes on right
  // after the end of the stream that reached furthest, from the master's next key frame, and
  // each stream takes up again at a key frame of its own.
  void Resume();

 private:
  struct Stream {
    bool started = false;   // has written a packet
    bool synced = false;    // has had its key frame since time zero or the last resume
    int64_t offsetUs = 0;   // source time that is zero on the recording, per stream
    int64_t lastUs = 0;     // recording time of the stream's previous packet
    int64_t lastDurationUs = 0;
    int64_t lastOut = 0;    // previous dts in the output time base
  };

  int64_t RecordingTime(Stream& s, int64_t sourceUs) const;

  std::vector<Stream> m_streams;
  int m_master;
  bool m_anchored = false;
  int64_t m_originUs = 0;  // recording time at which the current source's packets begin
};

}  // namespace vantrel
