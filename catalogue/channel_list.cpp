#include "catalogue/channel_list.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "base/program_path.h"
#include "base/text_codec.h"
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

namespace {

// Distinct keys of one kind: each record's key becomes a small number, so that counting and
// ordering compare strings once per distinct key instead of once per record.
struct KeyRanks {
  std::vector<uint32_t> ofRecord;  // rank of each record's key, in code-unit order

  KeyRanks(const std::vector<CChannel>& channels, std::u16string CChannel::*field, ChannelCounts& counts) {
    std::unordered_map<std::u16string_view, uint32_t> slots;
    std::vector<std::u16string_view> keys;
    std::vector<int> tally;
    ofRecord.reserve(channels.size());
    for (const CChannel& channel : channels) {
      const auto [it, added] = slots.try_emplace(channel.*field, static_cast<uint32_t>(keys.size()));
      if (added) {
        keys.push_back(it->first);
        tally.push_back(0);
      }
      ++tally[it->second];
      ofRecord.push_back(it->second);
    }
    std::vector<uint32_t> bySlot(keys.size());
    std::vector<uint32_t> sorted(keys.size());
    for (uint32_t i = 0; i < sorted.size(); ++i) sorted[i] = i;
    std::sort(sorted.begin(), sorted.end(), [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; });
    for (uint32_t rank = 0; rank < sorted.size(); ++rank) {
      bySlot[sorted[rank]] = rank;
      counts.emplace_hint(counts.end(), std::u16string(keys[sorted[rank]]), tally[sorted[rank]]);
    }
    for (auto& r : ofRecord) r = bySlot[r];
  }
};

}  // namespace

void CChannelList::BuildIndex() {
  const KeyRanks countries(channels, &CChannel::country, countryCounts);
  const KeyRanks genres(channels, &CChannel::genre, genreCounts);
  // Ranks stand for the keys, so ordering compares numbers; positions break the ties, so
  // equal keys keep file order.
  std::vector<std::pair<uint64_t, uint32_t>> order;
  order.reserve(channels.size());
  for (uint32_t i = 0; i < channels.size(); ++i)
    order.emplace_back((uint64_t{countries.ofRecord[i]} << 32) | genres.ofRecord[i], i);
  std::sort(order.begin(), order.end());
  channelIndex.reserve(channels.size());
  for (const auto& entry : order) channelIndex.push_back(channels[entry.second]);
}

std::pair<ChannelIndex::const_iterator, ChannelIndex::const_iterator> CChannelList::IndexRange(
    std::u16string_view country, std::u16string_view genre) const {
  struct ByKey {
    static std::pair<std::u16string_view, std::u16string_view> Key(const CChannel& c) { return {c.country, c.genre}; }
    bool operator()(const CChannel& c, const std::pair<std::u16string_view, std::u16string_view>& k) const {
      return Key(c) < k;
    }
    bool operator()(const std::pair<std::u16string_view, std::u16string_view>& k, const CChannel& c) const {
      return k < Key(c);
    }
  };
  return std::equal_range(channelIndex.begin(), channelIndex.end(), std::pair(country, genre), ByKey{});
}

}  // namespace vantrel
