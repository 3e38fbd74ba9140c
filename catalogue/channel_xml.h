#pragma once
// Channel records to and from XML nodes, shared by the catalogue and the favourites file.
#include <pugixml.hpp>

#include <vector>

#include "catalogue/channel.h"

namespace vantrel {

// Reads one node into `channel`. False when one of the attributes id, name, type or URL is
// missing (text and comment nodes have none): the node is then to be dropped.
bool ReadChannel(pugi::xml_node node, CChannel& channel);
// Appends every readable child of `root`, in document order, to `into`.
void ReadChannels(pugi::xml_node root, std::vector<CChannel>& into);
// Appends `channel` to `parent` as a favourites file stores it: attributes id, name, type, URL,
// then the elements description, genre, site_URL, BPS, country, all written.
void WriteChannel(pugi::xml_node parent, const CChannel& channel);

}  // namespace vantrel
