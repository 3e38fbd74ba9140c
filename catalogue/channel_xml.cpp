#include "catalogue/channel_xml.h"

#include <climits>
#include <string>

#include "catalogue/xml_document.h"

namespace vantrel {

int32_t ParseDecimal(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > int64_t{INT32_MAX} + 1) value = int64_t{INT32_MAX} + 1;  // stays saturated
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

bool ReadChannel(pugi::xml_node node, CChannel& channel) {
  channel = CChannel{};
  std::u16string number;
  if (!XmlGetAttribute(node, "id", number)) return false;
  channel.id = ParseDecimal(number);
  if (!XmlGetAttribute(node, "name", channel.name)) return false;
  if (!XmlGetAttribute(node, "type", number)) return false;
  channel.type = ParseDecimal(number);
  if (!XmlGetAttribute(node, "URL", channel.URL)) return false;
  XmlGetChildText(node, "description", channel.description);
  XmlGetChildText(node, "genre", channel.genre);
  XmlGetChildText(node, "country", channel.country);
  XmlGetChildText(node, "site_URL", channel.site_URL);
  if (XmlGetChildText(node, "BPS", number)) channel.BPS = ParseDecimal(number);
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
