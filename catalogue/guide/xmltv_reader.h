#pragma once
// A streaming XMLTV reader on expat: the guide arrives in chunks (CGuideBytes) and each
// <channel> and <programme> is handed on as soon as its end tag is read, so only one element
// is held at a time. A document that breaks off keeps everything handed on before the break.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "catalogue/guide/xmltv_types.h"

namespace vantrel {

struct XmltvLimits {
  std::size_t maxTextBytes = 16 * 1024;  // one title, description, name...: longer is cut
  std::size_t maxDisplayNames = 16;      // per channel; more are skipped
  std::size_t maxChannels = 100'000;
  std::size_t maxProgrammes = 1'000'000;
  std::uint64_t maxDocumentBytes = std::uint64_t{1} << 30;  // after decompression
};

enum class XmltvStatus {
  kOk,
  kCannotOpen,  // the file is not there or not readable
  kNotXmltv,    // the root element is not <tv>
  kBroken,      // malformed or cut short: what came before the break was handed on
  kTooLarge,    // a limit on the whole was reached: what came before it was handed on
  kStopped,     // the sink asked to stop
};

// Why a programme was left out by the reader.
enum class XmltvDrop { kBadStart, kBadStop, kNoChannel, kBackwards };

struct XmltvSink {
  // Return false to stop reading (XmltvStatus::kStopped).
  std::function<bool(XmltvChannel&&)> channel;
  std::function<bool(XmltvProgramme&&)> programme;
  // A programme left out, with its channel, title and the line it was on.
  std::function<void(XmltvDrop, const XmltvProgramme&, std::uint64_t line)> dropped;
};

struct XmltvResult {
  XmltvStatus status = XmltvStatus::kOk;
  std::uint64_t channels = 0;
  std::uint64_t programmes = 0;  // handed on
  std::uint64_t dropped = 0;
  std::uint64_t line = 0;        // where a broken document broke
  std::string error;             // what broke it, in the parser's words
};

XmltvResult ReadXmltvFile(const std::filesystem::path& file, const XmltvSink& sink, const XmltvLimits& limits = {});
// The same from bytes in memory (plain or gzip).
XmltvResult ReadXmltvBytes(std::string_view bytes, const XmltvSink& sink, const XmltvLimits& limits = {});

// One word for a status or a drop, for reports.
const char* Describe(XmltvStatus status);
const char* Describe(XmltvDrop drop);

}  // namespace vantrel
