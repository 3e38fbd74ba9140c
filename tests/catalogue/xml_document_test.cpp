#include <gtest/gtest.h>

#include "base/text_codec.h"
#include "catalogue/xml_document.h"
#include "tests/updates/zip_test_support.h"

namespace vantrel {
namespace {

using namespace testing;

// Malformed text gives no document; so does text with no element at all.
TEST(XmlLayer, MalformedTextGivesNothing) {
  EXPECT_FALSE(XmlLoadText(u"<a><b></a>"));
  EXPECT_FALSE(XmlLoadText(u"<a x=\"1></a>"));
  EXPECT_FALSE(XmlLoadText(u""));
  EXPECT_FALSE(XmlLoadText(u"just text"));
  EXPECT_TRUE(XmlLoadText(u"<?xml version=\"1.0\" encoding=\"windows-1251\"?><a>Ж</a>"));
}

// Attribute and child reads: presence is what counts, absent leaves the output untouched,
// text content joins nested text, a text node has no attributes.
TEST(XmlLayer, Reading) {
  const XmlDocument doc = XmlLoadText(uR"(<r a="" b="знач&amp;"><c>one<i>two</i><![CDATA[<3>]]></c><c>second</c><e/></r>)");
  ASSERT_TRUE(doc);
  const pugi::xml_node root = XmlSelectRoot(*doc, "r");
  ASSERT_TRUE(root);
  EXPECT_FALSE(XmlSelectRoot(*doc, "c"));
  std::u16string out = u"untouched";
  EXPECT_TRUE(XmlGetAttribute(root, "a", out));
  EXPECT_EQ(out, u"");
  EXPECT_TRUE(XmlGetAttribute(root, "b", out));
  EXPECT_EQ(out, u"знач&");
  out = u"untouched";
  EXPECT_FALSE(XmlGetAttribute(root, "z", out));
  EXPECT_FALSE(XmlGetChildText(root, "missing", out));
  EXPECT_EQ(out, u"untouched");
  EXPECT_TRUE(XmlGetChildText(root, "c", out));
  EXPECT_EQ(out, u"onetwo<3>");
  EXPECT_TRUE(XmlGetChildText(root, "e", out));
  EXPECT_EQ(out, u"");
  const pugi::xml_node text = root.child("c").first_child();
  EXPECT_FALSE(XmlGetAttribute(text, "a", out));
}

// A new document has its root; attributes keep the order they were first set in; saving and
// loading the file gives back every text as it was.
TEST(XmlLayer, BuildSaveAndReload) {
  TempFolder dir;
  XmlDocument doc = XmlNewDocument("favorites");
  ASSERT_TRUE(doc);
  pugi::xml_node root = XmlSelectRoot(*doc, "favorites");
  ASSERT_TRUE(root);
  pugi::xml_node item = XmlAppendElement(root, "channel");
  XmlSetAttribute(item, "b", u"first");
  XmlSetAttribute(item, "a", u"quote\" apos' lt< amp& \r\n\ttab");
  XmlSetAttribute(item, "b", u"replaced");
  const std::u16string texts[] = {u"Ёжик в тумане", u"  padded  ", u" ", u"\n", u"a & b < c > d", u""};
  for (const auto& t : texts) EXPECT_TRUE(XmlSetText(XmlAppendElement(item, "t"), t));
  EXPECT_FALSE(XmlSetText(pugi::xml_node(), u"x"));
  ASSERT_TRUE(XmlSaveFile(*doc, dir / "f.xml"));

  const XmlDocument back = XmlLoadFile(dir / "f.xml");
  ASSERT_TRUE(back);
  const pugi::xml_node again = XmlSelectRoot(*back, "favorites").child("channel");
  EXPECT_EQ(std::string(again.first_attribute().name()), "b");
  std::u16string value;
  XmlGetAttribute(again, "b", value);
  EXPECT_EQ(value, u"replaced");
  XmlGetAttribute(again, "a", value);
  EXPECT_EQ(value, u"quote\" apos' lt< amp& \r\n\ttab");
  size_t i = 0;
  for (pugi::xml_node t : again.children("t")) {
    std::string all;
    for (pugi::xml_node piece : t.children()) all += piece.value();
    EXPECT_EQ(all, Utf16ToUtf8(texts[i])) << i;
    ++i;
  }
  EXPECT_EQ(i, std::size(texts));
}

// Files in UTF-16 with a byte-order mark are detected; a missing file gives nothing.
TEST(XmlLayer, FileEncodingsAndMissingFiles) {
  TempFolder dir;
  WriteBytes(dir / "u16.xml", std::string("\xFF\xFE<\0r\0 \0a\0=\0\"\0\x16\x04\"\0/\0>\0", 22));
  const XmlDocument doc = XmlLoadFile(dir / "u16.xml");
  ASSERT_TRUE(doc);
  std::u16string value;
  EXPECT_TRUE(XmlGetAttribute(XmlSelectRoot(*doc, "r"), "a", value));
  EXPECT_EQ(value, u"Ж");
  EXPECT_FALSE(XmlLoadFile(dir / "absent.xml"));
}

// Only the five predefined entities and character references to allowed characters are
// references: anything else after "&" in text or an attribute is not well-formed, so the
// document is refused, while "&" in CDATA, comments and processing instructions is plain text.
TEST(XmlLayer, ReferencesXmlDoesNotDefineAreRefused) {
  for (const char16_t* bad : {u"<r>a&nbsp;b</r>", u"<r a=\"&nbsp;\"/>", u"<r><c x=\"1\" y=\"&copy;\"/></r>",
                              u"<r>fish & chips</r>", u"<r a=\"&\"/>", u"<r>&amp</r>", u"<r>&#;</r>", u"<r>&#x;</r>",
                              u"<r>&#0;</r>", u"<r>&#x1F;</r>", u"<r>&#xD800;</r>", u"<r>&#xFFFE;</r>",
                              u"<r>&#x110000;</r>", u"<r>&#99999999999;</r>", u"<r>&#12a;</r>", u"<r>&#X41;</r>",
                              u"<!DOCTYPE r [<!ENTITY e \"x\">]><r>&e;</r>"}) {
    EXPECT_FALSE(XmlLoadText(bad)) << Utf16ToUtf8(bad);
    EXPECT_FALSE(XmlLoadUtf8Text(Utf16ToUtf8(bad))) << Utf16ToUtf8(bad);
  }
  TempFolder dir;
  WriteBytes(dir / "f.xml", "<favorites><channel name=\"a&nbsp;b\"/></favorites>");
  EXPECT_FALSE(XmlLoadFile(dir / "f.xml"));

  const XmlDocument doc = XmlLoadText(
      u"<!DOCTYPE r [<!ENTITY e \"&amp;\">]><?pi a&b?><!-- &nbsp; --><r a=\"&lt;&#1046;&#x436;&gt;\" "
      u"b=\"x&#10;y&#9;\"><![CDATA[&nbsp;]]>&quot;&apos;&amp;&#x1F600;<c>&#65;&amp;amp;</c></r>");
  ASSERT_TRUE(doc);
  const pugi::xml_node root = XmlSelectRoot(*doc, "r");
  std::u16string value;
  EXPECT_TRUE(XmlGetAttribute(root, "a", value));
  EXPECT_EQ(value, u"<Жж>");
  EXPECT_TRUE(XmlGetAttribute(root, "b", value));
  EXPECT_EQ(value, u"x\ny\t");
  EXPECT_EQ(XmlElementText(root), u"&nbsp;\"'&\U0001F600A&amp;");
}

// Text content nested far deeper than a call stack could follow is still gathered.
TEST(XmlLayer, DeeplyNestedTextContent) {
  constexpr int kDepth = 1'000'000;
  std::u16string xml = u"<r><d>";
  for (int i = 0; i < kDepth; ++i) xml += u"<i>";
  xml += u"deep";
  for (int i = 0; i < kDepth; ++i) xml += u"</i>";
  xml += u"tail</d></r>";
  const XmlDocument doc = XmlLoadText(xml);
  ASSERT_TRUE(doc);
  std::u16string text;
  EXPECT_TRUE(XmlGetChildText(XmlSelectRoot(*doc, "r"), "d", text));
  EXPECT_EQ(text, u"deeptail");
}

}  // namespace
}  // namespace vantrel
