#include "streamsaver/source_filter.h"

#include <string>

extern "C" {
#include <libavutil/dict.h>
}

namespace vantrel {

std::unique_ptr<SourceFilter> SourceFilter::Create(const AVIOInterruptCB& interrupt) {
  AVFormatContext* ctx = avformat_alloc_context();
  if (ctx == nullptr) return nullptr;
  // Set before opening: the connect itself must be interruptible.
  ctx->interrupt_callback = interrupt;
  return std::unique_ptr<SourceFilter>(new SourceFilter(ctx));
}

SourceFilter::~SourceFilter() { avformat_close_input(&m_ctx); }

int SourceFilter::Load(const std::string& address, const AVInputFormat* format,
                       std::string* failedCall) {
  if (m_ctx == nullptr) return AVERROR(EINVAL);
  AVDictionary* options = nullptr;
  av_dict_set(&options, "rw_timeout", std::to_string(kNetworkTimeoutUs).c_str(), 0);
  int r = avformat_open_input(&m_ctx, address.c_str(), format, &options);
  av_dict_free(&options);
  if (r < 0) {
    // avformat_open_input has freed the context.
    *failedCall = format != nullptr
                      ? "avformat_open_input(&pAsf, wURL, av_find_input_format(\"" +
                            std::string(format->name) + "\"), &options)"
                      : "avformat_open_input(&pAsf, wURL, NULL, &options)";
    return r;
  }
  r = avformat_find_stream_info(m_ctx, nullptr);
  if (r < 0) *failedCall = "avformat_find_stream_info(pAsf, NULL)";
  return r;
}

}  // namespace vantrel
