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

// Why a catalogue failed to load, for the one error line.
std::string DescribeFailure(CatalogueStatus status);

}  // namespace vantrel::tool
