#include "playback/recording_schedule.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <system_error>

#include "base/text_codec.h"
#include "catalogue/file_replace.h"
#include "catalogue/xml_document.h"

namespace vantrel {
namespace fs = std::filesystem;

uint64_t CRecordingSchedule::Add(PlannedRecording plan) {
  ScheduledRecording& entry = m_entries.emplace_back();
  entry.id = m_nextId++;
  entry.plan = std::move(plan);
  return entry.id;
}

CRecordingSchedule::Due CRecordingSchedule::Poll(int64_t now) {
  Due due;
  // Ends first: a capture ending now frees its address for one starting now.
  for (auto it = m_entries.begin(); it != m_entries.end();) {
    if (it->plan.stopMs != 0 && it->plan.stopMs <= now) {
      (it->phase == RecordingPhase::kWaiting ? due.missed : due.stop).push_back(std::move(*it));
      it = m_entries.erase(it);
    } else {
      ++it;
    }
  }
  for (ScheduledRecording& entry : m_entries) {
    // The library records an address once: a programme whose margin overlaps the one before
    // it on the same channel waits for that one to end (what it misses is in that file).
    if (entry.phase != RecordingPhase::kWaiting || entry.plan.startMs > now || IsCapturing(entry.plan.url)) continue;
    entry.phase = RecordingPhase::kStarting;
    entry.file = entry.plan.file;
    due.start.push_back(entry);
  }
  return due;
}

void CRecordingSchedule::MarkRunning(uint64_t id, int64_t now) {
  for (ScheduledRecording& entry : m_entries) {
    if (entry.id == id && entry.phase == RecordingPhase::kStarting) {
      entry.phase = RecordingPhase::kRunning;
      entry.startedMs = now;
    }
  }
}

void CRecordingSchedule::SetFile(uint64_t id, std::u16string file) {
  for (ScheduledRecording& entry : m_entries)
    if (entry.id == id) entry.file = std::move(file);
}

std::optional<ScheduledRecording> CRecordingSchedule::Remove(uint64_t id) {
  const auto it = std::find_if(m_entries.begin(), m_entries.end(), [id](const auto& e) { return e.id == id; });
  if (it == m_entries.end()) return std::nullopt;
  ScheduledRecording removed = std::move(*it);
  m_entries.erase(it);
  return removed;
}

const ScheduledRecording* CRecordingSchedule::Find(uint64_t id) const {
  for (const ScheduledRecording& entry : m_entries)
    if (entry.id == id) return &entry;
  return nullptr;
}

std::vector<PlannedRecording> CRecordingSchedule::KeptPlans() const {
  std::vector<PlannedRecording> kept;
  for (const ScheduledRecording& entry : m_entries)
    if (entry.plan.kept) kept.push_back(entry.plan);
  return kept;
}

bool CRecordingSchedule::IsCapturing(std::u16string_view url) const {
  return std::any_of(m_entries.begin(), m_entries.end(),
                     [url](const auto& e) { return e.phase != RecordingPhase::kWaiting && e.plan.url == url; });
}

namespace {

std::optional<ProgrammeMargins>& MarginsOverride() {
  static std::optional<ProgrammeMargins> margins;
  return margins;
}

std::optional<int64_t> ParseMs(const char* text) {
  const std::string_view view(text);
  int64_t value = 0;
  const auto [end, ec] = std::from_chars(view.data(), view.data() + view.size(), value);
  if (ec != std::errc() || end != view.data() + view.size() || value <= 0) return std::nullopt;
  return value;
}

// XML 1.0 has no place for the other control characters, not even as references: a title
// holding one would make the whole file unreadable.
bool IsControl(char16_t c) { return c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r'; }

std::u16string Writable(std::u16string_view text) {
  std::u16string out(text);
  std::replace_if(out.begin(), out.end(), IsControl, u' ');
  return out;
}

std::optional<PlannedRecording> ReadEntry(pugi::xml_node node, int64_t now) {
  PlannedRecording plan;
  const std::optional<int64_t> start = ParseMs(node.attribute("start").value());
  const std::optional<int64_t> stop = ParseMs(node.attribute("stop").value());
  if (!start || !stop || *stop <= *start || *stop - *start > kMaxSpanMs || *stop <= now) return std::nullopt;
  plan.startMs = *start;
  plan.stopMs = *stop;
  if (!XmlGetAttribute(node, "url", plan.url) || plan.url.empty()) return std::nullopt;
  if (!XmlGetAttribute(node, "file", plan.file) || !fs::path(Utf16ToUtf8(plan.file)).is_absolute())
    return std::nullopt;
  XmlGetAttribute(node, "channel", plan.channel);
  XmlGetAttribute(node, "title", plan.title);
  XmlGetAttribute(node, "userAgent", plan.userAgent);
  XmlGetAttribute(node, "referrer", plan.referrer);
  for (const std::u16string* text : {&plan.url, &plan.file, &plan.channel, &plan.title, &plan.userAgent, &plan.referrer})
    if (std::any_of(text->begin(), text->end(), IsControl)) return std::nullopt;
  plan.kept = true;
  return plan;
}

// Characters no file name may hold, or that make one awkward to handle.
std::u16string FileNamePart(std::u16string_view text, size_t limit) {
  std::u16string part;
  for (const char16_t c : text) {
    if (part.size() >= limit) break;
    const bool bad = c < 0x20 || c == u'/' || c == u'\\' || c == u':' || c == u'*' || c == u'?' || c == u'"' ||
                     c == u'<' || c == u'>' || c == u'|' || c == 0x7F;
    part += bad ? u'_' : c;
  }
  // A cut must not leave half of a surrogate pair.
  if (!part.empty() && part.back() >= 0xD800 && part.back() <= 0xDBFF) part.pop_back();
  while (!part.empty() && (part.front() == u'.' || part.front() == u' ')) part.erase(0, 1);
  while (!part.empty() && part.back() == u' ') part.pop_back();
  return part;
}

}  // namespace

ProgrammeMargins CurrentProgrammeMargins() { return MarginsOverride().value_or(ProgrammeMargins{}); }

void SetProgrammeMarginsForTesting(std::optional<ProgrammeMargins> margins) { MarginsOverride() = margins; }

std::string WriteSchedule(const std::vector<PlannedRecording>& plans) {
  XmlDocument document = XmlNewDocument("recordings");
  pugi::xml_node root = document->document_element();
  for (const PlannedRecording& plan : plans) {
    pugi::xml_node node = XmlAppendElement(root, "recording");
    node.append_attribute("start").set_value(static_cast<long long>(plan.startMs));
    node.append_attribute("stop").set_value(static_cast<long long>(plan.stopMs));
    XmlSetAttribute(node, "url", Writable(plan.url));
    XmlSetAttribute(node, "file", Writable(plan.file));
    XmlSetAttribute(node, "channel", Writable(plan.channel));
    XmlSetAttribute(node, "title", Writable(plan.title));
    // Only when the channel has them, as the favourites file does.
    if (!plan.userAgent.empty()) XmlSetAttribute(node, "userAgent", Writable(plan.userAgent));
    if (!plan.referrer.empty()) XmlSetAttribute(node, "referrer", Writable(plan.referrer));
  }
  std::ostringstream out;
  document->save(out, "  ", pugi::format_default | pugi::format_no_declaration, pugi::encoding_utf8);
  return out.str();
}

std::optional<std::vector<PlannedRecording>> ParseSchedule(std::string_view utf8, int64_t now) {
  const XmlDocument document = XmlLoadUtf8Text(utf8);
  if (!document) return std::nullopt;
  const pugi::xml_node root = XmlSelectRoot(*document, "recordings");
  if (!root) return std::nullopt;
  std::vector<PlannedRecording> plans;
  for (pugi::xml_node node = root.child("recording"); node && plans.size() < kMaxKept;
       node = node.next_sibling("recording")) {
    if (std::optional<PlannedRecording> plan = ReadEntry(node, now)) plans.push_back(std::move(*plan));
  }
  return plans;
}

bool SaveSchedule(const fs::path& path, const std::vector<PlannedRecording>& plans) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  return ReplaceFileContents(path, WriteSchedule(plans));
}

std::vector<PlannedRecording> LoadSchedule(const fs::path& path, int64_t now) {
  std::error_code ec;
  const uintmax_t size = fs::file_size(path, ec);
  if (ec) return {};
  std::optional<std::vector<PlannedRecording>> plans;
  if (size <= kMaxScheduleFileBytes) {
    std::string text(static_cast<size_t>(size), '\0');
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
      text.resize(std::fread(text.data(), 1, text.size(), file));
      std::fclose(file);
      plans = ParseSchedule(text, now);
    }
  }
  if (plans) return std::move(*plans);
  fs::rename(path, fs::path(path.native() + ".bad"), ec);
  return {};
}

std::u16string ProgrammeFileName(std::u16string_view channel, std::u16string_view title, std::u16string_view when) {
  // Each part is cut well within the 255 bytes a name may take (Cyrillic takes two each).
  std::u16string name = FileNamePart(channel, 40);
  if (name.empty()) name = u"Vantrel";
  const std::u16string programme = FileNamePart(title, 60);
  if (!programme.empty()) name += u" - " + programme;
  const std::u16string moment = FileNamePart(when, 20);
  if (!moment.empty()) name += u" - " + moment;
  return name + u".mkv";
}

fs::path FreeFileName(const fs::path& path) {
  std::error_code ec;
  if (!fs::exists(path, ec) && !ec) return path;
  const fs::path stem = path.stem();
  const fs::path extension = path.extension();
  for (int n = 2; n < 10000; ++n) {
    fs::path candidate = path.parent_path() / (stem.native() + " (" + std::to_string(n) + ")" + extension.native());
    if (!fs::exists(candidate, ec) && !ec) return candidate;
  }
  return path;
}

}  // namespace vantrel
