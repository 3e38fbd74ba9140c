#include "catalogue/playlist/channel_matcher.h"

#include <algorithm>
#include <cstring>

#include "base/text_codec.h"

namespace vantrel {
namespace {

// Field separator inside an entry's key. Folded queries hold no control characters, so a match
// never runs from one field into the next, nor from one entry into the next ('\n').
constexpr char kFieldEnd = '\x01';

// The small letter a two-byte capital folds to, or the code point itself.
char32_t FoldTwoByte(char32_t cp) {
  if (cp == 0x401 || cp == 0x451) return 0x435;             // Ё, ё -> е
  if (cp >= 0x410 && cp <= 0x42F) return cp + 0x20;         // А..Я
  if (cp >= 0x400 && cp <= 0x40F) return cp + 0x50;         // Ѐ..Џ
  if (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2) return cp + 0x20;  // Α..Ϋ
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 0x20;     // À..Þ
  return cp;
}

}  // namespace

void FoldForSearch(std::string_view text, std::string& out) {
  const size_t start = out.size();
  out.resize(start + text.size());  // folding never lengthens: two-byte letters stay two bytes
  char* o = out.data() + start;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  while (p < end) {
    const unsigned char c = *p;
    if (c < 0x80) {
      *o++ = c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c < 0x20 || c == 0x7F ? ' ' : static_cast<char>(c);
      ++p;
    } else if (c >= 0xC2 && c <= 0xDF && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
      const char32_t folded = FoldTwoByte(static_cast<char32_t>(((c & 0x1F) << 6) | (p[1] & 0x3F)));
      *o++ = static_cast<char>(0xC0 | (folded >> 6));
      *o++ = static_cast<char>(0x80 | (folded & 0x3F));
      p += 2;
    } else {
      *o++ = static_cast<char>(c);
      ++p;
    }
  }
  out.resize(static_cast<size_t>(o - out.data()));
}

void CChannelMatcher::Clear() {
  m_keys.clear();
  m_starts.assign(1, 0);
  m_haveLast = false;
  m_results.clear();
}

void CChannelMatcher::Reserve(std::size_t entries, std::size_t keyBytes) {
  m_starts.reserve(entries + 1);
  m_keys.reserve(keyBytes);
}

std::uint32_t CChannelMatcher::Add(std::string_view name, std::string_view group, std::string_view country) {
  FoldForSearch(name, m_keys);
  m_keys += kFieldEnd;
  FoldForSearch(group, m_keys);
  m_keys += kFieldEnd;
  FoldForSearch(country, m_keys);
  m_keys += '\n';
  m_starts.push_back(static_cast<std::uint32_t>(m_keys.size()));
  m_haveLast = false;  // the last results do not cover the new entry
  return static_cast<std::uint32_t>(m_starts.size() - 2);
}

std::uint32_t CChannelMatcher::Add(std::u16string_view name, std::u16string_view group,
                                   std::u16string_view country) {
  return Add(Utf16ToUtf8(name), Utf16ToUtf8(group), Utf16ToUtf8(country));
}

const std::vector<std::uint32_t>& CChannelMatcher::Find(std::u16string_view query) {
  return Find(Utf16ToUtf8(query));
}

const std::vector<std::uint32_t>& CChannelMatcher::Find(std::string_view queryUtf8) {
  std::string folded;
  FoldForSearch(queryUtf8, folded);
  if (m_haveLast && folded.starts_with(m_lastQuery)) {
    if (folded.size() != m_lastQuery.size()) Narrow(folded);
  } else {
    Scan(folded);
  }
  m_lastQuery = std::move(folded);
  m_haveLast = true;
  return m_results;
}

void CChannelMatcher::Scan(const std::string& folded) {
  m_results.clear();
  const std::uint32_t count = static_cast<std::uint32_t>(Size());
  if (folded.empty()) {
    m_results.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) m_results[i] = i;
    return;
  }
  const char* const begin = m_keys.data();
  const char* p = begin;
  const char* const end = begin + m_keys.size();
  auto entry = m_starts.begin();
  while (p < end) {
    const void* hit = ::memmem(p, static_cast<size_t>(end - p), folded.data(), folded.size());
    if (!hit) break;
    const auto offset = static_cast<std::uint32_t>(static_cast<const char*>(hit) - begin);
    // Hits only move forward, so the entry search starts where the last one ended.
    entry = std::upper_bound(entry, m_starts.end(), offset) - 1;
    m_results.push_back(static_cast<std::uint32_t>(entry - m_starts.begin()));
    ++entry;
    p = begin + *entry;  // one result per entry: go on with the next entry's key
  }
}

void CChannelMatcher::Narrow(const std::string& folded) {
  m_scratch.clear();
  const char* const keys = m_keys.data();
  for (const std::uint32_t i : m_results) {
    const std::uint32_t from = m_starts[i];
    if (::memmem(keys + from, m_starts[i + 1] - from, folded.data(), folded.size())) m_scratch.push_back(i);
  }
  m_results.swap(m_scratch);
}

}  // namespace vantrel
