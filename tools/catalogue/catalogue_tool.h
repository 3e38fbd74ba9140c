#pragma once
// The commands of vantrel-catalogue. Each returns the process exit code; errors are one line on
// `err`, results go to `out` as UTF-8.
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

#include "catalogue/catalogue_file.h"

namespace vantrel::tool {

int ListCatalogue(const std::filesystem::path& file, std::ostream& out, std::ostream& err);
int PackCatalogueFile(const std::filesystem::path& xml, const std::filesystem::path& output, std::ostream& err);
int UnpackCatalogue(const std::filesystem::path& file, std::ostream& out, std::ostream& err);
// Reads a guide file or address as the player would at `now`, prints its channels and what
// was dropped, and with `channel` (an id or a name) that channel's now/next and day.
int GuideCommand(const std::string& fileOrAddress, const std::optional<std::string>& channel, std::int64_t now,
                 std::ostream& out, std::ostream& err);

// Why a catalogue failed to load, for the one error line.
std::string DescribeFailure(CatalogueStatus status);

}  // namespace vantrel::tool
