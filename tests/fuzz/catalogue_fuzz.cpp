// The catalogue and favourites readers. The first byte chooses the layer the rest goes in at:
// 0 a whole catalogue file (zip, Base64, code page, XML, channels), 1 the decoded Windows-1251
// XML text, 2 a favourites file. A store that loads keeps its invariants.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/text_codec.h"
#include "catalogue/channel_list.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

using namespace vantrel;

void CheckStore(const CChannelList& list) {
  int countries = 0, genres = 0;
  for (const auto& [key, n] : list.countryCounts) countries += n;
  for (const auto& [key, n] : list.genreCounts) genres += n;
  const auto total = static_cast<int>(list.channels.size());
  fuzz::Expect(countries == total && genres == total && list.channelIndex.size() == list.channels.size());
  size_t indexed = 0;
  for (const auto& [country, n] : list.countryCounts) {
    for (const auto& [genre, m] : list.genreCounts) {
      const auto [first, last] = list.IndexRange(country, genre);
      indexed += static_cast<size_t>(last - first);
    }
  }
  fuzz::Expect(indexed == list.channelIndex.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static fuzz::InputFile file;
  const uint8_t mode = data[0] % 3;
  const uint8_t* rest = data + 1;
  const size_t restSize = size - 1;
  const auto& path = file.Write(rest, restSize);
  CChannelList list(path, path);
  if (mode == 0) {
    if (list.LoadChannels()) CheckStore(list);
  } else if (mode == 1) {
    const std::string_view text(reinterpret_cast<const char*>(rest), restSize);
    if (list.LoadCatalogueXml(Cp1251ToUtf16(text)) == CatalogueStatus::kOk) CheckStore(list);
  } else if (list.LoadFavorites()) {
    for (const CChannel& channel : list.favorites) fuzz::Expect(channel.name.size() <= restSize);
  }
  return 0;
}
