#include "catalogue/channel_list.h"

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
  return LoadCatalogueXml(Cp1251ToUtf16(text));
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
  for (const CChannel& channel : channels) {
    channelIndex.emplace(ChannelKey(channel.country, channel.genre), channel);  // after its equals
    ++countryCounts[channel.country];
    ++genreCounts[channel.genre];
  }
  return CatalogueStatus::kOk;
}

std::pair<ChannelIndex::const_iterator, ChannelIndex::const_iterator> CChannelList::IndexRange(
    const std::u16string& country, const std::u16string& genre) const {
  return channelIndex.equal_range(ChannelKey(country, genre));
}

}  // namespace vantrel
