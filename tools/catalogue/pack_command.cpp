#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>

#include "base/text_codec.h"
#include "catalogue/catalogue_file.h"
#include "catalogue/channel_list.h"
#include "catalogue/file_replace.h"
#include "tools/catalogue/catalogue_tool.h"

namespace vantrel::tool {

namespace {

constexpr std::string_view kPrefix = "vantrel-catalogue: ";

// The XML declaration at the start of `text`: [begin, end) with end after "?>".
bool FindDeclaration(std::u16string_view text, size_t& begin, size_t& end) {
  begin = !text.empty() && text[0] == u'\uFEFF' ? 1 : 0;
  if (text.substr(begin, 6) != u"<?xml " && text.substr(begin, 6) != u"<?xml\t" &&
      text.substr(begin, 6) != u"<?xml\r" && text.substr(begin, 6) != u"<?xml\n")
    return false;
  end = text.find(u"?>", begin);
  if (end == std::u16string_view::npos) return false;
  end += 2;
  return true;
}

// Where the encoding's value stands inside the declaration: [valueBegin, valueEnd).
bool FindEncodingValue(std::u16string_view text, size_t begin, size_t end, size_t& valueBegin, size_t& valueEnd) {
  size_t at = text.find(u"encoding", begin);
  if (at == std::u16string_view::npos || at >= end) return false;
  at += 8;
  while (at < end && (text[at] == u' ' || text[at] == u'=' || text[at] == u'\t')) ++at;
  if (at >= end || (text[at] != u'"' && text[at] != u'\'')) return false;
  const char16_t quote = text[at];
  valueBegin = at + 1;
  valueEnd = text.find(quote, valueBegin);
  return valueEnd != std::u16string_view::npos && valueEnd < end;
}

std::u16string DeclaredEncoding(std::u16string_view text) {
  size_t begin, end, vb, ve;
  if (!FindDeclaration(text, begin, end) || !FindEncodingValue(text, begin, end, vb, ve)) return {};
  std::u16string value(text.substr(vb, ve - vb));
  for (auto& c : value)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 0x20);
  return value;
}

// Makes the declaration name `encoding`; without a declaration, one is added when asked.
void SetDeclaredEncoding(std::u16string& text, std::u16string_view encoding, bool add) {
  size_t begin, end, vb, ve;
  if (!FindDeclaration(text, begin, end)) {
    if (add) text.insert(0, u"<?xml version=\"1.0\" encoding=\"" + std::u16string(encoding) + u"\"?>\n");
    return;
  }
  if (FindEncodingValue(text, begin, end, vb, ve))
    text.replace(vb, ve - vb, encoding);
  else
    text.insert(end - 2, u" encoding=\"" + std::u16string(encoding) + u"\"");
}

bool DecodeXmlFile(const std::string& bytes, std::u16string& text, std::string& problem) {
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    const bool little = bytes[0] == '\xFF';
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
      text.push_back(static_cast<char16_t>(little ? a | (b << 8) : (a << 8) | b));
    }
    return true;
  }
  const std::string_view body = bytes.starts_with("\xEF\xBB\xBF") ? std::string_view(bytes).substr(3) : bytes;
  const size_t declarationEnd = body.find("?>");
  const std::u16string ascii =
      Cp1251ToUtf16(body.substr(0, declarationEnd == std::string_view::npos ? 0 : declarationEnd + 2));
  const std::u16string declared = DeclaredEncoding(ascii);
  if (declared == u"windows-1251" || declared == u"cp1251") {
    text = Cp1251ToUtf16(body);
    return true;
  }
  text = Utf8ToUtf16(body);
  if (Utf16ToUtf8(text) != body) {
    problem = "is not valid UTF-8 (a Windows-1251 file must declare encoding=\"windows-1251\")";
    return false;
  }
  return true;
}

// Where the text stops being storable: a zero (the reader ends there) or a character the code
// page lacks. Empty when all is well.
std::string CheckStorable(const std::u16string& text, const std::string& bytes) {
  const std::u16string back = Cp1251ToUtf16(bytes);
  for (size_t i = 0, line = 1; i < text.size(); ++i) {
    if (text[i] == u'\n') ++line;
    if (text[i] == 0 || back[i] != text[i]) {
      std::ostringstream s;
      s << "line " << line << ": character U+" << std::hex << std::uppercase << static_cast<unsigned>(text[i])
        << (text[i] == 0 ? " ends the text early" : " cannot be written in Windows-1251");
      return s.str();
    }
  }
  return {};
}

}  // namespace

int PackCatalogueFile(const std::filesystem::path& xml, const std::filesystem::path& output, std::ostream& err) {
  std::ifstream in(xml, std::ios::binary);
  if (!in) {
    err << kPrefix << xml.string() << ": cannot be read\n";
    return 1;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::u16string text;
  std::string problem;
  if (!DecodeXmlFile(bytes, text, problem)) {
    err << kPrefix << xml.string() << ": " << problem << '\n';
    return 1;
  }
  if (!text.empty() && text[0] == u'\uFEFF') text.erase(0, 1);
  SetDeclaredEncoding(text, u"windows-1251", true);
  CChannelList check({}, {});
  if (const CatalogueStatus status = check.LoadCatalogueXml(text); status != CatalogueStatus::kOk) {
    err << kPrefix << xml.string() << ": " << DescribeFailure(status) << '\n';
    return 1;
  }
  const std::string encoded = Utf16ToCp1251(text);
  if (problem = CheckStorable(text, encoded); !problem.empty()) {
    err << kPrefix << xml.string() << ": " << problem << '\n';
    return 1;
  }
  std::string archive;
  if (!PackCatalogue(encoded, archive)) {
    err << kPrefix << xml.string() << ": too large: " << PackedTextSize(encoded.size())
        << " bytes of Base64 text, the program reads at most " << kCatalogueBufferSize << '\n';
    return 1;
  }
  if (!ReplaceFileContents(output, archive)) {
    err << kPrefix << output.string() << ": cannot be written\n";
    return 1;
  }
  return 0;
}

int UnpackCatalogue(const std::filesystem::path& file, std::ostream& out, std::ostream& err) {
  std::string bytes;
  if (const CatalogueStatus status = ReadCatalogueText(file, bytes); status != CatalogueStatus::kOk) {
    err << kPrefix << file.string() << ": " << DescribeFailure(status) << '\n';
    return 1;
  }
  std::u16string text = Cp1251ToUtf16(bytes);
  SetDeclaredEncoding(text, u"UTF-8", false);  // the text printed is UTF-8 now
  out << Utf16ToUtf8(text);
  return 0;
}

}  // namespace vantrel::tool
