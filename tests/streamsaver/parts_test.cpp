// The library's inner rules that need no network: the recording's timeline, address and name
// handling, and the FFmpeg-to-result-code mapping.

#include <gtest/gtest.h>

#include <cerrno>

#include "streamsaver/containers.h"
#include "streamsaver/result_codes.h"
#include "streamsaver/text.h"
#include "streamsaver/timeline.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/avutil.h>
#include <libavutil/error.h>
}

namespace vantrel {
namespace {

constexpr AVRational kMpegTs{1, 90000};
constexpr AVRational kFrame{1, 25};        // AVI video: one tick per frame
constexpr AVRational kMillis{1, 1000};
constexpr int64_t kFrameTicks = 3600;      // 40 ms at 90 kHz
constexpr int64_t kTenHours = 10LL * 3600 * 90000;

// Places a packet given in 90 kHz ticks; returns its output dts or -1 when left out.
int64_t Place(Timeline& t, int stream, int64_t dts, bool key = true, AVRational to = kFrame,
              int64_t pts = AV_NOPTS_VALUE) {
  Timeline::Packet p{dts, pts == AV_NOPTS_VALUE ? dts : pts, kFrameTicks, key};
  return t.Place(stream, p, kMpegTs, to) ? p.dts : -1;
}

// A live source joined ten hours into its clock records from zero, one tick per frame.
TEST(Timeline, StartsAtZeroWhereverTheSourceClockIs) {
  Timeline t(1, 0);
  EXPECT_EQ(Place(t, 0, kTenHours), 0);
  EXPECT_EQ(Place(t, 0, kTenHours + kFrameTicks), 1);
  EXPECT_EQ(Place(t, 0, kTenHours + 2 * kFrameTicks), 2);
}

// Nothing is written before the master's first key frame, nor before that moment, and each
// stream starts on a key frame of its own.
TEST(Timeline, WaitsForMasterKeyFrame) {
  Timeline t(2, 0);
  EXPECT_EQ(Place(t, 1, kTenHours, true, kMillis), -1);              // audio before the anchor
  EXPECT_EQ(Place(t, 0, kTenHours, false), -1);                      // video, not a key frame
  EXPECT_EQ(Place(t, 0, kTenHours + kFrameTicks), 0);                // time zero
  EXPECT_EQ(Place(t, 1, kTenHours, true, kMillis), -1);              // audio earlier than zero
  EXPECT_EQ(Place(t, 1, kTenHours + 2 * kFrameTicks, true, kMillis), 40);
  EXPECT_EQ(Place(t, 0, kTenHours + 2 * kFrameTicks, false), 1);     // started streams take all
}

// A source that jumps back (a loop, a restarted encoder) or far ahead continues right after
// its previous packet; a modest gap forward is kept as a gap.
TEST(Timeline, ClosesUpDiscontinuities) {
  Timeline t(1, 0);
  EXPECT_EQ(Place(t, 0, kTenHours), 0);
  EXPECT_EQ(Place(t, 0, kTenHours + kFrameTicks), 1);
  EXPECT_EQ(Place(t, 0, 5 * 90000), 2);  // back by ten hours
  EXPECT_EQ(Place(t, 0, 5 * 90000 + kFrameTicks), 3);
  EXPECT_EQ(Place(t, 0, 5 * 90000 + 2 * kFrameTicks + 60 * 90000), 4);  // a minute ahead
  EXPECT_EQ(Place(t, 0, 5 * 90000 + 3 * kFrameTicks + 60 * 90000), 5);
  EXPECT_EQ(Place(t, 0, 5 * 90000 + 3 * kFrameTicks + 62 * 90000), 55);  // two seconds ahead
}

// Each stream closes up its own jump, so a stream that reaches the loop later is not disturbed
// by one that got there first.
TEST(Timeline, StreamsCloseUpTheirOwnJumps) {
  Timeline t(2, 0);
  EXPECT_EQ(Place(t, 0, kTenHours), 0);
  EXPECT_EQ(Place(t, 1, kTenHours, true, kMillis), 0);
  EXPECT_EQ(Place(t, 0, 0), 1);                                     // video loops first
  EXPECT_EQ(Place(t, 1, kTenHours + kFrameTicks, true, kMillis), 40);  // audio not yet
  EXPECT_EQ(Place(t, 1, 0, true, kMillis), 80);
  EXPECT_EQ(Place(t, 0, kFrameTicks), 2);
}

// Small steps back and packets without time still give strictly rising timestamps, and a
// presentation time never falls before the decoding time.
TEST(Timeline, KeepsEveryStreamStrictlyRising) {
  Timeline t(1, 0);
  EXPECT_EQ(Place(t, 0, kTenHours), 0);
  EXPECT_EQ(Place(t, 0, kTenHours + 100), 1);   // rounds to the same frame
  EXPECT_EQ(Place(t, 0, kTenHours - 9000), 2);  // 100 ms back
  EXPECT_EQ(Place(t, 0, AV_NOPTS_VALUE, true, kFrame, AV_NOPTS_VALUE), 3);

  Timeline::Packet p{kTenHours + 10 * kFrameTicks, kTenHours, kFrameTicks, true};
  ASSERT_TRUE(t.Place(0, p, kMpegTs, kFrame));
  EXPECT_EQ(p.dts, 10);
  EXPECT_EQ(p.pts, 10);
  EXPECT_EQ(p.duration, 1);
}

// After a reconnect the source's clock starts anywhere: the recording goes on right after the
// stream that reached furthest, from the master's next key frame, each stream from a key frame.
TEST(Timeline, ResumesAfterTheFurthestStreamOnReconnect) {
  Timeline t(2, 0);
  EXPECT_EQ(Place(t, 0, kTenHours), 0);
  EXPECT_EQ(Place(t, 1, kTenHours, true, kMillis), 0);
  EXPECT_EQ(Place(t, 0, kTenHours + kFrameTicks, false), 1);
  EXPECT_EQ(Place(t, 1, kTenHours + 2 * kFrameTicks, true, kMillis), 80);  // audio ends at 120 ms
  t.Resume();
  const int64_t back = 126000;  // the reopened source starts its clock at 1.4 s
  EXPECT_EQ(Place(t, 1, back, true, kMillis), -1);             // audio before the anchor
  EXPECT_EQ(Place(t, 0, back, false), -1);                     // video, not a key frame
  EXPECT_EQ(Place(t, 0, back + kFrameTicks), 3);               // 120 ms: frame 3
  EXPECT_EQ(Place(t, 1, back, true, kMillis), -1);             // audio earlier than that
  EXPECT_EQ(Place(t, 1, back + 2 * kFrameTicks, true, kMillis), 160);
  EXPECT_EQ(Place(t, 0, back + 2 * kFrameTicks, false), 4);
}

// Codecs FFmpeg's muxers would take but players cannot read back in that container.
TEST(ContainerRules, RefuseCodecsWithoutAnAgreedMapping) {
  AVCodecParameters* par = avcodec_parameters_alloc();
  par->codec_type = AVMEDIA_TYPE_VIDEO;
  std::string reason;
  for (const AVCodecID codec : {AV_CODEC_ID_VP9, AV_CODEC_ID_AV1}) {
    par->codec_id = codec;
    EXPECT_FALSE(Carries(av_guess_format("avi", nullptr, nullptr), par, &reason));
    EXPECT_EQ(reason, std::string("Carries(avi, ") + avcodec_get_name(codec) + ")");
    EXPECT_TRUE(Carries(av_guess_format("matroska", nullptr, nullptr), par, &reason));
  }
  par->codec_id = AV_CODEC_ID_WMV2;
  EXPECT_FALSE(Carries(av_guess_format("mpegts", nullptr, nullptr), par, &reason));
  par->codec_id = AV_CODEC_ID_H264;
  EXPECT_TRUE(Carries(av_guess_format("mpegts", nullptr, nullptr), par, &reason));
  avcodec_parameters_free(&par);
}

// Extensions are the last four characters in any letter case; names shorter than that match
// nothing.
TEST(Text, ExtensionsIgnoreLetterCase) {
  EXPECT_TRUE(HasExtension(u"http://h/a/CLIP.WMV", u".wmv"));
  EXPECT_TRUE(HasExtension(u".Wma", u".wma"));
  EXPECT_FALSE(HasExtension(u"wmv", u".wmv"));
  EXPECT_FALSE(HasExtension(u"http://h/clip.wmv?x=1", u".wmv"));
  EXPECT_FALSE(HasExtension(u"", u".asf"));
}

// Addresses reach FFmpeg as valid URLs; local paths are left as they are.
TEST(Text, SourceAddressEscapesWhatAUrlCannotCarry) {
  EXPECT_EQ(SourceAddress(u"http://h/радио 1.mp3"),
            "http://h/%D1%80%D0%B0%D0%B4%D0%B8%D0%BE%201.mp3");
  EXPECT_EQ(SourceAddress(u"MMS://h/live"), "mmsh://h/live");
  EXPECT_EQ(SourceAddress(u"/home/u/my clip.ts"), "/home/u/my clip.ts");
  EXPECT_EQ(SourceAddress(u"file:///home/u/a b.ts"), "file:///home/u/a b.ts");
  EXPECT_EQ(ToUtf8(u"\U0001F4FA\xD800!"), "\xF0\x9F\x93\xBA\xEF\xBF\xBD!");
}

// The documented mapping of FFmpeg results.
TEST(ResultCodes, FollowTheDocumentedMapping) {
  EXPECT_EQ(HResultFromAvError(0), STREAMSAVER_S_OK);
  EXPECT_EQ(HResultFromAvError(AVERROR(ENOMEM)), STREAMSAVER_E_OUTOFMEMORY);
  EXPECT_EQ(HResultFromAvError(AVERROR_EXIT), STREAMSAVER_E_ABORT);
  EXPECT_EQ(HResultFromAvError(AVERROR(ECONNREFUSED)), static_cast<int32_t>(0xA0EE006F));
  EXPECT_EQ(HResultFromAvError(AVERROR_HTTP_NOT_FOUND), static_cast<int32_t>(0xA0EF0194));
  EXPECT_EQ(HResultFromAvError(AVERROR_INVALIDDATA), STREAMSAVER_E_UNSUPPORTED_STREAM);
  EXPECT_EQ(HResultFromAvError(AVERROR_BUG), STREAMSAVER_E_FAIL);
}

}  // namespace
}  // namespace vantrel
