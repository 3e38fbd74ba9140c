#pragma once
// What an XMLTV guide holds, as the reader hands it on. Texts are UTF-8, as the document and
// the guide store keep them; times are seconds since 1970-01-01 UTC.
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

struct XmltvChannel {
  std::string id;
  std::vector<std::string> displayNames;  // document order
};

// A stop the document does not give: the store takes the channel's next start instead.
inline constexpr std::int64_t kNoStop = INT64_MIN;

struct XmltvProgramme {
  std::string channel;  // the id of an XmltvChannel (possibly one never declared)
  std::int64_t start = 0;
  std::int64_t stop = kNoStop;
  // Of several languages the Russian text, else the first one given.
  std::string title;
  std::string subTitle;
  std::string description;
  std::string category;
};

}  // namespace vantrel
