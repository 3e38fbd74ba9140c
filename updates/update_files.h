#pragma once
// File steps shared by the three downloads: safe names, whole-file writes and renames that
// never overwrite.

#include <filesystem>
#include <string>
#include <string_view>

#include "catalogue/file_replace.h"  // ReplaceFileContents

namespace vantrel {

// A name the server or an archive hands us may only name one file in the folder we chose:
// not empty, no "/" or "\", no "..", no control characters.
bool IsPlainFileName(std::u16string_view name);

// The name as a path component (UTF-8 on Linux).
std::filesystem::path FileNamePath(std::u16string_view name);

// Creates or truncates `file` and writes `bytes`. False when any step fails.
bool WriteWholeFile(const std::filesystem::path& file, std::string_view bytes);

// Renames `from` to `to` only when `to` does not exist yet.
bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace vantrel
