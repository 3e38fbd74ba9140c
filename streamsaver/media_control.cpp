#include "streamsaver/media_control.h"

#include <chrono>
#include <system_error>

#include "streamsaver/adts.h"
#include "streamsaver/containers.h"
#include "streamsaver/result_codes.h"
#include "streamsaver/timeline.h"

namespace vantrel {

namespace {

using Clock = CaptureGraph::Clock;
constexpr int kMaxPacketsAfterStop = 10000;

AVRational OutputTimeBase(const AVFormatContext* output, int stream) {
  return output->streams[stream]->time_base;
}

}  // namespace

int MediaControl::WriteHeader() {
  m_stripAdts.assign(m_output->nb_streams, false);
  for (unsigned i = 0; i < m_output->nb_streams; ++i)
    m_stripAdts[i] = ConfigureAacForMp4(m_output->oformat, m_output->streams[i]->codecpar);
  AVDictionary* options = HeaderOptions(m_output);
  // Each packet reaches the file at once, so a process that dies leaves what it had recorded.
  m_output->flags |= AVFMT_FLAG_FLUSH_PACKETS;
  const int r = avformat_write_header(m_output, &options);
  av_dict_free(&options);
  m_headerWritten = r >= 0;
  return r;
}

bool MediaControl::StartPump() {
  if (!m_headerWritten) return false;
  m_format = m_source->Context()->iformat;
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
  AVPacket* packet = av_packet_alloc();
  if (packet != nullptr) {
    Timeline timeline(static_cast<int>(m_output->nb_streams), m_graph.masterStream);
    while (CopyPackets(timeline, packet) == End::kSourceLost && Reconnect()) timeline.Resume();
    av_packet_free(&packet);
  }
  const int r = av_write_trailer(m_output);
  if (r < 0) ReportFailure(HResultFromAvError(r), "av_write_trailer(pOutput)");
  // The file is complete on disk from here on, even before the capture is stopped.
  if (m_output->pb != nullptr) avio_flush(m_output->pb);
}

MediaControl::End MediaControl::CopyPackets(Timeline& timeline, AVPacket* packet) {
  AVFormatContext* source = m_source->Context();
  const std::vector<int>& map = m_graph.streamMap;
  // What a live demuxer gives after its input broke off is torn: the pieces it held, cut where
  // the connection was. (A playlist demuxer has read its own input to the end at the start.)
  AVIOContext* input = source->pb;
  const bool watchInput = input != nullptr && !input->eof_reached && IsLive(source);
  // After a stop the source still gives what it has already received (the probe's packets
  // among them) and then fails its next read; the cap guards against a demuxer that would not.
  int afterStop = 0;
  for (;;) {
    if (m_graph.Stopping() && ++afterStop > kMaxPacketsAfterStop) return End::kStopped;
    int r = av_read_frame(source, packet);
    if (r == AVERROR(EAGAIN) && !m_graph.Stopping()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    // End of stream, a dropped connection, a stalled read (rw_timeout), or the stop's interrupt.
    if (r < 0) return m_graph.Stopping() ? End::kStopped : End::kSourceLost;
    const int in = packet->stream_index;
    const int out = in >= 0 && in < static_cast<int>(map.size()) ? map[in] : -1;
    const bool torn =
        (watchInput && input->eof_reached) || (packet->flags & AV_PKT_FLAG_CORRUPT) != 0;
    if (out < 0 || torn || (packet->flags & AV_PKT_FLAG_DISCARD) != 0) {
      av_packet_unref(packet);
      continue;
    }
    Timeline::Packet times{packet->dts, packet->pts, packet->duration,
                           (packet->flags & AV_PKT_FLAG_KEY) != 0};
    const AVRational from = source->streams[in]->time_base;
    if (!timeline.Place(out, times, from, OutputTimeBase(m_output, out))) {
      av_packet_unref(packet);
      continue;
    }
    packet->dts = times.dts;
    packet->pts = times.pts;
    packet->duration = times.duration;
    packet->stream_index = out;
    packet->pos = -1;
    if (m_stripAdts[out]) StripAdtsHeader(packet);
    r = av_interleaved_write_frame(m_output, packet);
    if (r < 0) {
      ReportFailure(HResultFromAvError(r), "av_interleaved_write_frame(pOutput, pPacket)");
      return End::kWriteFailed;
    }
    m_wrote = true;
  }
}

bool MediaControl::Reconnect() {
  // A file that ended is complete; only a live source is expected to go on.
  if (!IsLive(m_source->Context())) return false;
  m_source.reset();  // lets the server see the old connection go
  if (m_wrote) {
    m_giveUp = Clock::now() + m_policy.outage;
    m_attempt = 0;
  }
  m_wrote = false;
  const auto giveUp = m_giveUp;
  HResult last = STREAMSAVER_E_HANDLE_EOF;
  std::string lastCall = "av_read_frame(pAsf, pPacket)";
  for (;; ++m_attempt) {
    const auto now = Clock::now();
    if (now >= giveUp) break;
    const Clock::duration pause = ReconnectPolicy::Pause(m_attempt);
    if (!m_graph.Wait(std::min<Clock::duration>(pause, giveUp - now))) return false;
    if (Clock::now() >= giveUp) break;
    m_graph.SetDeadline(std::min(giveUp, Clock::now() + m_policy.stall));
    auto source = SourceFilter::Create(m_graph.Interrupt());
    if (!source) return false;
    const int r = source->Load(m_address, m_format, m_policy.StallUs(), &lastCall, m_headers);
    m_graph.ClearDeadline();
    if (m_graph.Stopping()) return false;
    if (r < 0) {
      last = HResultFromAvError(r);
      continue;
    }
    std::vector<int> map;
    if (!MatchStreams(source->Context(), m_output, &map)) {
      // Other streams would make another file; this one ends here.
      ReportFailure(STREAMSAVER_E_CANNOT_RENDER, "MatchStreams(pAsf, pOutput)");
      return false;
    }
    m_graph.streamMap = std::move(map);
    m_source = std::move(source);
    ++m_attempt;
    return true;
  }
  ReportFailure(last, lastCall);
  return false;
}

}  // namespace vantrel
