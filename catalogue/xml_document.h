#pragma once
// The XML access layer the catalogue and favourites files go through: documents are parsed
// and built in memory, texts cross as UTF-16, files are written as UTF-8 without a declaration
// (which loading detects by itself).
#include <pugixml.hpp>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace vantrel {

using XmlDocument = std::unique_ptr<pugi::xml_document>;

// Parses a whole text; null unless it is well-formed. A declared encoding is ignored: the text
// is already Unicode.
XmlDocument XmlLoadText(std::u16string_view text);
// The same for text already in UTF-8 (what the parser reads natively, so no conversion).
XmlDocument XmlLoadUtf8Text(std::string_view text);
// Parses a file (UTF-8, or UTF-16/32 with a byte-order mark); null when missing or malformed.
XmlDocument XmlLoadFile(const std::filesystem::path& path);
// A document holding one empty element `name`.
XmlDocument XmlNewDocument(const char* name);

// The document's root element when it is called `name`, else an empty node.
pugi::xml_node XmlSelectRoot(const pugi::xml_document& document, const char* name);

// True when `node` is an element carrying attribute `name`; its value goes to `value`.
bool XmlGetAttribute(pugi::xml_node node, const char* name, std::u16string& value);
// True when `node` has a child element `name`; the first one's whole text content (all its
// text, nested elements included) goes to `text`. `text` is untouched otherwise.
bool XmlGetChildText(pugi::xml_node node, const char* name, std::u16string& text);

// The whole text content of an element (all its text, nested elements included).
std::u16string XmlElementText(pugi::xml_node element);

// Appends a new element as the parent's last child; an empty node on failure.
pugi::xml_node XmlAppendElement(pugi::xml_node parent, const char* name);
// Adds the attribute, or replaces the value of one of that name (keeping its place).
void XmlSetAttribute(pugi::xml_node element, const char* name, std::u16string_view value);
// Replaces the element's content by `text`; false for a node that cannot hold text.
bool XmlSetText(pugi::xml_node node, std::u16string_view text);

// Writes the document to `path` as a whole; the old file stays until the new one is complete.
bool XmlSaveFile(const pugi::xml_document& document, const std::filesystem::path& path);

}  // namespace vantrel
