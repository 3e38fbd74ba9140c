#pragma once
// The catalogue file: a zip archive of one member holding Base64 text of Windows-1251 XML.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace vantrel {

// The most the program reads of the member, and of the decoded text.
inline constexpr size_t kCatalogueBufferSize = 655360;

enum class CatalogueStatus {
  kOk,
  kCannotOpen,    // missing, unreadable or not a zip archive
  kNotOneMember,  // the archive holds no member or more than one
  kBadXml,        // the decoded text is not well-formed XML
  kNoRoot,        // no root element "channels"
  kNoVersion,     // the root has no "version" attribute
};

// Unzips the only member (its first kCatalogueBufferSize bytes, up to the first zero byte),
// decodes the Base64 and gives the bytes up to their first zero: Windows-1251 XML text.
// A damaged member is not an error here: it leaves text that fails later.
CatalogueStatus ReadCatalogueText(const std::filesystem::path& file, std::string& text);

// Windows-1251 to UTF-8 in one step, the parser's own encoding.
std::string Cp1251ToUtf8(std::string_view text);

// Builds a catalogue file from Windows-1251 XML text: Base64 in lines of 76 characters,
// one deflated member. False when the Base64 text would exceed what the program reads.
bool PackCatalogue(std::string_view text, std::string& archive);
// The size of the Base64 text PackCatalogue makes of `byteCount` bytes.
size_t PackedTextSize(size_t byteCount);

}  // namespace vantrel
