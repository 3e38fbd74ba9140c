#pragma once
// The search over the channels of every source (catalogue, favourites, playlists). Qt-free.
//
// Each channel added gets an entry number (0, 1, 2, ... in order of adding); the caller keeps
// what each number stands for. A channel matches when its name, group or country holds the
// query as a substring, compared after folding: Latin, Latin-1, Greek and Cyrillic capitals to
// small letters, and "ё"/"Ё" to "е". No transliteration: Latin finds Latin, Cyrillic finds
// Cyrillic. An empty query matches every entry.
//
// Cost: the folded keys of all entries sit in one buffer, so a query is one substring scan of
// it (about 50 bytes a channel). A query that extends the previous one only re-checks the
// previous results, which is what typing does.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class CChannelMatcher {
 public:
  void Clear();
  void Reserve(std::size_t entries, std::size_t keyBytes);
  // UTF-8 texts; returns the entry number.
  std::uint32_t Add(std::string_view name, std::string_view group, std::string_view country);
  // UTF-16 texts (the catalogue's records).
  std::uint32_t Add(std::u16string_view name, std::u16string_view group, std::u16string_view country);
  std::size_t Size() const { return m_starts.empty() ? 0 : m_starts.size() - 1; }

  // The entries that match, in the order they were added. The reference stays valid until
  // the next Find, Add or Clear.
  const std::vector<std::uint32_t>& Find(std::string_view queryUtf8);
  const std::vector<std::uint32_t>& Find(std::u16string_view query);

 private:
  void Scan(const std::string& folded);
  void Narrow(const std::string& folded);

  std::string m_keys;                  // every entry's folded key, each ended by '\n'
  std::vector<std::uint32_t> m_starts{0};  // where entry i's key starts; one past the last
  std::string m_lastQuery;             // folded
  bool m_haveLast = false;
  std::vector<std::uint32_t> m_results;
  std::vector<std::uint32_t> m_scratch;
};

// Folds UTF-8 text the way the matcher compares it (appended to `out`). Invalid bytes are kept
// as they are; line breaks and other control characters become blanks.
void FoldForSearch(std::string_view text, std::string& out);

}  // namespace vantrel
