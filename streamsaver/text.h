#pragma once
// Text helpers of the recording library: UTF-16 in, UTF-8 out to FFmpeg and the file system.

#include <string>
#include <string_view>

namespace vantrel {

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// True when `text` ends in `ext` (ASCII, e.g. ".ts" or ".mkv"), ignoring ASCII letter case.
// Shorter texts match nothing.
bool HasExtension(std::u16string_view text, std::u16string_view ext);

// The address as FFmpeg should get it: "mms://" read as "mmsh://", and for "scheme://" addresses
// blanks and bytes outside ASCII %XX-escaped. Local paths pass unchanged.
std::string SourceAddress(std::u16string_view url);

}  // namespace vantrel
