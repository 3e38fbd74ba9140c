#include "catalogue/xml_document.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "base/text_codec.h"
#include "catalogue/file_replace.h"

namespace vantrel {

namespace {

// Whitespace-only text between elements is layout and is dropped; as the only content of an
// element it is data and is kept, so a saved document reads back as it was. References are
// left raw by the parser, which would keep an undefined one as text: ResolveReferences
// decodes them and refuses the document over one XML does not define.
constexpr unsigned kParseOptions = (pugi::parse_default | pugi::parse_ws_pcdata_single) & ~pugi::parse_escapes;

// A code point the XML Char production allows.
bool IsXmlChar(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

void AppendUtf8(uint32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The character a reference body (between "&" and ";") stands for: one of the five entities
// XML predefines, or a character reference to a character XML allows. False for anything else:
// entities a document type might declare are not expanded, so they are refused as well.
bool DecodeReference(std::string_view body, std::string& out) {
  static constexpr std::pair<std::string_view, char> kPredefined[] = {
      {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
  for (const auto& [name, c] : kPredefined) {
    if (body == name) {
      out += c;
      return true;
    }
  }
  if (body.size() < 2 || body[0] != '#') return false;
  const bool hex = body[1] == 'x';
  const std::string_view digits = body.substr(hex ? 2 : 1);
  if (digits.empty()) return false;
  uint32_t code = 0;
  for (const char d : digits) {
    int value = -1;
    if (d >= '0' && d <= '9') value = d - '0';
    else if (hex && d >= 'a' && d <= 'f') value = d - 'a' + 10;
    else if (hex && d >= 'A' && d <= 'F') value = d - 'A' + 10;
    if (value < 0) return false;
    code = code * (hex ? 16 : 10) + static_cast<uint32_t>(value);
    if (code > 0x10FFFF) return false;
  }
  if (!IsXmlChar(code)) return false;
  AppendUtf8(code, out);
  return true;
}

// Decodes every reference of a text or attribute value as the parser left it; false when one
// is not well-formed ("&" without a name and ";", or a name XML does not define).
bool DecodeReferences(std::string_view raw, std::string& out) {
  out.clear();
  for (size_t at = 0;;) {
    const size_t amp = raw.find('&', at);
    out.append(raw.substr(at, amp - at));
    if (amp == std::string_view::npos) return true;
    const size_t semicolon = raw.find(';', amp + 1);
    if (semicolon == std::string_view::npos || !DecodeReference(raw.substr(amp + 1, semicolon - amp - 1), out))
      return false;
    at = semicolon + 1;
  }
}

// Decodes one value in place when it holds a reference.
template <typename Holder>
bool ResolveValue(Holder holder) {
  const char* value = holder.value();
  if (!std::strchr(value, '&')) return true;
  std::string decoded;
  return DecodeReferences(value, decoded) && holder.set_value(decoded.c_str());
}

// References live only in text and attribute values; CDATA, comments, processing
// instructions and the document type keep "&" as it stands. Walks without recursion, as
// nesting is as deep as the text makes it.
bool ResolveReferences(pugi::xml_document& document) {
  pugi::xml_node node = document.first_child();
  while (node) {
    if (node.type() == pugi::node_pcdata && !ResolveValue(node)) return false;
    if (node.type() == pugi::node_element) {
      for (pugi::xml_attribute attribute : node.attributes())
        if (!ResolveValue(attribute)) return false;
    }
    if (node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node && !node.next_sibling()) node = node.parent();
    if (node) node = node.next_sibling();
  }
  return true;
}

XmlDocument Checked(XmlDocument document, const pugi::xml_parse_result& result) {
  return result && ResolveReferences(*document) ? std::move(document) : nullptr;
}

// All text under `node` in document order, walked without recursion: a description can nest
// elements as deep as its text allows.
void AppendText(pugi::xml_node node, std::string& out) {
  pugi::xml_node child = node.first_child();
  while (child) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) out += child.value();
    if (child.type() == pugi::node_element && child.first_child()) {
      child = child.first_child();
      continue;
    }
    while (child != node && !child.next_sibling()) child = child.parent();
    child = child == node ? pugi::xml_node() : child.next_sibling();
  }
}

struct StringWriter : pugi::xml_writer {
  std::string text;
  void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

}  // namespace

XmlDocument XmlLoadText(std::u16string_view text) {
  auto document = std::make_unique<pugi::xml_document>();
  const auto result = document->load_buffer(text.data(), text.size() * sizeof(char16_t), kParseOptions,
                                            pugi::encoding_utf16);
  return Checked(std::move(document), result);
}

XmlDocument XmlLoadUtf8Text(std::string_view text) {
  auto document = std::make_unique<pugi::xml_document>();
  const auto result = document->load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
  return Checked(std::move(document), result);
}

XmlDocument XmlLoadFile(const std::filesystem::path& path) {
  auto document = std::make_unique<pugi::xml_document>();
  const auto result = document->load_file(path.c_str(), kParseOptions, pugi::encoding_auto);
  return Checked(std::move(document), result);
}

XmlDocument XmlNewDocument(const char* name) {
  return XmlLoadText(Utf8ToUtf16(std::string("<") + name + " />"));
}

pugi::xml_node XmlSelectRoot(const pugi::xml_document& document, const char* name) {
  const pugi::xml_node root = document.document_element();
  return std::string_view(root.name()) == name ? root : pugi::xml_node();
}

bool XmlGetAttribute(pugi::xml_node node, const char* name, std::u16string& value) {
  if (node.type() != pugi::node_element) return false;
  const pugi::xml_attribute attribute = node.attribute(name);
  if (!attribute) return false;
  value = Utf8ToUtf16(attribute.value());
  return true;
}

std::u16string XmlElementText(pugi::xml_node element) {
  const pugi::xml_node first = element.first_child();
  if (!first) return {};
  if (!first.next_sibling() && (first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata))
    return Utf8ToUtf16(first.value());  // the common case: one piece of text
  std::string all;
  AppendText(element, all);
  return Utf8ToUtf16(all);
}

bool XmlGetChildText(pugi::xml_node node, const char* name, std::u16string& text) {
  const pugi::xml_node child = node.child(name);
  if (child.type() != pugi::node_element) return false;
  text = XmlElementText(child);
  return true;
}

pugi::xml_node XmlAppendElement(pugi::xml_node parent, const char* name) {
  return parent.append_child(name);
}

void XmlSetAttribute(pugi::xml_node element, const char* name, std::u16string_view value) {
  if (element.type() != pugi::node_element) return;
  pugi::xml_attribute attribute = element.attribute(name);
  if (!attribute) attribute = element.append_attribute(name);
  attribute.set_value(Utf16ToUtf8(value).c_str());
}

bool XmlSetText(pugi::xml_node node, std::u16string_view text) {
  if (node.type() != pugi::node_element) return false;
  while (node.first_child()) node.remove_child(node.first_child());
  if (text.empty()) return true;
  return node.append_child(pugi::node_pcdata).set_value(Utf16ToUtf8(text).c_str());
}

bool XmlSaveFile(const pugi::xml_document& document, const std::filesystem::path& path) {
  StringWriter writer;
  document.save(writer, "\t", pugi::format_default | pugi::format_no_declaration, pugi::encoding_utf8);
  return ReplaceFileContents(path, writer.text);
}

}  // namespace vantrel
