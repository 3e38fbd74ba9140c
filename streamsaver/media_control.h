#pragma once
// Running a capture: the header, then the packet pump on a thread of its own.

#include <thread>

extern "C" {
#include <libavformat/avformat.h>
}

#include "streamsaver/capture_graph.h"

namespace vantrel {

class MediaControl {
 public:
  // Borrows all three; they outlive this object.
  MediaControl(CaptureGraph& graph, AVFormatContext* source, AVFormatContext* output)
      : m_graph(graph), m_source(source), m_output(output) {}
  ~MediaControl() { Stop(); }
  MediaControl(const MediaControl&) = delete;
  MediaControl& operator=(const MediaControl&) = delete;

  // Writes the container header. Returns an AVERROR code.
  int WriteHeader();
  // Starts the pump. Returns false when no thread could be made.
  bool StartPump();
  // Interrupts the source and waits for the pump, which has then finished the file.
  void Stop();

 private:
  // Copies packets until the source ends, fails or is stopped, then always writes the trailer.
  void Pump();
  void CopyPackets();

  CaptureGraph& m_graph;
  AVFormatContext* m_source;
  AVFormatContext* m_output;
  bool m_headerWritten = false;
  std::thread m_pump;
};

}  // namespace vantrel
