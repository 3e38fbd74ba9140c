#include "catalogue/playlist/playlist.h"

#include <unordered_map>

#include "base/text_codec.h"
#include "catalogue/playlist/playlist_address.h"

namespace vantrel {

std::u16string CPlaylist::Utf16(TextSpan span) const { return Utf8ToUtf16(Text(span)); }

std::string CPlaylist::Address(std::size_t i) const {
  const CPlaylistChannel& c = m_channels[i];
  if (!c.relative) return std::string(Text(c.address));
  return ResolveAddress(base, Text(c.address));
}

std::int32_t CPlaylist::ChannelId(std::size_t i) const { return PlaylistChannelId(key, Address(i)); }

CChannel CPlaylist::ToChannel(std::size_t i) const {
  const CPlaylistChannel& c = m_channels[i];
  CChannel channel;
  const std::string address = Address(i);
  channel.id = PlaylistChannelId(key, address);
  channel.name = Utf16(c.name);
  channel.URL = Utf8ToUtf16(address);
  channel.genre = Utf16(c.group);
  channel.country = Utf16(c.country);
  channel.logo = Utf16(c.logo);
  channel.userAgent = Utf16(c.userAgent);
  channel.referrer = Utf16(c.referrer);
  return channel;
}

std::size_t CPlaylist::MemoryBytes() const {
  std::size_t bytes = m_text.capacity() + m_channels.capacity() * sizeof(CPlaylistChannel);
  for (const auto& address : guideAddresses) bytes += address.capacity();
  return bytes + base.capacity() + key.capacity();
}

const char* DescribeRefusal(PlaylistRefusal refusal) {
  switch (refusal) {
    case PlaylistRefusal::kNone: return "read";
    case PlaylistRefusal::kCannotRead: return "cannot be read";
    case PlaylistRefusal::kTooLarge: return "is larger than 64 MiB";
    case PlaylistRefusal::kHtml: return "is an HTML page (or other markup), not a playlist";
    case PlaylistRefusal::kBinary: return "is binary data, not a playlist";
    case PlaylistRefusal::kTooManyEntries: return "holds more than 1,000,000 entries";
  }
  return "is refused";
}

std::int32_t PlaylistChannelId(std::string_view key, std::string_view address) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  const auto mix = [&hash](std::string_view bytes) {
    for (const char c : bytes) {
      hash ^= static_cast<unsigned char>(c);
      hash *= 0x100000001b3ULL;
    }
  };
  mix(key);
  mix("\n");
  mix(address);
  const auto folded = static_cast<std::uint32_t>((hash ^ (hash >> 32)) & 0x7FFFFFFFu);
  return static_cast<std::int32_t>(-1 - static_cast<std::int64_t>(folded));
}

std::vector<PlaylistGroup> PlaylistGroups(const CPlaylist& playlist) {
  std::vector<PlaylistGroup> groups;
  std::unordered_map<std::string_view, std::uint32_t> slots;
  const auto& channels = playlist.Channels();
  for (std::uint32_t i = 0; i < channels.size(); ++i) {
    const std::string_view name = playlist.Text(channels[i].group);
    const auto [it, added] = slots.try_emplace(name, static_cast<std::uint32_t>(groups.size()));
    if (added) groups.push_back({name, {}});
    groups[it->second].channels.push_back(i);
  }
  return groups;
}

}  // namespace vantrel
