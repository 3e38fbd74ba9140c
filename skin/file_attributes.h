#pragma once
#include <cstdint>
#include <filesystem>

namespace vantrel {

// The attribute word the skin rules and the zip entries are written against, computed
// from lstat so that the same rules hold on this platform.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr std::uint32_t kAttrReparsePoint = 0x400;
inline constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFF;

// kInvalidFileAttributes when the entry does not exist or cannot be examined. A symbolic
// link is 0x400 whatever it points to; a directory 0x10, a regular file 0x20, anything
// else 0x04; +0x01 when the owner may not write, +0x02 when the name starts with ".".
std::uint32_t GetFileAttributes(const std::filesystem::path& path);

}  // namespace vantrel
