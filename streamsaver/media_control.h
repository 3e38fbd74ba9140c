#pragma once
// Running a capture: the header, then the packet pump on a thread of its own, which reopens a
// live source that breaks off and goes on writing the same file.

#include <memory>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "streamsaver/capture_graph.h"
#include "streamsaver/filters.h"
#include "streamsaver/reconnect_policy.h"

namespace vantrel {

class Timeline;

class MediaControl {
 public:
  // Borrows the graph, the source's owner and the output; they outlive this object. The pump
  // replaces `source` when it reopens `address`, with the demuxer and the `headers` the first
  // source used.
  MediaControl(CaptureGraph& graph, std::unique_ptr<SourceFilter>& source, std::string address,
               AVFormatContext* output, ReconnectPolicy policy, SourceHeaders headers = {})
      : m_graph(graph), m_source(source), m_address(std::move(address)), m_output(output),
        m_policy(policy), m_headers(std::move(headers)) {}
  ~MediaControl() { Stop(); }
  MediaControl(const MediaControl&) = delete;
  MediaControl& operator=(const MediaControl&) = delete;

  // Writes the container header with the container's options. Returns an AVERROR code.
  int WriteHeader();
  // Starts the pump. Returns false when no thread could be made.
  bool StartPump();
  // Interrupts the source and waits for the pump, which has then finished the file.
  void Stop();

 private:
  enum class End { kStopped, kSourceLost, kWriteFailed };

  // Copies packets while the source delivers, reopens a live source that broke off, and always
  // writes the trailer in the end.
  void Pump();
  End CopyPackets(Timeline& timeline, AVPacket* packet);
  // Reopens the source until it is back with the file's streams, the outage limit has passed,
  // or a stop. True when the pump goes on with the new source.
  bool Reconnect();

  CaptureGraph& m_graph;
  std::unique_ptr<SourceFilter>& m_source;
  const std::string m_address;
  AVFormatContext* m_output;
  const ReconnectPolicy m_policy;
  const SourceHeaders m_headers;
  const AVInputFormat* m_format = nullptr;
  // The outage in progress: it goes on across reopened sources that wrote nothing, so a server
  // that answers and hangs up at once is neither hammered nor retried for ever.
  bool m_wrote = true;
  int m_attempt = 0;
  CaptureGraph::Clock::time_point m_giveUp{};
  std::vector<bool> m_stripAdts;  // per output stream
  bool m_headerWritten = false;
  std::thread m_pump;
};

}  // namespace vantrel
