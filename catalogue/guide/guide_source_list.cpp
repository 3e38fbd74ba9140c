#include "catalogue/guide/guide_source_list.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>

#include "catalogue/file_replace.h"
#include "catalogue/playlist/playlist_address.h"
#include "catalogue/playlist/playlist_store.h"

namespace vantrel {
namespace {

std::string_view Trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  while (!text.empty() && kBlanks.find(text.front()) != std::string_view::npos) text.remove_prefix(1);
  while (!text.empty() && kBlanks.find(text.back()) != std::string_view::npos) text.remove_suffix(1);
  return text;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "file:///home/me/my%20guide.xml" -> "/home/me/my guide.xml"; only the local host is a file.
std::string FileUrlPath(std::string_view url) {
  std::string_view rest = url.substr(7);
  if (rest.starts_with("localhost/")) rest.remove_prefix(9);
  if (!rest.starts_with('/')) return {};
  std::string path;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const int high = rest[i] == '%' && i + 2 < rest.size() ? HexValue(rest[i + 1]) : -1;
    const int low = high >= 0 ? HexValue(rest[i + 2]) : -1;
    if (low >= 0) {
      path += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      path += rest[i];
    }
  }
  // A decoded zero byte would cut the path short where the system reads it.
  return path.find('\0') == std::string::npos ? path : std::string();
}

void AddSource(std::vector<GuideSource>& sources, std::string address, std::string_view playlist) {
  for (const GuideSource& known : sources)
    if (known.address == address) return;
  sources.push_back({std::move(address), std::string(playlist)});
}

}  // namespace

std::string NormaliseGuideSource(std::string_view text) {
  const std::string_view source = Trimmed(text);
  if (source.empty() || source.find('\n') != std::string_view::npos) return {};
  const std::string scheme = AddressScheme(source);
  if (scheme == "http" || scheme == "https") return std::string(source);
  if (scheme == "file") return FileUrlPath(source);
  if (!scheme.empty() || !source.starts_with('/')) return {};
  return std::string(source);
}

bool IsReadableGuideSource(std::string_view address) {
  if (IsWebAddress(address)) return true;
  std::error_code ec;
  return !address.empty() && std::filesystem::is_regular_file(std::filesystem::path(std::string(address)), ec);
}

std::string PlaylistGuideAddress(const CPlaylist& playlist, bool remote, std::string_view named) {
  const std::string resolved = ResolveAddress(playlist.base, Trimmed(named));
  if (IsWebAddress(resolved)) return resolved;
  if (remote) return {};
  return NormaliseGuideSource(resolved);
}

void AddPlaylistGuides(const CPlaylist& playlist, bool remote, std::string_view playlistName, PlaylistGuides& into) {
  for (const std::string& named : playlist.guideAddresses) {
    std::string address = PlaylistGuideAddress(playlist, remote, named);
    if (!address.empty()) AddSource(into.sources, std::move(address), playlistName);
  }
  const std::vector<CPlaylistChannel>& channels = playlist.Channels();
  for (std::size_t i = 0; i < channels.size(); ++i) {
    if (channels[i].tvgId.Empty() && channels[i].tvgName.Empty()) continue;
    into.channels[playlist.ChannelId(i)] = {std::string(playlist.Text(channels[i].tvgId)),
                                            std::string(playlist.Text(channels[i].tvgName))};
  }
}

PlaylistGuides ScanPlaylistGuides(const std::filesystem::path& playlistsFolder) {
  PlaylistGuides guides;
  CPlaylistStore store(playlistsFolder);
  store.Load();
  for (const CPlaylistEntry& entry : store.Entries()) {
    const PlaylistReadResult read = store.Read(entry.id);
    if (read.Ok()) AddPlaylistGuides(read.playlist, entry.remote, entry.name, guides);
  }
  return guides;
}

std::vector<std::string> ReadGuideSourceList(const std::filesystem::path& file) {
  std::vector<std::string> sources;
  std::ifstream in(file, std::ios::binary);
  std::string line;
  // A list of thousands of guides is no list a person keeps; the rest is ignored.
  constexpr std::size_t kMaxSources = 1000;
  while (sources.size() < kMaxSources && std::getline(in, line)) {
    std::string source = NormaliseGuideSource(line);
    if (!source.empty() && std::find(sources.begin(), sources.end(), source) == sources.end())
      sources.push_back(std::move(source));
  }
  return sources;
}

bool WriteGuideSourceList(const std::filesystem::path& file, const std::vector<std::string>& sources) {
  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  std::string text;
  for (const std::string& source : sources) text += source + '\n';
  return ReplaceFileContents(file, text);
}

}  // namespace vantrel
