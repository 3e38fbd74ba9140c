#include <algorithm>

#include "catalogue/channel_list.h"
#include "catalogue/channel_xml.h"
#include "catalogue/xml_document.h"

namespace vantrel {

bool CChannelList::LoadFavorites() {
  favorites.clear();
  const XmlDocument document = XmlLoadFile(favoritesPath);
  if (!document) return false;
  const pugi::xml_node root = XmlSelectRoot(*document, "favorites");
  if (!root) return false;
  ReadChannels(root, favorites);
  return true;
}

bool CChannelList::SaveFavorites() const {
  const XmlDocument document = XmlNewDocument("favorites");
  if (!document) return false;
  const pugi::xml_node root = XmlSelectRoot(*document, "favorites");
  if (!root) return false;
  for (const CChannel& favorite : favorites) WriteChannel(root, favorite);
  return XmlSaveFile(*document, favoritesPath);
}

void CChannelList::AddFavorite(CChannel channel) {
  const bool present = std::any_of(favorites.begin(), favorites.end(),
                                   [&](const CChannel& f) { return f.id == channel.id; });
  if (!present) favorites.push_back(std::move(channel));
}

void CChannelList::RemoveFavorite(size_t position) {
  if (position < favorites.size()) favorites.erase(favorites.begin() + static_cast<std::ptrdiff_t>(position));
}

}  // namespace vantrel
