#include "streamsaver/filters.h"

#include <cerrno>
#include <cstdio>
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

int SourceFilter::Load(const std::string& address, const AVInputFormat* format, int64_t timeoutUs,
                       std::string* failedCall, const SourceHeaders& headers) {
  if (m_ctx == nullptr) return AVERROR(EINVAL);
  AVDictionary* options = nullptr;
  av_dict_set(&options, "rw_timeout", std::to_string(timeoutUs).c_str(), 0);
  // Protocols other than HTTP ignore these.
  if (!headers.userAgent.empty()) av_dict_set(&options, "user_agent", headers.userAgent.c_str(), 0);
  if (!headers.referrer.empty()) {
    av_dict_set(&options, "headers", ("Referer: " + headers.referrer + "\r\n").c_str(), 0);
  }
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


int Multiplexer::Create(const char* format, const std::string& fileName,
                        std::unique_ptr<Multiplexer>* out) {
  AVFormatContext* ctx = nullptr;
  const int r = avformat_alloc_output_context2(&ctx, nullptr, format, fileName.c_str());
  if (r < 0) return r;
  out->reset(new Multiplexer(ctx));
  return 0;
}

Multiplexer::~Multiplexer() {
  // The file belongs to the FileWriter, released after the multiplexer.
  m_ctx->pb = nullptr;
  avformat_free_context(m_ctx);
}

FileWriter::~FileWriter() {
  m_muxer.reset();
  avio_closep(&m_file);
  if (!m_partPath.empty() && !m_committed) std::remove(m_partPath.c_str());
}

int FileWriter::CreateMuxer(const char* format, const std::string& fileName) {
  return Multiplexer::Create(format, fileName, &m_muxer);
}

int FileWriter::SetFileName(const std::string& path) {
  if (m_file != nullptr || path.empty()) return AVERROR(EINVAL);
  const std::string part = path + ".part";
  // "file:" keeps a name with a colon from being read as a protocol. No interrupt callback:
  // the trailer must still be written after a stop.
  const int r = avio_open2(&m_file, ("file:" + part).c_str(), AVIO_FLAG_WRITE, nullptr, nullptr);
  if (r < 0) return r;
  m_path = path;
  m_partPath = part;
  if (m_muxer) m_muxer->Context()->pb = m_file;
  return 0;
}

int FileWriter::Commit() {
  if (m_file == nullptr) return AVERROR(EINVAL);
  if (std::rename(m_partPath.c_str(), m_path.c_str()) != 0) return AVERROR(errno);
  m_committed = true;
  return 0;
}

}  // namespace vantrel
