#pragma once
// Result codes of the recording library and its one diagnostic channel.

#include <cstdint>
#include <string_view>

#include "streamsaver/streamsaver.h"

namespace vantrel {

using HResult = int32_t;

inline bool Failed(HResult hr) { return hr < 0; }

// Maps an FFmpeg result (AVERROR code, or >= 0) onto the codes documented in streamsaver.h.
HResult HResultFromAvError(int averror);

// Writes "FAILED(hr=0x<hr>) in <call>" and a line feed to standard error as one write, so lines
// of concurrent captures never interleave. The line is cut at 2599 characters.
void ReportFailure(HResult hr, std::string_view call);

}  // namespace vantrel
