// The XMLTV reader on arbitrary bytes (plain, or gzip when they start so): no crash, no read
// out of bounds, and whatever it hands on is placeable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "catalogue/guide/guide_names.h"
#include "catalogue/guide/xmltv_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  XmltvLimits limits;
  limits.maxTextBytes = 512;
  limits.maxProgrammes = 10'000;
  limits.maxDocumentBytes = 8 << 20;  // a small input must not unpack into much more
  XmltvSink sink;
  sink.channel = [&](XmltvChannel&& channel) {
    if (channel.id.empty() || channel.displayNames.size() > limits.maxDisplayNames) std::abort();
    for (const std::string& name : channel.displayNames) {
      if (name.size() > limits.maxTextBytes) std::abort();
      (void)GuideNameKey(name);
    }
    return true;
  };
  sink.programme = [&](XmltvProgramme&& p) {
    if (p.channel.empty() || (p.stop != kNoStop && p.stop <= p.start)) std::abort();
    if (p.title.size() > limits.maxTextBytes || p.description.size() > limits.maxTextBytes) std::abort();
    return true;
  };
  const XmltvResult result =
      ReadXmltvBytes(std::string_view(reinterpret_cast<const char*>(data), size), sink, limits);
  if (result.programmes > limits.maxProgrammes) std::abort();
  return 0;
}
