#include "streamsaver/adts.h"

#include <cstring>
#include <iterator>

namespace vantrel {

namespace {

constexpr int kSampleRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                22050, 16000, 12000, 11025, 8000,  7350};

}  // namespace

bool ConfigureAacForMp4(const AVOutputFormat* format, AVCodecParameters* par) {
  if (std::strcmp(format->name, "mp4") != 0 || par->codec_id != AV_CODEC_ID_AAC ||
      par->extradata_size > 0) {
    return false;
  }
  int rateIndex = 4;  // 44.1 kHz when the rate is not one ADTS can name
  for (int i = 0; i < static_cast<int>(std::size(kSampleRates)); ++i) {
    if (kSampleRates[i] == par->sample_rate) rateIndex = i;
  }
  // ADTS names the profiles Main, LC, SSR and LTP; their object types are one higher.
  const int objectType = par->profile >= 0 && par->profile <= 3 ? par->profile + 1 : 2;
  int channels = par->ch_layout.nb_channels;
  if (channels == 8) channels = 7;
  if (channels < 1 || channels > 7) channels = 2;
  auto* config = static_cast<uint8_t*>(av_mallocz(2 + AV_INPUT_BUFFER_PADDING_SIZE));
  if (config == nullptr) return false;
  // AudioSpecificConfig: object type (5 bits), sample rate index (4), channels (4), 3 zero bits.
  config[0] = static_cast<uint8_t>(objectType << 3 | rateIndex >> 1);
  config[1] = static_cast<uint8_t>((rateIndex & 1) << 7 | channels << 3);
  par->extradata = config;
  par->extradata_size = 2;
  return true;
}

void StripAdtsHeader(AVPacket* packet) {
  if (packet->size < 7 || packet->data[0] != 0xFF || (packet->data[1] & 0xF0) != 0xF0) return;
  const int header = (packet->data[1] & 0x01) != 0 ? 7 : 9;  // 9 with a checksum
  if (packet->size <= header) return;
  packet->data += header;
  packet->size -= header;
}

}  // namespace vantrel
