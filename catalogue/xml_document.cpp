#include "catalogue/xml_document.h"

#include "base/text_codec.h"
#include "catalogue/file_replace.h"

namespace vantrel {

namespace {

// Whitespace-only text between elements is layout and is dropped; as the only content of an
// element it is data and is kept, so a saved document reads back as it was.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

XmlDocument Checked(XmlDocument document, const pugi::xml_parse_result& result) {
  return result ? std::move(document) : nullptr;
}

void AppendText(pugi::xml_node node, std::string& out) {
  for (pugi::xml_node child : node.children()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
      out += child.value();
    } else if (child.type() == pugi::node_element) {
      AppendText(child, out);
    }
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
