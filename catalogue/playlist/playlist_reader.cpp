// M3U (extended and plain) and PLS into CPlaylist records: spans into the decoded text, one
// pass over the lines, nothing copied.

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "catalogue/playlist/playlist.h"
#include "catalogue/playlist/playlist_address.h"
#include "catalogue/playlist/playlist_text.h"

namespace vantrel {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// ASCII-case-insensitive prefix test; `lower` is in small letters.
bool StartsWithNoCase(std::string_view s, std::string_view lower) {
  if (s.size() < lower.size()) return false;
  for (size_t i = 0; i < lower.size(); ++i) {
    const char c = s[i] >= 'A' && s[i] <= 'Z' ? static_cast<char>(s[i] | 0x20) : s[i];
    if (c != lower[i]) return false;
  }
  return true;
}
bool EqualsNoCase(std::string_view s, std::string_view lower) {
  return s.size() == lower.size() && StartsWithNoCase(s, lower);
}

// Lines ended by LF, CRLF or a lone CR.
class CLines {
 public:
  explicit CLines(std::string_view text) : m_p(text.data()), m_end(text.data() + text.size()) {}
  bool Next(std::string_view& line) {
    if (m_p >= m_end) return false;
    const auto* lf = static_cast<const char*>(std::memchr(m_p, '\n', static_cast<size_t>(m_end - m_p)));
    const char* stop = lf ? lf : m_end;
    const auto* cr = static_cast<const char*>(std::memchr(m_p, '\r', static_cast<size_t>(stop - m_p)));
    if (cr) {
      line = std::string_view(m_p, static_cast<size_t>(cr - m_p));
      m_p = cr + 1;
      if (m_p < m_end && *m_p == '\n') ++m_p;
    } else {
      line = std::string_view(m_p, static_cast<size_t>(stop - m_p));
      m_p = lf ? lf + 1 : m_end;
    }
    return true;
  }

 private:
  const char* m_p;
  const char* m_end;
};

std::int32_t ParseDuration(std::string_view s) {
  bool negative = false;
  size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  if (i >= s.size() || s[i] < '0' || s[i] > '9') return -1;
  std::int64_t value = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) value = std::min<std::int64_t>(value * 10 + (s[i] - '0'), INT32_MAX);
  return negative ? -1 : static_cast<std::int32_t>(value);
}

class CReader {
 public:
  CReader(CPlaylist& playlist) : m_playlist(playlist), m_text(playlist.AllText()) {}

  PlaylistRefusal ReadM3u() {
    CLines lines(m_text);
    std::string_view line;
    m_playlist.format = PlaylistFormat::kPlainM3u;
    while (lines.Next(line)) {
      line = Trim(line);
      if (line.empty()) continue;
      if (line[0] == '#') {
        if (StartsWithNoCase(line, "#extinf:")) {
          if (m_haveInfo) {  // the previous one never got an address
            ++m_playlist.skipped;
            StartEntry();
          }
          // Options and #EXTGRP read since the last address stay with this entry.
          ReadExtinf(line.substr(8));
          m_haveInfo = true;
          m_playlist.format = PlaylistFormat::kExtendedM3u;
        } else if (StartsWithNoCase(line, "#ext-x-") && m_playlist.Channels().empty() && m_playlist.skipped == 0) {
          // HLS tags come before the first segment or variant. After channels they are noise
          // in a channel list, not a reason to drop it.
          m_playlist.format = PlaylistFormat::kHls;
          return PlaylistRefusal::kNone;
        } else if (StartsWithNoCase(line, "#extgrp:")) {
          m_group = Span(Trim(line.substr(8)));
        } else if (StartsWithNoCase(line, "#extvlcopt:")) {
          ReadOption(Trim(line.substr(11)));
        } else if (StartsWithNoCase(line, "#extm3u")) {
          m_playlist.format = PlaylistFormat::kExtendedM3u;
          ReadHeader(line.substr(7));
        }
      } else if (!AddEntry(line)) {
        return PlaylistRefusal::kTooManyEntries;
      }
    }
    if (m_haveInfo) ++m_playlist.skipped;
    return PlaylistRefusal::kNone;
  }

  PlaylistRefusal ReadPls() {
    struct Item {
      std::uint32_t number = 0;
      TextSpan file, title;
      std::int32_t length = -1;
    };
    std::vector<Item> items;
    std::unordered_map<std::uint32_t, std::uint32_t> slots;
    CLines lines(m_text);
    std::string_view line;
    while (lines.Next(line)) {
      line = Trim(line);
      const size_t eq = line.find('=');
      if (eq == std::string_view::npos) continue;
      const std::string_view key = Trim(line.substr(0, eq));
      const std::string_view value = Trim(line.substr(eq + 1));
      const size_t digits = key.find_first_of("0123456789");
      if (digits == std::string_view::npos || digits == 0 || key.size() - digits > 9) continue;
      const std::string_view word = key.substr(0, digits);
      std::uint32_t number = 0;
      bool numeric = true;
      for (const char c : key.substr(digits)) {
        numeric = numeric && c >= '0' && c <= '9';
        number = number * 10 + static_cast<std::uint32_t>(c - '0');
      }
      const int field = EqualsNoCase(word, "file") ? 0 : EqualsNoCase(word, "title") ? 1
                        : EqualsNoCase(word, "length") ? 2 : -1;
      if (!numeric || field < 0) continue;
      const auto [it, added] = slots.try_emplace(number, static_cast<std::uint32_t>(items.size()));
      if (added) {
        if (items.size() >= kPlaylistMaxEntries) return PlaylistRefusal::kTooManyEntries;
        items.push_back({number, {}, {}, -1});
      }
      Item& item = items[it->second];
      if (field == 0) item.file = Span(value);
      if (field == 1) item.title = Span(value);
      if (field == 2) item.length = ParseDuration(value);
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.number < b.number; });
    m_playlist.MutableChannels().reserve(items.size());
    for (const Item& item : items) {
      StartEntry();
      m_entry.name = item.title;
      m_entry.duration = item.length;
      if (item.file.Empty()) {
        ++m_playlist.skipped;
      } else if (!AddEntry(m_playlist.Text(item.file))) {
        return PlaylistRefusal::kTooManyEntries;
      }
    }
    return PlaylistRefusal::kNone;
  }

 private:
  TextSpan Span(std::string_view s) const {
    return {static_cast<std::uint32_t>(s.data() - m_text.data()), static_cast<std::uint32_t>(s.size())};
  }

  void StartEntry() {
    m_entry = CPlaylistChannel{};
    m_group = {};
  }

  // An address line ends the entry that #EXTINF and its options began.
  bool AddEntry(std::string_view address) {
    if (IsForbiddenAddress(address)) {
      ++m_playlist.skipped;
    } else {
      auto& channels = m_playlist.MutableChannels();
      if (channels.size() >= kPlaylistMaxEntries) return false;
      // Grown by hand so that the capacity never passes the entry limit.
      if (channels.size() == channels.capacity())
        channels.reserve(std::min(std::max<size_t>(channels.capacity() * 2, 1024), kPlaylistMaxEntries));
      m_entry.address = Span(address);
      m_entry.relative = IsRelativeAddress(address);
      if (m_entry.group.Empty()) m_entry.group = m_group;
      if (m_entry.name.Empty()) m_entry.name = m_entry.tvgName.Empty() ? m_entry.address : m_entry.tvgName;
      channels.push_back(m_entry);
    }
    m_haveInfo = false;
    StartEntry();
    return true;
  }

  // "<duration> key="value" key=value ...,<display name>": a comma inside quotes is part of
  // the value; the first one outside ends the attributes.
  void ReadExtinf(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    const size_t durationEnd = std::min(s.find_first_of(" \t,", i), s.size());
    m_entry.duration = ParseDuration(s.substr(i, durationEnd - i));
    i = durationEnd;
    while (i < s.size()) {
      if (IsBlank(s[i])) {
        ++i;
        continue;
      }
      if (s[i] == ',') {
        m_entry.name = Span(Trim(s.substr(i + 1)));
        return;
      }
      const size_t keyEnd = std::min(s.find_first_of(" \t,=", i), s.size());
      const std::string_view key = s.substr(i, keyEnd - i);
      i = keyEnd;
      if (i >= s.size() || s[i] != '=') continue;
      ++i;
      std::string_view value;
      if (i < s.size() && (s[i] == '"' || s[i] == '\'')) {
        const size_t close = s.find(s[i], i + 1);
        if (close != std::string_view::npos) {
          value = s.substr(i + 1, close - i - 1);
          i = close + 1;
        } else {  // unclosed: the value runs to the next comma
          const size_t comma = std::min(s.find(',', i + 1), s.size());
          value = s.substr(i + 1, comma - i - 1);
          i = comma;
        }
      } else {
        const size_t end = std::min(s.find_first_of(" \t,", i), s.size());
        value = s.substr(i, end - i);
        i = end;
      }
      SetAttribute(key, Trim(value));
    }
  }

  void SetAttribute(std::string_view key, std::string_view value) {
    if (!StartsWithNoCase(key, "tvg-")) {
      if (EqualsNoCase(key, "group-title")) m_entry.group = Span(value);
      return;
    }
    const std::string_view rest = key.substr(4);
    TextSpan* const target = EqualsNoCase(rest, "id") ? &m_entry.tvgId : EqualsNoCase(rest, "name") ? &m_entry.tvgName
                           : EqualsNoCase(rest, "logo") ? &m_entry.logo : EqualsNoCase(rest, "country") ? &m_entry.country
                           : EqualsNoCase(rest, "language") ? &m_entry.language : nullptr;
    if (target) *target = Span(value);
  }

  void ReadOption(std::string_view option) {
    const size_t eq = option.find('=');
    if (eq == std::string_view::npos) return;
    const std::string_view key = Trim(option.substr(0, eq));
    std::string_view value = Trim(option.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (EqualsNoCase(key, "http-user-agent")) m_entry.userAgent = Span(value);
    if (EqualsNoCase(key, "http-referrer") || EqualsNoCase(key, "http-referer")) m_entry.referrer = Span(value);
  }

  // #EXTM3U url-tvg="a,b" x-tvg-url="c": the guide addresses, split at commas.
  void ReadHeader(std::string_view s) {
    for (const std::string_view name : {"url-tvg=", "x-tvg-url=", "tvg-url="}) {
      size_t at = 0;
      while ((at = s.find(name, at)) != std::string_view::npos) {
        if (at > 0 && s[at - 1] != ' ' && s[at - 1] != '\t') {  // "x-tvg-url" holds "tvg-url"
          at += name.size();
          continue;
        }
        at += name.size();
        std::string_view value;
        if (at < s.size() && (s[at] == '"' || s[at] == '\'')) {
          const size_t close = std::min(s.find(s[at], at + 1), s.size());
          value = s.substr(at + 1, close - at - 1);
        } else {
          value = s.substr(at, std::min(s.find_first_of(" \t", at), s.size()) - at);
        }
        size_t from = 0;
        while (from <= value.size()) {
          const size_t comma = std::min(value.find(',', from), value.size());
          const std::string_view one = Trim(value.substr(from, comma - from));
          if (!one.empty()) m_playlist.guideAddresses.emplace_back(one);
          from = comma + 1;
        }
      }
    }
  }

  CPlaylist& m_playlist;
  std::string_view m_text;
  CPlaylistChannel m_entry;
  TextSpan m_group;  // #EXTGRP of the entry being read
  bool m_haveInfo = false;
};

bool IsPls(std::string_view text) {
  CLines lines(text);
  std::string_view line;
  while (lines.Next(line)) {
    line = Trim(line);
    if (line.empty()) continue;
    return EqualsNoCase(line, "[playlist]") || StartsWithNoCase(line, "file1=") ||
           StartsWithNoCase(line, "numberofentries=");
  }
  return false;
}

// An HLS playlist is the stream itself: one channel, the playlist's own address.
void MakeStream(CPlaylist& playlist) {
  playlist.MutableChannels().clear();
  playlist.skipped = 0;
  if (playlist.base.empty()) return;
  std::string& text = playlist.MutableText();
  const auto offset = static_cast<std::uint32_t>(text.size());
  text += playlist.base;
  CPlaylistChannel channel;
  channel.address = {offset, static_cast<std::uint32_t>(playlist.base.size())};
  std::string_view path(playlist.base);
  path = path.substr(0, path.find_first_of("?#"));
  const size_t slash = path.find_last_of('/', path.size() > 1 ? path.size() - 2 : 0);
  const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  channel.name = {offset + static_cast<std::uint32_t>(nameStart), static_cast<std::uint32_t>(path.size() - nameStart)};
  playlist.MutableChannels().push_back(channel);
}

}  // namespace

PlaylistReadResult ReadPlaylist(std::string bytes, std::string_view base) {
  PlaylistReadResult result;
  result.refusal = DecodePlaylistText(bytes);
  if (!result.Ok()) return result;
  CPlaylist& playlist = result.playlist;
  playlist.base = std::string(base);
  playlist.MutableText() = std::move(bytes);
  const std::string_view text = playlist.AllText();
  playlist.MutableChannels().reserve(std::min(text.size() / 160, kPlaylistMaxEntries));
  CReader reader(playlist);
  if (IsPls(text)) {
    playlist.format = PlaylistFormat::kPls;
    result.refusal = reader.ReadPls();
  } else {
    result.refusal = reader.ReadM3u();
  }
  if (!result.Ok()) {
    result.playlist = CPlaylist{};
    return result;
  }
  if (playlist.IsStream()) MakeStream(playlist);
  playlist.MutableChannels().shrink_to_fit();
  return result;
}

PlaylistReadResult ReadPlaylistFile(const std::filesystem::path& file) {
  PlaylistReadResult result;
  std::string bytes;
  result.refusal = ReadPlaylistBytes(file, bytes);
  if (!result.Ok()) return result;
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(file, ec);
  return ReadPlaylist(std::move(bytes), (ec ? file : absolute).string());
}

}  // namespace vantrel
