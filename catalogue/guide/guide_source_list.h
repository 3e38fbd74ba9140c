#pragma once
// Where the program's guides come from: the addresses the user's playlists name (url-tvg) and
// the addresses or files the user added by hand, kept one a line in a small text file. Qt-free.
//
// A guide address is read without asking anyone, so what a playlist may name is limited: a
// playlist fetched from the network names http(s) guides only (a local path there would make
// the program read whatever file a stranger picked); a playlist file may also name files, a
// relative one beside itself. Only regular files are ever read: a device or a pipe would keep
// the reader busy for ever.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vantrel {

class CPlaylist;

struct GuideSource {
  std::string address;   // UTF-8: an http(s) address or an absolute file path
  std::string playlist;  // the name of the playlist that names it; empty for the user's own
};

// What a channel of a playlist is known by in guides besides its display name.
struct PlaylistGuideNames {
  std::string tvgId;
  std::string tvgName;
  friend bool operator==(const PlaylistGuideNames&, const PlaylistGuideNames&) = default;
};

struct PlaylistGuides {
  std::vector<GuideSource> sources;  // playlist order, each address once
  // By the channel's id (CPlaylist::ChannelId); only channels with a tvg-id or a tvg-name.
  std::unordered_map<std::int32_t, PlaylistGuideNames> channels;
};

// The guide address `named` by `playlist` (from the network when `remote`), resolved against
// the playlist's base; empty when the playlist may not name it.
std::string PlaylistGuideAddress(const CPlaylist& playlist, bool remote, std::string_view named);
// Adds the playlist's guide addresses (those it may name, not yet listed) and its channels'
// guide names.
void AddPlaylistGuides(const CPlaylist& playlist, bool remote, std::string_view playlistName, PlaylistGuides& into);
// Reads every playlist kept in `playlistsFolder` (see CPlaylistStore). Reads only: safe on a
// worker while the owner thread's store goes on (the store replaces its files whole).
PlaylistGuides ScanPlaylistGuides(const std::filesystem::path& playlistsFolder);

// A source the user typed, as kept: blanks trimmed, "file://" turned into a path. Empty when
// it names nothing a guide can come from: a scheme other than http(s), or a relative path.
std::string NormaliseGuideSource(std::string_view text);
// True for an http(s) address, and for a path naming a regular file that exists now.
bool IsReadableGuideSource(std::string_view address);

// The user's list: one source a line (UTF-8), in the order added. Lines that NormaliseGuideSource
// refuses and repeats are left out; a missing file is an empty list.
std::vector<std::string> ReadGuideSourceList(const std::filesystem::path& file);
// Writes the list whole (a new file renamed over the old one); makes the folder when missing.
bool WriteGuideSourceList(const std::filesystem::path& file, const std::vector<std::string>& sources);

}  // namespace vantrel
