#include "streamsaver/timeline.h"

#include <algorithm>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/mathematics.h>
}

namespace vantrel {

namespace {
constexpr AVRational kMicroseconds{1, AV_TIME_BASE};
}

Timeline::Timeline(int streams, int master) : m_streams(std::max(streams, 0)), m_master(master) {}

// A started stream whose clock jumped gets its own offset moved, so that it resumes right after
// its previous packet; the other streams close up their own jump when they reach it.
int64_t Timeline::RecordingTime(Stream& s, int64_t sourceUs) const {
  int64_t rel = sourceUs - s.offsetUs;
  if (!s.synced) return rel;
  const int64_t step = rel - s.lastUs;
  if (step < -kBackJumpUs || step > kForwardJumpUs) {
    const int64_t resume = s.lastUs + s.lastDurationUs;
    s.offsetUs += rel - resume;
    rel = resume;
  }
  return std::max<int64_t>(rel, 0);
}

bool Timeline::Place(int stream, Packet& packet, AVRational from, AVRational to) {
  if (stream < 0 || stream >= static_cast<int>(m_streams.size())) return false;
  Stream& s = m_streams[stream];
  if (!s.synced && !packet.key) return false;

  const int64_t ts = packet.dts != AV_NOPTS_VALUE ? packet.dts : packet.pts;
  int64_t rel = 0;
  int64_t relPts = 0;
  if (ts == AV_NOPTS_VALUE) {
    // No time of its own: it follows the stream's previous packet.
    if (!s.synced) return false;
    rel = relPts = s.lastUs + s.lastDurationUs;
  } else {
    const int64_t sourceUs = av_rescale_q(ts, from, kMicroseconds);
    if (!m_anchored) {
      if (m_master >= 0 && stream != m_master) return false;
      m_anchored = true;
      for (Stream& each : m_streams) each.offsetUs = sourceUs - m_originUs;
    }
    rel = RecordingTime(s, sourceUs);
    if (!s.synced && rel < m_originUs) return false;
    relPts = packet.pts != AV_NOPTS_VALUE
                 ? av_rescale_q(packet.pts, from, kMicroseconds) - s.offsetUs
                 : rel;
  }

  int64_t outDts = av_rescale_q(rel, kMicroseconds, to);
  if (s.started && outDts <= s.lastOut) outDts = s.lastOut + 1;
  const int64_t outPts = std::max(av_rescale_q(relPts, kMicroseconds, to), outDts);

  s.started = true;
  s.synced = true;
  s.lastUs = rel;
  s.lastDurationUs = packet.duration > 0 ? av_rescale_q(packet.duration, from, kMicroseconds) : 0;
  s.lastOut = outDts;

  packet.dts = outDts;
  packet.pts = outPts;
  packet.duration = packet.duration > 0 ? av_rescale_q(packet.duration, from, to) : 0;
  return true;
}

void Timeline::Resume() {
  for (Stream& s : m_streams) {
    if (s.started) {
      m_originUs = std::max(m_originUs, s.lastUs + std::max<int64_t>(s.lastDurationUs, 1));
    }
    s.synced = false;
  }
  m_anchored = false;
}

}  // namespace vantrel
