#include <algorithm>
#include <utility>

#include "catalogue/channel_list.h"
#include "catalogue/channel_xml.h"
#include "catalogue/xml_document.h"

namespace vantrel {

namespace {

// Playlist channels carry three texts the catalogue has not. They follow the five elements of
// every favourite, and only when set, so a catalogue favourite is written as it always was
// and readers that take children by name pass them by.
constexpr std::pair<const char*, std::u16string CChannel::*> kPlaylistFields[] = {
    {"logo", &CChannel::logo}, {"http_user_agent", &CChannel::userAgent}, {"http_referrer", &CChannel::referrer}};

void ReadPlaylistFields(pugi::xml_node node, CChannel& channel) {
  for (const auto& [name, field] : kPlaylistFields) {
    const pugi::xml_node child = node.child(name);
    if (child) channel.*field = XmlElementText(child);
  }
}

void WritePlaylistFields(pugi::xml_node element, const CChannel& channel) {
  for (const auto& [name, field] : kPlaylistFields) {
    if ((channel.*field).empty()) continue;
    pugi::xml_node child = XmlAppendElement(element, name);
    if (!child) return;
    XmlSetText(child, channel.*field);
  }
}

}  // namespace

bool CChannelList::LoadFavorites() {
  favorites.clear();
  const XmlDocument document = XmlLoadFile(favoritesPath);
  if (!document) return false;
  const pugi::xml_node root = XmlSelectRoot(*document, "favorites");
  if (!root) return false;
  CChannel channel;
  for (pugi::xml_node child : root.children()) {
    if (!ReadChannel(child, channel)) continue;
    ReadPlaylistFields(child, channel);
    favorites.push_back(std::move(channel));
  }
  return true;
}

bool CChannelList::SaveFavorites() const {
  const XmlDocument document = XmlNewDocument("favorites");
  if (!document) return false;
  const pugi::xml_node root = XmlSelectRoot(*document, "favorites");
  if (!root) return false;
  for (const CChannel& favorite : favorites) {
    const pugi::xml_node before = root.last_child();
    WriteChannel(root, favorite);
    const pugi::xml_node added = root.last_child();
    if (added && added != before) WritePlaylistFields(added, favorite);
  }
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
