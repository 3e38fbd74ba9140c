#pragma once
// A playlist read into memory: extended M3U/M3U8, plain M3U and PLS. Qt-free.
//
// Memory shape: the decoded file is kept as one UTF-8 string and every text of every channel is
// a span (offset, size) into it, so a list of 100,000 channels costs one allocation for its text
// and one for its records. Texts are UTF-8 here; Utf16() converts at the seam to the views.
// A CPlaylist is a plain value: it may be moved to another thread, and reading it from several
// threads at once is safe.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/channel.h"

namespace vantrel {

// The largest playlist read (a file, or a body from the network).
inline constexpr std::uint64_t kPlaylistMaxBytes = std::uint64_t{64} << 20;
// More entries than this are not a playlist anyone reads; the file is refused, which also
// bounds the records' memory (about 90 bytes an entry).
inline constexpr std::size_t kPlaylistMaxEntries = 1'000'000;

enum class PlaylistFormat {
  kExtendedM3u,  // starts with #EXTM3U, or has #EXTINF lines
  kPlainM3u,     // one address per line
  kPls,          // [playlist] with FileN= / TitleN= / LengthN=
  kHls,          // an HLS playlist (#EXT-X-...): a stream, played by its own address
};

enum class PlaylistRefusal {
  kNone,
  kCannotRead,       // the file cannot be opened or read
  kTooLarge,         // over kPlaylistMaxBytes
  kHtml,             // an HTML page or other markup
  kBinary,           // binary data: zero bytes or control characters
  kTooManyEntries,   // over kPlaylistMaxEntries
};

// A text of the playlist: `size` bytes from `offset` of its UTF-8 text.
struct TextSpan {
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
  bool Empty() const { return size == 0; }
};

// One channel. Attributes missing from the file are empty spans.
struct CPlaylistChannel {
  TextSpan name;      // the display name; else tvg-name; else the address as written
  TextSpan address;   // as written; see CPlaylist::Address for the one to play
  TextSpan group;     // group-title, else #EXTGRP
  TextSpan tvgId;
  TextSpan tvgName;
  TextSpan logo;      // tvg-logo
  TextSpan country;   // tvg-country
  TextSpan language;  // tvg-language
  TextSpan userAgent; // #EXTVLCOPT:http-user-agent=
  TextSpan referrer;  // #EXTVLCOPT:http-referrer=
  std::int32_t duration = -1;  // seconds from #EXTINF or LengthN; -1 when live or not given
  bool relative = false;       // the address is resolved against the playlist's base
};

class CPlaylist {
 public:
  PlaylistFormat format = PlaylistFormat::kPlainM3u;
  // Entries left out: no address, or a scheme the player must not open (javascript:,
  // vbscript:, data:, about:).
  std::size_t skipped = 0;
  // The #EXTM3U lines' url-tvg / x-tvg-url / tvg-url addresses, in file order, each once, at
  // most 32.
  std::vector<std::string> guideAddresses;
  // What relative entries are resolved against: the playlist's address (http, https, ...) or
  // the path of its file. Empty: relative entries stay as written.
  std::string base;
  // What the store knows the playlist by (its source address or file); part of every channel's
  // id. Empty for a playlist that is not in the store.
  std::string key;

  const std::vector<CPlaylistChannel>& Channels() const { return m_channels; }
  std::size_t Size() const { return m_channels.size(); }
  bool IsStream() const { return format == PlaylistFormat::kHls; }

  std::string_view Text(TextSpan span) const {
    return std::string_view(m_text).substr(span.offset, span.size);
  }
  std::u16string Utf16(TextSpan span) const;
  std::string_view Name(std::size_t i) const { return Text(m_channels[i].name); }
  std::string_view Group(std::size_t i) const { return Text(m_channels[i].group); }
  std::string_view Country(std::size_t i) const { return Text(m_channels[i].country); }
  // The address to play: relative entries resolved against `base` (see playlist_address.h).
  std::string Address(std::size_t i) const;

  // The stable id of channel i: a negative number made from `key` and the channel's address
  // (catalogue ids are not negative, so the two never meet). See PlaylistChannelId.
  std::int32_t ChannelId(std::size_t i) const;
  // Channel i as the player, the recorder, the details and the favourites take it: name, URL
  // (resolved), genre = group, country, logo, userAgent, referrer; type and BPS 0.
  CChannel ToChannel(std::size_t i) const;

  // Heap bytes held (text and records), for the memory figures.
  std::size_t MemoryBytes() const;

  // For the reader.
  std::string& MutableText() { return m_text; }
  std::vector<CPlaylistChannel>& MutableChannels() { return m_channels; }
  const std::string& AllText() const { return m_text; }

 private:
  std::string m_text;
  std::vector<CPlaylistChannel> m_channels;
};

struct PlaylistReadResult {
  PlaylistRefusal refusal = PlaylistRefusal::kNone;
  CPlaylist playlist;
  bool Ok() const { return refusal == PlaylistRefusal::kNone; }
};

// Reads a playlist from its bytes. `base` is its address or file path (may be empty).
// An HLS playlist gives format kHls and one channel whose address is `base` itself.
// Thread-agnostic; costs one pass over the bytes plus one per line.
PlaylistReadResult ReadPlaylist(std::string bytes, std::string_view base);
// Reads a file (refused without reading it when over kPlaylistMaxBytes); the base is the path.
PlaylistReadResult ReadPlaylistFile(const std::filesystem::path& file);

// The refusal in plain English (tools, logs); the views take their texts from the string table.
const char* DescribeRefusal(PlaylistRefusal refusal);

// Channel ids of playlists: -1 - (FNV-1a 64 of key + '\n' + address, folded to 31 bits).
// Stable across runs, refreshes and re-imports of the same source; the same address in the
// same playlist is one channel for the favourites.
std::int32_t PlaylistChannelId(std::string_view key, std::string_view address);

// The groups of a playlist in order of first appearance; channels without a group are in the
// group with the empty name. For the "by lists" view.
struct PlaylistGroup {
  std::string_view name;
  std::vector<std::uint32_t> channels;  // indexes into Channels(), file order
};
std::vector<PlaylistGroup> PlaylistGroups(const CPlaylist& playlist);

}  // namespace vantrel
