#include "streamsaver/media_control.h"

#include <chrono>
#include <system_error>

#include "streamsaver/result_codes.h"
#include "streamsaver/timeline.h"

namespace vantrel {

namespace {
constexpr int kMaxPacketsAfterStop = 10000;
}

int MediaControl::WriteHeader() {
  const int r = avformat_write_header(m_output, nullptr);
  m_headerWritten = r >= 0;
  return r;
}

bool MediaControl::StartPump() {
  if (!m_headerWritten) return false;
  try {
    m_pump = std::thread(&MediaControl::Pump, this);
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void MediaControl::Stop() {
  m_graph.Stop();
  if (m_pump.joinable()) m_pump.join();
}

void MediaControl::Pump() {
  CopyPackets();
  const int r = av_write_trailer(m_output);
  if (r < 0) ReportFailure(HResultFromAvError(r), "av_write_trailer(pOutput)");
  // The file is complete on disk from here on, even before the capture is stopped.
  if (m_output->pb != nullptr) avio_flush(m_output->pb);
}

void MediaControl::CopyPackets() {
  AVPacket* packet = av_packet_alloc();
  if (packet == nullptr) return;
  Timeline timeline(static_cast<int>(m_output->nb_streams), m_graph.masterStream);
  const std::vector<int>& map = m_graph.streamMap;
  // After a stop the source still gives what it has already received (the probe's packets
  // among them) and then fails its next read; the cap guards against a demuxer that would not.
  int afterStop = 0;
  for (;;) {
    if (m_graph.Stopping() && ++afterStop > kMaxPacketsAfterStop) break;
    int r = av_read_frame(m_source, packet);
    if (r == AVERROR(EAGAIN) && !m_graph.Stopping()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    // End of stream, a dropped connection, a time-out, or the stop's interrupt.
    if (r < 0) break;
    const int in = packet->stream_index;
    const int out = in >= 0 && in < static_cast<int>(map.size()) ? map[in] : -1;
    if (out < 0 || (packet->flags & AV_PKT_FLAG_DISCARD) != 0) {
      av_packet_unref(packet);
      continue;
    }
    Timeline::Packet times{packet->dts, packet->pts, packet->duration,
                           (packet->flags & AV_PKT_FLAG_KEY) != 0};
    if (!timeline.Place(out, times, m_source->streams[in]->time_base,
                        m_output->streams[out]->time_base)) {
      av_packet_unref(packet);
      continue;
    }
    packet->dts = times.dts;
    packet->pts = times.pts;
    packet->duration = times.duration;
    packet->stream_index = out;
    packet->pos = -1;
    r = av_interleaved_write_frame(m_output, packet);
    if (r < 0) {
      ReportFailure(HResultFromAvError(r), "av_interleaved_write_frame(pOutput, pPacket)");
      break;
    }
  }
  av_packet_free(&packet);
}

}  // namespace vantrel
