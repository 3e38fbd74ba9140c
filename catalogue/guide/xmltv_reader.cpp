#include "catalogue/guide/xmltv_reader.h"

#include <expat.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "base/text_codec.h"
#include "catalogue/guide/guide_bytes.h"
#include "catalogue/guide/xmltv_time.h"

namespace vantrel {
namespace {

// "ru", "ru-RU", "ru_RU", "rus" all say Russian.
bool IsRussian(const char* lang) {
  return lang && lang[0] == 'r' && lang[1] == 'u' && (lang[2] == 0 || lang[2] == '-' || lang[2] == '_' ||
                                                      (lang[2] == 's' && lang[3] == 0));
}

const char* Attribute(const XML_Char** atts, const char* name) {
  for (; atts && *atts; atts += 2)
    if (std::strcmp(atts[0], name) == 0) return atts[1];
  return nullptr;
}

// A text cut at the byte limit must not end inside a UTF-8 sequence.
void TrimPartialUtf8(std::string& text) {
  std::size_t i = text.size();
  std::size_t back = 0;
  while (i > 0 && back < 4 && (static_cast<unsigned char>(text[i - 1]) & 0xC0) == 0x80) --i, ++back;
  if (i == 0) return;
  const auto lead = static_cast<unsigned char>(text[i - 1]);
  const std::size_t need = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  if (need != back) text.resize(lead >= 0xC0 ? i - 1 : text.size());
}

// One text field of several languages: the Russian one wins, else the first.
struct LangText {
  std::string* target = nullptr;
  bool russian = false;
  bool set = false;
  void Offer(std::string& text, bool isRussian) {
    if (set && (russian || !isRussian)) return;
    *target = std::move(text);
    russian = isRussian;
    set = true;
  }
};

// Far beyond any real tag, far below what would hurt.
constexpr std::uint64_t kMaxPendingBytes = 8 << 20;

class CXmltvParser {
 public:
  CXmltvParser(const XmltvSink& sink, const XmltvLimits& limits) : m_sink(sink), m_limits(limits) {
    m_parser = XML_ParserCreate(nullptr);
    XML_SetUserData(m_parser, this);
    XML_SetElementHandler(m_parser, &OnStart, &OnEnd);
    XML_SetCharacterDataHandler(m_parser, &OnText);
    XML_SetEntityDeclHandler(m_parser, &OnEntityDecl);
    XML_SetUnknownEncodingHandler(m_parser, &OnUnknownEncoding, nullptr);
  }
  ~CXmltvParser() { XML_ParserFree(m_parser); }
  CXmltvParser(const CXmltvParser&) = delete;
  CXmltvParser& operator=(const CXmltvParser&) = delete;

  XmltvResult Run(CGuideBytes& bytes) {
    std::string chunk;
    for (;;) {
      const GuideBytesStatus got = bytes.Next(chunk);
      const bool last = got != GuideBytesStatus::kMore;
      // Only a real end of the text may end the document; after a failure the parser must not
      // report the cut as the document's own fault.
      const bool parsed = XML_Parse(m_parser, chunk.data(), static_cast<int>(chunk.size()),
                                    got == GuideBytesStatus::kEnd) == XML_STATUS_OK;
      m_fed += chunk.size();
      if (m_rootClosed) break;  // anything after the document is not read
      if (m_stop) {
        m_result.status = *m_stop;
        break;
      }
      if (!parsed) {
        Broken(XML_ErrorString(XML_GetErrorCode(m_parser)));
        break;
      }
      // Expat keeps an unfinished tag whole in memory: one that never ends is no guide.
      if (m_fed - m_lastEvent > kMaxPendingBytes) {
        Broken("a tag or comment is too long");
        break;
      }
      if (last) {
        if (got == GuideBytesStatus::kTooLarge) m_result.status = XmltvStatus::kTooLarge;
        else if (got == GuideBytesStatus::kBadGzip) Broken("broken gzip data");
        else if (got == GuideBytesStatus::kReadError) Broken("read error");
        break;
      }
    }
    return m_result;
  }

 private:
  enum class Field { kNone, kDisplayName, kTitle, kSubTitle, kDescription, kCategory };

  static void XMLCALL OnStart(void* self, const XML_Char* name, const XML_Char** atts) {
    static_cast<CXmltvParser*>(self)->Start(name, atts);
  }
  static void XMLCALL OnEnd(void* self, const XML_Char*) { static_cast<CXmltvParser*>(self)->End(); }
  static void XMLCALL OnText(void* self, const XML_Char* text, int length) {
    static_cast<CXmltvParser*>(self)->Text(text, static_cast<std::size_t>(length));
  }
  // Entity declarations have no place in a guide and are how expansion bombs are built.
  static void XMLCALL OnEntityDecl(void* self, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                                   const XML_Char*, const XML_Char*, const XML_Char*) {
    auto* parser = static_cast<CXmltvParser*>(self);
    parser->m_result.error = "entity declarations are not accepted";
    parser->Stop(XmltvStatus::kBroken);
  }
  // Russian guides are often in Windows-1251, which expat does not know by itself.
  static int XMLCALL OnUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
    std::string lower(name);
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (lower != "windows-1251" && lower != "cp1251") return XML_STATUS_ERROR;
    for (int b = 0; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      info->map[b] = Cp1251ToUtf16(std::string_view(&byte, 1))[0];
    }
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
  }

  void Stop(XmltvStatus status) {
    if (!m_stop) m_stop = status;
    XML_StopParser(m_parser, XML_FALSE);
  }

  void Broken(const char* why) {
    m_result.status = XmltvStatus::kBroken;
    if (m_result.error.empty()) m_result.error = why;
    m_result.line = XML_GetCurrentLineNumber(m_parser);
  }

  void Seen() { m_lastEvent = static_cast<std::uint64_t>(std::max<XML_Index>(0, XML_GetCurrentByteIndex(m_parser))); }

  void Start(const char* name, const XML_Char** atts) {
    Seen();
    ++m_depth;
    if (m_depth == 1) {
      if (std::strcmp(name, "tv") != 0) Stop(XmltvStatus::kNotXmltv);
    } else if (m_depth == 2) {
      StartItem(name, atts);
    } else if (m_depth == 3) {
      StartField(name, atts);
    }
  }

  void StartItem(const char* name, const XML_Char** atts) {
    if (std::strcmp(name, "channel") == 0) {
      m_inChannel = true;
      m_channel = {};
      const char* id = Attribute(atts, "id");
      m_channel.id = id ? id : "";
      TrimText(m_channel.id);
    } else if (std::strcmp(name, "programme") == 0) {
      m_inProgramme = true;
      m_programme = {};
      m_title = {&m_programme.title};
      m_subTitle = {&m_programme.subTitle};
      m_description = {&m_programme.description};
      m_category = {&m_programme.category};
      const char* start = Attribute(atts, "start");
      const char* stop = Attribute(atts, "stop");
      const char* channel = Attribute(atts, "channel");
      m_start = start ? start : "";
      m_stopText = stop ? stop : "";
      m_hasStop = stop != nullptr;
      m_programme.channel = channel ? channel : "";
      TrimText(m_programme.channel);
      m_programmeLine = XML_GetCurrentLineNumber(m_parser);
    }
  }

  void StartField(const char* name, const XML_Char** atts) {
    m_field = Field::kNone;
    if (m_inChannel && std::strcmp(name, "display-name") == 0) m_field = Field::kDisplayName;
    if (m_inProgramme) {
      if (std::strcmp(name, "title") == 0) m_field = Field::kTitle;
      else if (std::strcmp(name, "sub-title") == 0) m_field = Field::kSubTitle;
      else if (std::strcmp(name, "desc") == 0) m_field = Field::kDescription;
      else if (std::strcmp(name, "category") == 0) m_field = Field::kCategory;
    }
    m_fieldRussian = IsRussian(Attribute(atts, "lang"));
    m_text.clear();
  }

  void Text(const char* text, std::size_t length) {
    Seen();
    if (m_depth != 3 || m_field == Field::kNone) return;
    const std::size_t room = m_limits.maxTextBytes + 1 - std::min(m_text.size(), m_limits.maxTextBytes + 1);
    m_text.append(text, std::min(length, room));
  }

  void End() {
    Seen();
    if (m_depth == 3 && m_field != Field::kNone) EndField();
    if (m_depth == 2 && m_inChannel) EndChannel();
    if (m_depth == 2 && m_inProgramme) EndProgramme();
    if (m_depth == 1) {
      m_rootClosed = true;
      XML_StopParser(m_parser, XML_FALSE);
    }
    if (m_depth == 3) m_field = Field::kNone;
    --m_depth;
  }

  void TrimText(std::string& text) const {
    if (text.size() > m_limits.maxTextBytes) {
      text.resize(m_limits.maxTextBytes);
      TrimPartialUtf8(text);
    }
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return text.clear();
    text.erase(text.find_last_not_of(" \t\r\n") + 1);
    text.erase(0, first);
  }

  void EndField() {
    TrimText(m_text);
    switch (m_field) {
      case Field::kDisplayName:
        if (!m_text.empty() && m_channel.displayNames.size() < m_limits.maxDisplayNames)
          m_channel.displayNames.push_back(std::move(m_text));
        break;
      case Field::kTitle: m_title.Offer(m_text, m_fieldRussian); break;
      case Field::kSubTitle: m_subTitle.Offer(m_text, m_fieldRussian); break;
      case Field::kDescription: m_description.Offer(m_text, m_fieldRussian); break;
      case Field::kCategory: m_category.Offer(m_text, m_fieldRussian); break;
      case Field::kNone: break;
    }
    m_text.clear();
  }

  void EndChannel() {
    m_inChannel = false;
    if (m_channel.id.empty()) return;
    if (m_result.channels == m_limits.maxChannels) return Stop(XmltvStatus::kTooLarge);
    ++m_result.channels;
    if (m_sink.channel && !m_sink.channel(std::move(m_channel))) Stop(XmltvStatus::kStopped);
  }

  void EndProgramme() {
    m_inProgramme = false;
    const auto start = ParseXmltvTime(m_start);
    const auto stop = m_hasStop ? ParseXmltvTime(m_stopText) : std::optional<std::int64_t>(kNoStop);
    if (start) m_programme.start = *start;
    if (stop) m_programme.stop = *stop;
    if (!start) return Drop(XmltvDrop::kBadStart);
    if (!stop) return Drop(XmltvDrop::kBadStop);
    if (m_programme.channel.empty()) return Drop(XmltvDrop::kNoChannel);
    if (m_programme.stop != kNoStop && m_programme.stop <= m_programme.start) return Drop(XmltvDrop::kBackwards);
    if (m_result.programmes == m_limits.maxProgrammes) return Stop(XmltvStatus::kTooLarge);
    ++m_result.programmes;
    if (m_sink.programme && !m_sink.programme(std::move(m_programme))) Stop(XmltvStatus::kStopped);
  }

  void Drop(XmltvDrop why) {
    ++m_result.dropped;
    if (m_sink.dropped) m_sink.dropped(why, m_programme, m_programmeLine);
  }

  XML_Parser m_parser;
  const XmltvSink& m_sink;
  const XmltvLimits& m_limits;
  XmltvResult m_result;
  std::optional<XmltvStatus> m_stop;
  bool m_rootClosed = false;
  int m_depth = 0;
  bool m_inChannel = false;
  bool m_inProgramme = false;
  Field m_field = Field::kNone;
  bool m_fieldRussian = false;
  std::string m_text;
  XmltvChannel m_channel;
  XmltvProgramme m_programme;
  LangText m_title, m_subTitle, m_description, m_category;
  std::string m_start, m_stopText;
  bool m_hasStop = false;
  std::uint64_t m_programmeLine = 0;
  std::uint64_t m_fed = 0;        // bytes given to the parser
  std::uint64_t m_lastEvent = 0;  // where the parser last handed something on
};

XmltvResult Read(std::unique_ptr<CGuideBytes> bytes, const XmltvSink& sink, const XmltvLimits& limits) {
  if (!bytes) {
    XmltvResult result;
    result.status = XmltvStatus::kCannotOpen;
    return result;
  }
  CXmltvParser parser(sink, limits);
  return parser.Run(*bytes);
}

}  // namespace

XmltvResult ReadXmltvFile(const std::filesystem::path& file, const XmltvSink& sink, const XmltvLimits& limits) {
  return Read(CGuideBytes::OpenFile(file, limits.maxDocumentBytes), sink, limits);
}

XmltvResult ReadXmltvBytes(std::string_view bytes, const XmltvSink& sink, const XmltvLimits& limits) {
  return Read(CGuideBytes::FromMemory(bytes, limits.maxDocumentBytes), sink, limits);
}

const char* Describe(XmltvStatus status) {
  switch (status) {
    case XmltvStatus::kOk: return "complete";
    case XmltvStatus::kCannotOpen: return "cannot be opened";
    case XmltvStatus::kNotXmltv: return "not an XMLTV guide (the root element is not <tv>)";
    case XmltvStatus::kBroken: return "broken";
    case XmltvStatus::kTooLarge: return "too large";
    case XmltvStatus::kStopped: return "stopped";
  }
  return "?";
}

const char* Describe(XmltvDrop drop) {
  switch (drop) {
    case XmltvDrop::kBadStart: return "start time missing or malformed";
    case XmltvDrop::kBadStop: return "stop time malformed";
    case XmltvDrop::kNoChannel: return "no channel";
    case XmltvDrop::kBackwards: return "stops before it starts";
  }
  return "?";
}

}  // namespace vantrel
