#pragma once
// The filters of a capture: the source that reads the address, the container multiplexer and
// the output file.

#include <memory>
#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

namespace vantrel {

// What a source sends with its HTTP requests beside the address; empty members send nothing of
// their own (FFmpeg's default user agent, no referrer).
struct SourceHeaders {
  std::string userAgent;
  std::string referrer;
};

// The source: an FFmpeg demuxer reading the address.
class SourceFilter {
 public:
  // A demuxer context that polls `interrupt`; null when out of memory.
  static std::unique_ptr<SourceFilter> Create(const AVIOInterruptCB& interrupt);
  ~SourceFilter();
  SourceFilter(const SourceFilter&) = delete;
  SourceFilter& operator=(const SourceFilter&) = delete;

  // Opens `address` with `format` forced, or probing when it is null, then reads the streams'
  // parameters. Any network read of the source, now or later, that waits `timeoutUs` without
  // data gives up, so a dead or stalled server ends a start or a read. `headers` go with every
  // HTTP request of the source. Returns an AVERROR code; on failure `failedCall` names the
  // call that failed and the filter cannot be loaded again.
  int Load(const std::string& address, const AVInputFormat* format, int64_t timeoutUs,
           std::string* failedCall, const SourceHeaders& headers = {});

  AVFormatContext* Context() const { return m_ctx; }

 private:
  explicit SourceFilter(AVFormatContext* ctx) : m_ctx(ctx) {}
  AVFormatContext* m_ctx;
};


// An output container that writes through a file it does not own (the AVI multiplexer).
class Multiplexer {
 public:
  // `format` is an FFmpeg muxer name; `fileName` is for the muxer's information only.
  // Returns an AVERROR code.
  static int Create(const char* format, const std::string& fileName,
                    std::unique_ptr<Multiplexer>* out);
  ~Multiplexer();
  Multiplexer(const Multiplexer&) = delete;
  Multiplexer& operator=(const Multiplexer&) = delete;

  AVFormatContext* Context() const { return m_ctx; }

 private:
  explicit Multiplexer(AVFormatContext* ctx) : m_ctx(ctx) {}
  AVFormatContext* m_ctx;
};

// The output file. It is written as "<name>.part" and takes its name only when committed, so a
// capture that fails to start neither leaves a file behind nor truncates one already there.
// For Windows Media output it also owns the ASF muxer, which writes the file itself.
class FileWriter {
 public:
  FileWriter() = default;
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  // Makes the writer's own muxer. Returns an AVERROR code.
  int CreateMuxer(const char* format, const std::string& fileName);
  // Creates the file "<path>.part". Returns an AVERROR code.
  int SetFileName(const std::string& path);
  // Renames the file to its final name. Returns an AVERROR code.
  int Commit();

  AVIOContext* File() const { return m_file; }
  AVFormatContext* Muxer() const { return m_muxer ? m_muxer->Context() : nullptr; }

 private:
  std::unique_ptr<Multiplexer> m_muxer;
  AVIOContext* m_file = nullptr;
  std::string m_path;
  std::string m_partPath;
  bool m_committed = false;
};

}  // namespace vantrel
