#pragma once
// The channel store: the catalogue's channels with their counts and (country, genre) index,
// and the favourites. One per process (GetChannelList); used on the UI thread only.
#include <pugixml.hpp>

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "catalogue/channel.h"

namespace vantrel {

// Texts order by UTF-16 code unit (std::u16string's own order): no locale, no case folding.
using ChannelCounts = std::map<std::u16string, int>;
// The (country, genre) index: copies of the records ordered by that pair, the key read from
// each record itself. Equal keys keep insertion order, which is catalogue order. A sorted
// sequence rather than a tree: built once per load, then only searched and walked.
using ChannelIndex = std::vector<CChannel>;

class CChannelList {
 public:
  CChannelList(std::filesystem::path catalog, std::filesystem::path favoritesFile);

  int32_t version = 0;  // 0 until a catalogue with a version was read
  std::filesystem::path catalogPath;
  std::filesystem::path favoritesPath;
  std::vector<CChannel> channels;   // catalogue order
  std::vector<CChannel> favorites;  // order of adding
  ChannelCounts countryCounts;      // channels per country; a missing country counts under ""
  ChannelCounts genreCounts;
  // Tree items point at the records in here; they stay valid until the next load.
  ChannelIndex channelIndex;

  // Reads catalogPath. On failure the catalogue part stays empty and `version` keeps its old
  // value, except that a root without a version attribute leaves it 0. Favourites are kept.
  bool LoadChannels() { return LoadCatalogue() == CatalogueStatus::kOk; }
  CatalogueStatus LoadCatalogue();
  // The same from XML text already in Unicode (the catalogue's last layer).
  CatalogueStatus LoadCatalogueXml(std::u16string_view xml);
  // The same from a parsed document.
  CatalogueStatus LoadCatalogueDocument(const pugi::xml_document& document);

  // Replaces `favorites` by the content of favoritesPath; false (and none) when the file is
  // missing or malformed.
  bool LoadFavorites();
  // Rewrites favoritesPath from `favorites`; the old file stays when that fails.
  bool SaveFavorites() const;
  // Appends a copy unless a favourite with the same id is there already.
  void AddFavorite(CChannel channel);
  // Erases the favourite at `position`; positions past the end are ignored.
  void RemoveFavorite(size_t position);

  // The index entries of one (country, genre) pair, in catalogue order.
  std::pair<ChannelIndex::const_iterator, ChannelIndex::const_iterator> IndexRange(
      std::u16string_view country, std::u16string_view genre) const;

 private:
  void ClearCatalogue();
  void BuildIndex();
};

// The process-wide store, made on first use with the paths of the program folder.
CChannelList& GetChannelList();

}  // namespace vantrel
