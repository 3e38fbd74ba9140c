#pragma once
// One capture: a source address recorded into one file.

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

#include "streamsaver/capture_graph.h"
#include "streamsaver/filters.h"
#include "streamsaver/media_control.h"
#include "streamsaver/reconnect_policy.h"
#include "streamsaver/result_codes.h"

namespace vantrel {

class URLCapture {
 public:
  URLCapture() = default;
  // Stops the pump (which finishes the file), then releases the members in this order.
  virtual ~URLCapture();
  URLCapture(const URLCapture&) = delete;
  URLCapture& operator=(const URLCapture&) = delete;

  // Builds the capture for `url` into `file` and runs it. Each failing step reports one line
  // and returns its code at once, leaving what was built to the destructor. On success returns
  // the result of opening the file (0). `cancelStart` is the library's stop-all signal.
  // Addresses and paths of any length are taken whole. `headers` go with every request of the
  // source, reconnects included.
  HResult BuildGraph(std::u16string_view url, const char16_t* file,
                     const std::atomic<bool>* cancelStart, SourceHeaders headers = {});

 private:
  HResult CreateGraph(const std::atomic<bool>* cancelStart);
  HResult ChooseSource(std::u16string_view url);
  HResult ChooseWriter(std::u16string_view file);
  HResult SetFileName(std::u16string_view file);
  HResult RenderStreams();
  HResult RenderStream(AVStream* stream);
  HResult Run();
  AVFormatContext* Output() const;

  const ReconnectPolicy m_policy = ReconnectPolicy::FromEnvironment();
  std::string m_address;                     // the address as FFmpeg gets it, for reconnects
  SourceHeaders m_headers;                   // kept for reconnects too
  std::unique_ptr<SourceFilter> pAsf;
  std::unique_ptr<Multiplexer> pAVIMux;      // the multiplexer; null for Windows Media output
  std::unique_ptr<FileWriter> pFileWritter;
  std::unique_ptr<CaptureGraph> pGB;
  std::unique_ptr<MediaControl> pMC;         // null until the capture runs
};

}  // namespace vantrel
