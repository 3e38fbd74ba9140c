// `list` for playlists: each channel as the player takes it, then what was left out.
#include <fstream>
#include <ostream>

#include "base/text_codec.h"
#include "catalogue/playlist/playlist.h"
#include "tools/catalogue/catalogue_tool.h"

namespace vantrel::tool {

namespace {

const char* FormatName(PlaylistFormat format) {
  switch (format) {
    case PlaylistFormat::kExtendedM3u: return "extended M3U";
    case PlaylistFormat::kPlainM3u: return "M3U";
    case PlaylistFormat::kPls: return "PLS";
    case PlaylistFormat::kHls: return "HLS stream (played by its own address)";
  }
  return "unknown";
}

std::string Options(const CPlaylist& playlist, const CPlaylistChannel& c) {
  std::string options;
  if (!c.userAgent.Empty()) options += "http-user-agent=" + std::string(playlist.Text(c.userAgent));
  if (!c.referrer.Empty()) {
    if (!options.empty()) options += "; ";
    options += "http-referrer=" + std::string(playlist.Text(c.referrer));
  }
  return options;
}

bool HasPlaylistExtension(const std::filesystem::path& file) {
  std::string extension = file.extension().string();
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c | 0x20 : c);
  return extension == ".m3u" || extension == ".m3u8" || extension == ".pls";
}

}  // namespace

bool IsPlaylistFile(const std::filesystem::path& file) {
  if (HasPlaylistExtension(file)) return true;
  // A catalogue is a zip archive; a playlist says what it is in its first line.
  char head[16] = {};
  std::ifstream in(file, std::ios::binary);
  in.read(head, sizeof head);
  std::string_view start(head, static_cast<size_t>(in.gcount()));
  if (start.starts_with("\xEF\xBB\xBF")) start.remove_prefix(3);
  return start.starts_with("#EXTM3U") || start.starts_with("[playlist]") || start.starts_with("[Playlist]");
}

int ListPlaylist(const std::filesystem::path& file, std::ostream& out, std::ostream& err) {
  const PlaylistReadResult result = ReadPlaylistFile(file);
  if (!result.Ok()) {
    err << "vantrel-catalogue: " << file.string() << ": " << DescribeRefusal(result.refusal) << '\n';
    return 1;
  }
  const CPlaylist& playlist = result.playlist;
  out << "format: " << FormatName(playlist.format) << '\n';
  for (const std::string& guide : playlist.guideAddresses) out << "guide: " << Printable(Utf8ToUtf16(guide)) << '\n';
  out << "channels: " << playlist.Size() << '\n';
  for (size_t i = 0; i < playlist.Size(); ++i) {
    const CPlaylistChannel& c = playlist.Channels()[i];
    out << "channel " << i + 1 << ":\n"
        << "  name: " << Printable(playlist.Utf16(c.name)) << '\n'
        << "  URL: " << Printable(Utf8ToUtf16(playlist.Address(i))) << '\n'
        << "  group: " << Printable(playlist.Utf16(c.group)) << '\n'
        << "  country: " << Printable(playlist.Utf16(c.country)) << '\n'
        << "  options: " << Printable(Utf8ToUtf16(Options(playlist, c))) << '\n';
  }
  out << "skipped: " << playlist.skipped << '\n';
  return 0;
}

int ListFile(const std::filesystem::path& file, std::ostream& out, std::ostream& err) {
  return IsPlaylistFile(file) ? ListPlaylist(file, out, err) : ListCatalogue(file, out, err);
}

}  // namespace vantrel::tool
