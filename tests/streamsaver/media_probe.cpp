#include "tests/streamsaver/media_probe.h"

#include <fstream>
#include <iterator>
#include <map>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace vantrel::test {

namespace {

std::vector<std::string> MediaCodecs(const AVFormatContext* ctx) {
  std::vector<std::string> codecs;
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    const AVCodecParameters* par = ctx->streams[i]->codecpar;
    if (par->codec_type == AVMEDIA_TYPE_AUDIO || par->codec_type == AVMEDIA_TYPE_VIDEO)
      codecs.push_back(avcodec_get_name(par->codec_id));
  }
  return codecs;
}

// Decodes the packets of one video stream as a player would, counting pictures and refusals.
class VideoDecoder {
 public:
  explicit VideoDecoder(const AVStream* stream) : m_timeBase(stream->time_base) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (codec == nullptr) return;
    m_ctx = avcodec_alloc_context3(codec);
    m_ctx->thread_count = 1;
    if (avcodec_parameters_to_context(m_ctx, stream->codecpar) < 0 ||
        avcodec_open2(m_ctx, codec, nullptr) < 0) {
      avcodec_free_context(&m_ctx);
    }
    m_frame = av_frame_alloc();
  }
  ~VideoDecoder() {
    av_frame_free(&m_frame);
    avcodec_free_context(&m_ctx);
  }
  VideoDecoder(const VideoDecoder&) = delete;
  VideoDecoder& operator=(const VideoDecoder&) = delete;

  void Decode(const AVPacket* packet, RecordedFile& file) {
    if (m_ctx == nullptr) return;
    if (avcodec_send_packet(m_ctx, packet) < 0) ++file.decodeErrors;
    for (;;) {
      const int r = avcodec_receive_frame(m_ctx, m_frame);
      if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return;
      if (r < 0) {
        ++file.decodeErrors;
        return;
      }
      ++file.videoFrames;
      if (m_frame->decode_error_flags != 0) ++file.decodeErrors;
      if (m_frame->best_effort_timestamp != AV_NOPTS_VALUE)
        file.lastVideoTime = m_frame->best_effort_timestamp * av_q2d(m_timeBase);
      av_frame_unref(m_frame);
    }
  }

 private:
  AVRational m_timeBase;
  AVCodecContext* m_ctx = nullptr;
  AVFrame* m_frame = nullptr;
};

int FirstVideoStream(const AVFormatContext* ctx) {
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    if (ctx->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

RecordedFile ReadRecording(const std::string& path) {
  RecordedFile file;
  AVFormatContext* ctx = nullptr;
  if (avformat_open_input(&ctx, path.c_str(), nullptr, nullptr) < 0) return file;
  if (avformat_find_stream_info(ctx, nullptr) < 0) {
    avformat_close_input(&ctx);
    return file;
  }
  file.opened = true;
  file.format = ctx->iformat->name;
  file.codecs = MediaCodecs(ctx);
  if (ctx->duration != AV_NOPTS_VALUE) file.duration = ctx->duration / double(AV_TIME_BASE);

  std::map<int, int64_t> lastDts;
  const int video = FirstVideoStream(ctx);
  std::unique_ptr<VideoDecoder> decoder;
  if (video >= 0) decoder = std::make_unique<VideoDecoder>(ctx->streams[video]);
  AVPacket* packet = av_packet_alloc();
  int r = 0;
  while ((r = av_read_frame(ctx, packet)) >= 0) {
    ++file.packets;
    if (packet->stream_index == video) decoder->Decode(packet, file);
    if (packet->dts != AV_NOPTS_VALUE) {
      auto it = lastDts.find(packet->stream_index);
      if (it != lastDts.end() && packet->dts <= it->second) file.monotonic = false;
      lastDts[packet->stream_index] = packet->dts;
    }
    av_packet_unref(packet);
  }
  file.readToEnd = r == AVERROR_EOF;
  if (decoder) decoder->Decode(nullptr, file);
  av_packet_free(&packet);
  avformat_close_input(&ctx);
  return file;
}

std::vector<std::string> SourceCodecs(const std::string& path) {
  AVFormatContext* ctx = nullptr;
  if (avformat_open_input(&ctx, path.c_str(), nullptr, nullptr) < 0) return {};
  std::vector<std::string> codecs;
  if (avformat_find_stream_info(ctx, nullptr) >= 0) codecs = MediaCodecs(ctx);
  avformat_close_input(&ctx);
  return codecs;
}

bool HasAviIndex(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (data.size() < 12 || data.compare(0, 4, "RIFF") != 0 || data.compare(8, 4, "AVI ") != 0)
    return false;
  // Top-level chunks of the first RIFF: the header list, the movie list, then the index.
  size_t pos = 12;
  while (pos + 8 <= data.size()) {
    const auto byte = [&](size_t i) { return static_cast<uint64_t>(static_cast<uint8_t>(data[i])); };
    const uint64_t size = byte(pos + 4) | byte(pos + 5) << 8 | byte(pos + 6) << 16 | byte(pos + 7) << 24;
    if (data.compare(pos, 4, "idx1") == 0) return size > 0 && pos + 8 + size <= data.size();
    pos += 8 + size + (size & 1);
  }
  return false;
}

}  // namespace vantrel::test
