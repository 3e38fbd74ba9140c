#pragma once
// The catalogue as the three-level tree the views show, built without any toolkit so that the
// views and the catalogue tool label and order it the same way.
//
// Top level: every country (or genre) of the counts, in code-unit order, labelled
// "<key>(<count>)". Second level: every genre (or country) that has channels under it,
// labelled "<key>(<channels of this pair>)". Third level: the channels of the pair, labelled
// with their names. The second and third levels are in alphabetical order as a tree control's
// sorted insertion gives it: CompareTreeLabels, labels that compare equal keeping catalogue
// order. A view shows the nodes in the order given here and does no sorting of its own.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/channel_list.h"

namespace vantrel {

enum class ChannelGrouping { kByCountry, kByGenre };

struct ChannelTreeNode {
  std::u16string label;
  const CChannel* channel = nullptr;  // leaves only: the record inside the store's index
  std::vector<ChannelTreeNode> children;
};

// Leaves point into `list.channelIndex` and are valid until the list is loaded again.
std::vector<ChannelTreeNode> BuildChannelTree(const CChannelList& list, ChannelGrouping grouping);

// A playlist as the views show it: its title and its channels in file order, a channel's group
// being its `genre`.
struct ChannelSource {
  std::u16string title;
  std::span<const CChannel> channels;
};

// The playlists as a tree: each playlist "<title>(<channels>)" in the order given; under it its
// groups "<group>(<channels>)" in order of first appearance, each with its channels in file
// order; channels without a group come last, right under the playlist. A provider's order is
// its own numbering, so nothing is sorted. Leaves point into the sources' spans.
std::vector<ChannelTreeNode> BuildPlaylistTree(std::span<const ChannelSource> sources);

// Alphabetical comparison without locale: Latin and Cyrillic letters compare without regard to
// case and "ё" sorts as "е"; everything else by code unit. <0, 0 or >0.
int CompareTreeLabels(std::u16string_view a, std::u16string_view b);

// "<text>(<count>)", the label of a group.
std::u16string GroupLabel(const std::u16string& text, long long count);

}  // namespace vantrel
