// libFuzzer target for the playlist reader: any bytes, read as a playlist from an address and
// from a file path, with every channel's texts, address, id and groups taken as the views would.
#include <cstddef>
#include <cstdint>
#include <string>

#include "catalogue/playlist/channel_matcher.h"
#include "catalogue/playlist/playlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vantrel;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (const char* base : {"http://h/dir/list.m3u?k=1", "/home/u/lists/list.m3u"}) {
    const PlaylistReadResult result = ReadPlaylist(bytes, base);
    if (!result.Ok()) continue;
    const CPlaylist& playlist = result.playlist;
    CChannelMatcher matcher;
    for (size_t i = 0; i < playlist.Size(); ++i) {
      const CChannel channel = playlist.ToChannel(i);
      matcher.Add(playlist.Name(i), playlist.Group(i), playlist.Country(i));
      if (channel.URL.empty()) __builtin_trap();  // every channel kept has an address
    }
    (void)PlaylistGroups(playlist);
    if (size > 0) {
      matcher.Find(std::string_view(bytes).substr(0, size % 8));
      matcher.Find(std::string_view(bytes).substr(0, size % 8 + 1));
    }
  }
  return 0;
}
