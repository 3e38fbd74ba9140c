#include "catalogue/channel_tree.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>

namespace vantrel {

namespace {

char16_t Fold(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
  if (c >= u'\u0410' && c <= u'\u042F') return static_cast<char16_t>(c + 0x20);  // А..Я
  if (c == u'\u0401' || c == u'\u0451') return u'\u0435';                         // Ё, ё -> е
  if (c >= u'\u0400' && c <= u'\u040F') return static_cast<char16_t>(c + 0x50);  // Ѐ..Џ
  return c;
}

void SortByLabel(std::vector<ChannelTreeNode>& nodes) {
  std::stable_sort(nodes.begin(), nodes.end(), [](const ChannelTreeNode& a, const ChannelTreeNode& b) {
    return CompareTreeLabels(a.label, b.label) < 0;
  });
}

}  // namespace

int CompareTreeLabels(std::u16string_view a, std::u16string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const char16_t x = Fold(a[i]), y = Fold(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

std::u16string GroupLabel(const std::u16string& text, long long count) {
  return text + u"(" + Utf16Decimal(count) + u")";
}

std::vector<ChannelTreeNode> BuildChannelTree(const CChannelList& list, ChannelGrouping grouping) {
  const bool byCountry = grouping == ChannelGrouping::kByCountry;
  const ChannelCounts& top = byCountry ? list.countryCounts : list.genreCounts;
  const ChannelCounts& second = byCountry ? list.genreCounts : list.countryCounts;
  std::vector<ChannelTreeNode> tree;
  tree.reserve(top.size());
  for (const auto& [topKey, topCount] : top) {
    ChannelTreeNode& topNode = tree.emplace_back();
    topNode.label = GroupLabel(topKey, topCount);
    for (const auto& entry : second) {
      const std::u16string& secondKey = entry.first;
      const auto [begin, end] = byCountry ? list.IndexRange(topKey, secondKey) : list.IndexRange(secondKey, topKey);
      if (begin == end) continue;
      ChannelTreeNode& group = topNode.children.emplace_back();
      group.label = GroupLabel(secondKey, std::distance(begin, end));
      for (auto it = begin; it != end; ++it) group.children.push_back({it->name, &*it, {}});
      SortByLabel(group.children);
    }
    SortByLabel(topNode.children);
  }
  return tree;
}

std::vector<ChannelTreeNode> BuildPlaylistTree(std::span<const ChannelSource> sources) {
  std::vector<ChannelTreeNode> tree;
  tree.reserve(sources.size());
  for (const ChannelSource& source : sources) {
    ChannelTreeNode& top = tree.emplace_back();
    top.label = GroupLabel(source.title, static_cast<long long>(source.channels.size()));
    std::unordered_map<std::u16string_view, size_t> groupRows;
    std::vector<ChannelTreeNode> ungrouped;
    for (const CChannel& channel : source.channels) {
      if (channel.genre.empty()) {
        ungrouped.push_back({channel.name, &channel, {}});
        continue;
      }
      const auto [it, added] = groupRows.try_emplace(channel.genre, top.children.size());
      if (added) top.children.push_back({channel.genre, nullptr, {}});
      top.children[it->second].children.push_back({channel.name, &channel, {}});
    }
    for (ChannelTreeNode& group : top.children)
      group.label = GroupLabel(group.label, static_cast<long long>(group.children.size()));
    std::move(ungrouped.begin(), ungrouped.end(), std::back_inserter(top.children));
  }
  return tree;
}

}  // namespace vantrel
