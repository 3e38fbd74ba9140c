#include "catalogue/channel_xml.h"

#include <climits>
#include <string>

#include "catalogue/xml_document.h"

namespace vantrel {

namespace {

// atoi over any character type: the catalogue's numbers are read straight from the parser's
// UTF-8, the same digits as their UTF-16 text.
template <typename Char>
int32_t ParseDigits(std::basic_string_view<Char> text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{INT32_MAX} + 1) value = int64_t{INT32_MAX} + 1;  // stays saturated
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

bool ReadNumber(pugi::xml_node node, const char* name, int32_t& value) {
  const pugi::xml_attribute attribute = node.attribute(name);
  if (!attribute) return false;
  value = ParseDigits(std::string_view(attribute.value()));
  return true;
}

}  // namespace

int32_t ParseDecimal(std::u16string_view text) { return ParseDigits(text); }

bool ReadChannel(pugi::xml_node node, CChannel& channel) {
  channel = CChannel{};
  if (node.type() != pugi::node_element) return false;
  if (!ReadNumber(node, "id", channel.id)) return false;
  if (!XmlGetAttribute(node, "name", channel.name)) return false;
  if (!ReadNumber(node, "type", channel.type)) return false;
  if (!XmlGetAttribute(node, "URL", channel.URL)) return false;
  // One pass over the children; the first element of each name counts.
  bool seen[5] = {};
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element) continue;
    const std::string_view name = child.name();
    const int slot = name == "description" ? 0 : name == "genre" ? 1 : name == "country" ? 2
                   : name == "site_URL" ? 3 : name == "BPS" ? 4 : -1;
    if (slot < 0 || seen[slot]) continue;
    seen[slot] = true;
    if (slot == 4) {
      channel.BPS = ParseDecimal(XmlElementText(child));
    } else {
      std::u16string* const fields[] = {&channel.description, &channel.genre, &channel.country, &channel.site_URL};
      *fields[slot] = XmlElementText(child);
    }
  }
  return true;
}

void ReadChannels(pugi::xml_node root, std::vector<CChannel>& into) {
  size_t children = 0;
  for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling()) ++children;
  into.reserve(into.size() + children);
  CChannel channel;
  for (pugi::xml_node child : root.children())
    if (ReadChannel(child, channel)) into.push_back(std::move(channel));
}

void WriteChannel(pugi::xml_node parent, const CChannel& channel) {
  pugi::xml_node element = XmlAppendElement(parent, "channel");
  if (!element) return;
  XmlSetAttribute(element, "id", Utf16Decimal(channel.id));
  XmlSetAttribute(element, "name", channel.name);
  XmlSetAttribute(element, "type", Utf16Decimal(channel.type));
  XmlSetAttribute(element, "URL", channel.URL);
  const std::u16string bps = Utf16Decimal(channel.BPS);
  const std::pair<const char*, const std::u16string*> children[] = {
      {"description", &channel.description}, {"genre", &channel.genre}, {"site_URL", &channel.site_URL},
      {"BPS", &bps}, {"country", &channel.country}};
  for (const auto& [name, text] : children) {
    pugi::xml_node child = XmlAppendElement(element, name);
    if (!child) return;
    XmlSetText(child, *text);
  }
}

}  // namespace vantrel
