#include "streamsaver/containers.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "streamsaver/text.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace vantrel {

namespace {

bool Named(const AVOutputFormat* format, const char* name) {
  return format != nullptr && std::strcmp(format->name, name) == 0;
}

// The codecs MPEG-TS has a stream type for; FFmpeg's muxer has no list of its own to ask.
constexpr AVCodecID kTransportStream[] = {
    AV_CODEC_ID_MPEG1VIDEO, AV_CODEC_ID_MPEG2VIDEO, AV_CODEC_ID_MPEG4, AV_CODEC_ID_H264,
    AV_CODEC_ID_HEVC,       AV_CODEC_ID_CAVS,       AV_CODEC_ID_DIRAC, AV_CODEC_ID_VC1,
    AV_CODEC_ID_MP2,        AV_CODEC_ID_MP3,        AV_CODEC_ID_AAC,   AV_CODEC_ID_AAC_LATM,
    AV_CODEC_ID_AC3,        AV_CODEC_ID_EAC3,       AV_CODEC_ID_DTS,   AV_CODEC_ID_TRUEHD,
    AV_CODEC_ID_OPUS,       AV_CODEC_ID_S302M};

// Codecs the AVI muxer would take under a made-up four-character code.
constexpr AVCodecID kNotInAvi[] = {AV_CODEC_ID_HEVC, AV_CODEC_ID_VP9, AV_CODEC_ID_AV1};

template <size_t N>
bool Listed(const AVCodecID (&list)[N], AVCodecID id) {
  return std::find(std::begin(list), std::end(list), id) != std::end(list);
}

bool HasVideo(const AVFormatContext* ctx) {
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    if (ctx->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) return true;
  }
  return false;
}

bool SameStream(const AVCodecParameters* a, const AVCodecParameters* b) {
  const auto differ = [](int x, int y) { return x > 0 && y > 0 && x != y; };
  if (a->codec_type != b->codec_type || a->codec_id != b->codec_id) return false;
  if (differ(a->width, b->width) || differ(a->height, b->height)) return false;
  return !differ(a->sample_rate, b->sample_rate) &&
         !differ(a->ch_layout.nb_channels, b->ch_layout.nb_channels);
}

}  // namespace

const char* ContainerFor(std::u16string_view file) {
  if (HasExtension(file, u".mkv")) return "matroska";
  if (HasExtension(file, u".ts")) return "mpegts";
  if (HasExtension(file, u".mp4")) return "mp4";
  if (HasExtension(file, u".asf") || HasExtension(file, u".wmv") || HasExtension(file, u".wma"))
    return "asf";
  return "avi";
}

bool IsAsf(const AVOutputFormat* format) { return Named(format, "asf"); }
bool IsAvi(const AVOutputFormat* format) { return Named(format, "avi"); }

bool Recordable(const AVCodecParameters* par) {
  return (par->codec_type == AVMEDIA_TYPE_AUDIO || par->codec_type == AVMEDIA_TYPE_VIDEO) &&
         par->codec_id != AV_CODEC_ID_NONE;
}

bool Carries(const AVOutputFormat* format, const AVCodecParameters* par, std::string* reason) {
  const AVCodecID codec = par->codec_id;
  const std::string args = std::string(format->name) + ", " + avcodec_get_name(codec);
  if (avformat_query_codec(format, codec, FF_COMPLIANCE_NORMAL) == 0) {
    *reason = "avformat_query_codec(" + args + ", FF_COMPLIANCE_NORMAL)";
    return false;
  }
  const bool refused = (IsAvi(format) && Listed(kNotInAvi, codec)) ||
                       (Named(format, "mpegts") && !Listed(kTransportStream, codec));
  if (refused) *reason = "Carries(" + args + ")";
  return !refused;
}

AVDictionary* HeaderOptions(const AVFormatContext* output) {
  AVDictionary* options = nullptr;
  if (Named(output->oformat, "mp4")) {
    av_dict_set(&options, "movflags", "frag_keyframe+empty_moov+default_base_moof", 0);
    if (!HasVideo(output)) av_dict_set(&options, "frag_duration", "1000000", 0);
  }
  return options;
}

bool MatchStreams(const AVFormatContext* source, const AVFormatContext* output,
                  std::vector<int>* map) {
  map->assign(source->nb_streams, -1);
  unsigned next = 0;
  for (unsigned i = 0; i < source->nb_streams; ++i) {
    const AVCodecParameters* par = source->streams[i]->codecpar;
    if (!Recordable(par)) continue;
    if (next >= output->nb_streams || !SameStream(par, output->streams[next]->codecpar))
      return false;
    (*map)[i] = static_cast<int>(next++);
  }
  return next == output->nb_streams;
}

}  // namespace vantrel
