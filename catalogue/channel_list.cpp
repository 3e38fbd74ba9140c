#include "catalogue/channel_list.h"

#include <algorithm>
#include <cstdint>

#include "app/program_path.h"
#include "app/text_codec.h"
#include "catalogue/channel_xml.h"
#include "catalogue/xml_document.h"

namespace vantrel {

CChannelList::CChannelList(std::filesystem::path catalog, std::filesystem::path favoritesFile)
    : catalogPath(std::move(catalog)), favoritesPath(std::move(favoritesFile)) {}

CChannelList& GetChannelList() {
  static CChannelList list(ProgramFolderFile(kCatalogueFile), ProgramFolderFile(kFavoritesFile));
  return list;
}

void CChannelList::ClearCatalogue() {
  channels.clear();
  countryCounts.clear();
  genreCounts.clear();
  channelIndex.clear();
}

CatalogueStatus CChannelList::LoadCatalogue() {
  ClearCatalogue();
  std::string text;
  const CatalogueStatus status = ReadCatalogueText(catalogPath, text);
  if (status != CatalogueStatus::kOk) return status;
  // Straight to UTF-8: the same text as through UTF-16, without converting twice.
  const XmlDocument document = XmlLoadUtf8Text(Cp1251ToUtf8(text));
  if (!document) return CatalogueStatus::kBadXml;
  return LoadCatalogueDocument(*document);
}

CatalogueStatus CChannelList::LoadCatalogueXml(std::u16string_view xml) {
  ClearCatalogue();
  const XmlDocument document = XmlLoadText(xml);
  if (!document) return CatalogueStatus::kBadXml;
  return LoadCatalogueDocument(*document);
}

CatalogueStatus CChannelList::LoadCatalogueDocument(const pugi::xml_document& document) {
  ClearCatalogue();
  const pugi::xml_node root = XmlSelectRoot(document, "channels");
  if (!root) return CatalogueStatus::kNoRoot;
  version = 0;
  std::u16string text;
  if (!XmlGetAttribute(root, "version", text)) return CatalogueStatus::kNoVersion;
  version = ParseDecimal(text);
  ReadChannels(root, channels);
  BuildIndex();
  return CatalogueStatus::kOk;
}

void CChannelList::BuildIndex() {
  // Counting first gives every key its rank; records are then inserted in key order, each at
  // the end of the index, which costs no string comparisons beyond one per record.
  for (const CChannel& channel : channels) {
    ++countryCounts[channel.country];
    ++genreCounts[channel.genre];
  }
  auto ranks = [](const ChannelCounts& counts) {
    std::map<std::u16string_view, uint32_t> rank;
    uint32_t next = 0;
    for (const auto& entry : counts) rank.emplace_hint(rank.end(), entry.first, next++);
    return rank;
  };
  const auto countryRank = ranks(countryCounts);
  const auto genreRank = ranks(genreCounts);
  std::vector<std::pair<uint64_t, uint32_t>> order;  // (country rank, genre rank), position
  order.reserve(channels.size());
  for (uint32_t i = 0; i < channels.size(); ++i) {
    const uint64_t key = (uint64_t{countryRank.find(channels[i].country)->second} << 32) |
                         genreRank.find(channels[i].genre)->second;
    order.emplace_back(key, i);
  }
  std::sort(order.begin(), order.end());  // positions break ties: equal keys keep file order
  for (const auto& [key, i] : order)
    channelIndex.emplace_hint(channelIndex.end(), ChannelKey(channels[i].country, channels[i].genre), channels[i]);
}

std::pair<ChannelIndex::const_iterator, ChannelIndex::const_iterator> CChannelList::IndexRange(
    const std::u16string& country, const std::u16string& genre) const {
  return channelIndex.equal_range(ChannelKey(country, genre));
}

}  // namespace vantrel
