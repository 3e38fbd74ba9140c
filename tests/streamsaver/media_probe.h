#pragma once
// Reads a recorded file back with libavformat, the way a player would.

#include <string>
#include <vector>

namespace vantrel::test {

struct RecordedFile {
  bool opened = false;
  std::string format;              // demuxer name, e.g. "avi", "asf"
  std::vector<std::string> codecs; // per stream, e.g. "h264", "aac"
  double duration = 0;             // seconds, as the container states it
  int packets = 0;
  bool monotonic = true;           // every stream's dts strictly increasing
  bool readToEnd = false;          // the last read ended in a clean end of file
  int videoFrames = 0;             // pictures decoded from the first video stream
  int decodeErrors = 0;            // packets of that stream the decoder refused
  double lastVideoTime = 0;        // presentation time of the last picture, in seconds
};

RecordedFile ReadRecording(const std::string& path);

// The codecs of the audio and video streams of a source file, in stream order.
std::vector<std::string> SourceCodecs(const std::string& path);

// True when the AVI file carries its index (written only when a recording is finished).
bool HasAviIndex(const std::string& path);

}  // namespace vantrel::test
