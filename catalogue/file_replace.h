#pragma once
#include <filesystem>
#include <string_view>

namespace vantrel {

// Writes `bytes` to a new file beside `path` and renames it over `path`, so that a failed or
// interrupted write never loses the previous file. False (and nothing changed) on failure.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes);

}  // namespace vantrel
