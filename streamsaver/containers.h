#pragma once
// Output containers: which one an output name asks for, which streams it can carry, and the
// header options that keep it readable when a recording is cut off.

#include <string>
#include <string_view>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

namespace vantrel {

// The FFmpeg muxer for an output name, by its ending (any letter case): ".mkv" Matroska,
// ".ts" MPEG-TS, ".mp4" fragmented MP4, ".asf", ".wmv" and ".wma" ASF, anything else AVI.
const char* ContainerFor(std::u16string_view file);
bool IsAsf(const AVOutputFormat* format);
bool IsAvi(const AVOutputFormat* format);

// Audio and video with a known codec are recorded; subtitles and data are left out.
bool Recordable(const AVCodecParameters* par);

// Whether `format` can carry `par` in a way players read back. FFmpeg's own answer where it has
// one, and refusals where its muxer would write a file nobody can play: AVI has no agreed way
// to hold HEVC, VP9 or AV1, and MPEG-TS writes a codec it has no stream type for as private
// data. On refusal `reason` names the check that refused.
bool Carries(const AVOutputFormat* format, const AVCodecParameters* par, std::string* reason);

// Options for avformat_write_header. MP4 is written in fragments, each one complete on disk,
// starting at video key frames, or every second for sound alone. Free with av_dict_free.
AVDictionary* HeaderOptions(const AVFormatContext* output);

// Maps the recordable streams of a reopened `source` onto the output's streams, in order.
// False when they no longer match: another count, kind or codec, or another picture size,
// sample rate or channel count where both sides know it.
bool MatchStreams(const AVFormatContext* source, const AVFormatContext* output,
                  std::vector<int>* map);

}  // namespace vantrel
