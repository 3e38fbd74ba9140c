#include "streamsaver/result_codes.h"

#include <cerrno>
#include <cstdio>
#include <string>

extern "C" {
#include <libavutil/error.h>
}

namespace vantrel {

HResult HResultFromAvError(int averror) {
  if (averror >= 0) return STREAMSAVER_S_OK;
  switch (averror) {
    case AVERROR(ENOMEM): return STREAMSAVER_E_OUTOFMEMORY;
    case AVERROR(EINVAL): return STREAMSAVER_E_INVALIDARG;
    case AVERROR_EXIT: return STREAMSAVER_E_ABORT;
    case AVERROR_HTTP_BAD_REQUEST: return STREAMSAVER_E_HTTP(400);
    case AVERROR_HTTP_UNAUTHORIZED: return STREAMSAVER_E_HTTP(401);
    case AVERROR_HTTP_FORBIDDEN: return STREAMSAVER_E_HTTP(403);
    case AVERROR_HTTP_NOT_FOUND: return STREAMSAVER_E_HTTP(404);
    case AVERROR_HTTP_OTHER_4XX: return STREAMSAVER_E_HTTP(499);
    case AVERROR_HTTP_SERVER_ERROR: return STREAMSAVER_E_HTTP(500);
    case AVERROR_INVALIDDATA:
    case AVERROR_DEMUXER_NOT_FOUND:
    case AVERROR_STREAM_NOT_FOUND: return STREAMSAVER_E_UNSUPPORTED_STREAM;
    case AVERROR_PROTOCOL_NOT_FOUND: return STREAMSAVER_E_UNKNOWN_PROTOCOL;
    case AVERROR_EOF: return STREAMSAVER_E_HANDLE_EOF;
    default: break;
  }
  // errno-based codes are small negatives; FFmpeg's own are negated four-character tags.
  if (averror > -0x10000) return STREAMSAVER_E_ERRNO(-averror);
  return STREAMSAVER_E_FAIL;
}

void ReportFailure(HResult hr, std::string_view call) {
  std::string line = "FAILED(hr=0x";
  char hex[16];
  std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(hr));
  line += hex;
  line += ") in ";
  line += call;
  line += '\n';
  if (line.size() > 2599) line.resize(2599);
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace vantrel
