#pragma once
// Addresses inside playlists: which ones the player may open, and how relative ones resolve.
#include <string>
#include <string_view>

namespace vantrel {

// The scheme of `address` in lower case ("http", "rtmp", ...), or empty when it has none.
// A single letter before ":\" or ":/" is a Windows drive, not a scheme.
std::string AddressScheme(std::string_view address);

// javascript:, vbscript:, data: and about: name no stream; the player must not open them.
bool IsForbiddenAddress(std::string_view address);

// True for an entry that may need the playlist's base: no scheme, and not a Windows drive
// path. Whether the base changes it is ResolveAddress's call ("/x" does against an address,
// not against a file).
bool IsRelativeAddress(std::string_view address);

// Resolves a relative entry against the playlist's base:
// - a base with a scheme (http://host/dir/list.m3u?x): "//h/p" takes the base's scheme,
//   "/p" the base's scheme and host, anything else replaces the base's last path segment;
//   "." and ".." segments are removed;
// - a base without a scheme is a file path: an absolute path stays, anything else (with "\"
//   read as "/") goes beside the file.
// An empty base, or an entry that is not relative, comes back unchanged.
std::string ResolveAddress(std::string_view base, std::string_view entry);

// True when `address` has the scheme http or https (what the playlist fetch takes).
bool IsWebAddress(std::string_view address);

}  // namespace vantrel
