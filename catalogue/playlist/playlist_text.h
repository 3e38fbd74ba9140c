#pragma once
// The first layer of the playlist reader: from the bytes as stored to UTF-8 text, refusing what
// is plainly not a playlist. Internal to catalogue/playlist.
#include <filesystem>
#include <string>

#include "catalogue/playlist/playlist.h"

namespace vantrel {

// Size limit, byte order marks (UTF-8 dropped, UTF-16 converted), HTML and binary refusals,
// then UTF-8 as is or, when not valid UTF-8, Windows-1251 converted. `bytes` becomes the text.
PlaylistRefusal DecodePlaylistText(std::string& bytes);

// Whether `bytes` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Reads a whole regular file, refusing it (kTooLarge) without keeping more than
// kPlaylistMaxBytes + 1 bytes when it is larger.
PlaylistRefusal ReadPlaylistBytes(const std::filesystem::path& file, std::string& bytes);

}  // namespace vantrel
