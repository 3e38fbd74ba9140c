#pragma once
// The source of a capture: an FFmpeg demuxer reading the address.

#include <memory>
#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

namespace vantrel {

class SourceFilter {
 public:
  // Without data for this long a network read gives up, so a dead server ends a start.
  static constexpr int64_t kNetworkTimeoutUs = 15'000'000;

  // A demuxer context that polls `interrupt`; null when out of memory.
  static std::unique_ptr<SourceFilter> Create(const AVIOInterruptCB& interrupt);
  ~SourceFilter();
  SourceFilter(const SourceFilter&) = delete;
  SourceFilter& operator=(const SourceFilter&) = delete;

  // Opens `address` with `format` forced, or probing when it is null, then reads the streams'
  // parameters. Returns an AVERROR code; on failure `failedCall` names the call that failed and
  // the filter cannot be loaded again.
  int Load(const std::string& address, const AVInputFormat* format, std::string* failedCall);

  AVFormatContext* Context() const { return m_ctx; }

 private:
  explicit SourceFilter(AVFormatContext* ctx) : m_ctx(ctx) {}
  AVFormatContext* m_ctx;
};

}  // namespace vantrel
