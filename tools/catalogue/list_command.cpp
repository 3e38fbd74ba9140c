#include <ostream>

#include "base/text_codec.h"
#include "catalogue/channel_list.h"
#include "catalogue/channel_tree.h"
#include "tools/catalogue/catalogue_tool.h"

namespace vantrel::tool {

// One item per line: line breaks and tabs inside texts are shown escaped.
std::string Printable(std::u16string_view text) {
  std::string out;
  for (char c : Utf16ToUtf8(text)) {
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\\': out += "\\\\"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

namespace {

void PrintCounts(const char* title, const ChannelCounts& counts, std::ostream& out) {
  out << title << ":\n";
  for (const auto& [key, count] : counts) out << "  \"" << Printable(key) << "\": " << count << '\n';
}

void PrintTree(const char* title, const std::vector<ChannelTreeNode>& nodes, std::ostream& out) {
  out << title << ":\n";
  for (const auto& top : nodes) {
    out << "  " << Printable(top.label) << '\n';
    for (const auto& group : top.children) {
      out << "    " << Printable(group.label) << '\n';
      for (const auto& leaf : group.children) out << "      " << Printable(leaf.label) << '\n';
    }
  }
}

}  // namespace

std::string DescribeFailure(CatalogueStatus status) {
  switch (status) {
    case CatalogueStatus::kOk: return "loaded";
    case CatalogueStatus::kCannotOpen: return "cannot be opened as a zip archive";
    case CatalogueStatus::kNotOneMember: return "the archive must hold exactly one member";
    case CatalogueStatus::kBadXml: return "the decoded text is not well-formed XML";
    case CatalogueStatus::kNoRoot: return "the XML has no root element \"channels\"";
    case CatalogueStatus::kNoVersion: return "the root element has no \"version\" attribute";
  }
  return "unknown failure";
}

int ListCatalogue(const std::filesystem::path& file, std::ostream& out, std::ostream& err) {
  CChannelList list(file, {});
  const CatalogueStatus status = list.LoadCatalogue();
  if (status != CatalogueStatus::kOk) {
    err << "vantrel-catalogue: " << file.string() << ": " << DescribeFailure(status) << '\n';
    return 1;
  }
  out << "version: " << list.version << '\n';
  out << "channels: " << list.channels.size() << '\n';
  for (size_t i = 0; i < list.channels.size(); ++i) {
    const CChannel& c = list.channels[i];
    out << "channel " << i + 1 << ":\n"
        << "  id: " << c.id << '\n'
        << "  type: " << c.type << '\n'
        << "  BPS: " << c.BPS << '\n'
        << "  name: " << Printable(c.name) << '\n'
        << "  URL: " << Printable(c.URL) << '\n'
        << "  site_URL: " << Printable(c.site_URL) << '\n'
        << "  description: " << Printable(c.description) << '\n'
        << "  genre: " << Printable(c.genre) << '\n'
        << "  country: " << Printable(c.country) << '\n';
  }
  PrintCounts("countries", list.countryCounts, out);
  PrintCounts("genres", list.genreCounts, out);
  PrintTree("by country", BuildChannelTree(list, ChannelGrouping::kByCountry), out);
  PrintTree("by genre", BuildChannelTree(list, ChannelGrouping::kByGenre), out);
  return 0;
}

}  // namespace vantrel::tool
