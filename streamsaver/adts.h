#pragma once
// AAC as MPEG-TS carries it, in ADTS frames that each repeat the decoder's configuration, for
// MP4, which keeps that configuration once in its header and wants bare frames. FFmpeg's own
// conversion does not take part when MP4 is written in fragments.

extern "C" {
#include <libavformat/avformat.h>
}

namespace vantrel {

// True for an AAC stream of an MP4 output that has no decoder configuration yet; then gives it
// one made from the stream's profile, sample rate and channels. Call before the header.
bool ConfigureAacForMp4(const AVOutputFormat* format, AVCodecParameters* par);

// Removes the ADTS header from one AAC frame; a packet without one is left as it is.
void StripAdtsHeader(AVPacket* packet);

}  // namespace vantrel
