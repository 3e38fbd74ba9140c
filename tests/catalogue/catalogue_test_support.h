#pragma once
#include <string>

#include "base/text_codec.h"
#include "catalogue/catalogue_file.h"
#include "catalogue/channel_list.h"
#include "tests/updates/zip_test_support.h"

namespace vantrel::testing {

// Writes a catalogue file holding `xml` the way publishers pack it.
inline void WriteCatalogue(const std::filesystem::path& file, std::u16string_view xml) {
  std::string archive;
  if (PackCatalogue(Utf16ToCp1251(xml), archive)) WriteBytes(file, archive);
}

inline std::u16string Channel(int id, std::u16string name, std::u16string country, std::u16string genre) {
  return u"<channel id=\"" + Utf8ToUtf16(std::to_string(id)) + u"\" name=\"" + name + u"\" type=\"1\" URL=\"u" +
         Utf8ToUtf16(std::to_string(id)) + u"\"><country>" + country + u"</country><genre>" + genre +
         u"</genre></channel>";
}

// Store invariants after a successful load: one index copy per channel, counts adding up.
inline ::testing::AssertionResult Consistent(const CChannelList& list) {
  int countries = 0, genres = 0;
  for (const auto& [key, n] : list.countryCounts) countries += n;
  for (const auto& [key, n] : list.genreCounts) genres += n;
  const int total = static_cast<int>(list.channels.size());
  if (countries != total || genres != total || list.channelIndex.size() != list.channels.size())
    return ::testing::AssertionFailure() << "counts " << countries << "/" << genres << "/" << list.channelIndex.size()
                                         << " for " << total << " channels";
  return ::testing::AssertionSuccess();
}

}  // namespace vantrel::testing
