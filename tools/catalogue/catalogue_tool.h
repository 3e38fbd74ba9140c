#pragma once
// The commands of vantrel-catalogue. Each returns the process exit code; errors are one line on
// `err`, results go to `out` as UTF-8.
#include <filesystem>
#include <iosfwd>
#include <string>

#include "catalogue/catalogue_file.h"

namespace vantrel::tool {

int ListCatalogue(const std::filesystem::path& file, std::ostream& out, std::ostream& err);
int PackCatalogueFile(const std::filesystem::path& xml, const std::filesystem::path& output, std::ostream& err);
int UnpackCatalogue(const std::filesystem::path& file, std::ostream& out, std::ostream& err);

// `list` of a playlist (M3U, M3U8, PLS): the channels, then the entries skipped; exit 1 when
// the file is refused.
int ListPlaylist(const std::filesystem::path& file, std::ostream& out, std::ostream& err);
// `list`: ListPlaylist when IsPlaylistFile, else ListCatalogue.
int ListFile(const std::filesystem::path& file, std::ostream& out, std::ostream& err);
// Whether `list` reads FILE as a playlist: by its extension, or by its first line.
bool IsPlaylistFile(const std::filesystem::path& file);
// A text on one line, as UTF-8: line breaks, tabs and backslashes escaped.
std::string Printable(std::u16string_view text);

// Why a catalogue failed to load, for the one error line.
std::string DescribeFailure(CatalogueStatus status);

}  // namespace vantrel::tool
