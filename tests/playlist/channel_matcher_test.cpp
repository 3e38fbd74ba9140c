#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/text_codec.h"
#include "catalogue/playlist/channel_matcher.h"

namespace vantrel {
namespace {

using Hits = std::vector<uint32_t>;

// Case is ignored for Latin, Cyrillic (Ѐ..Џ too), Greek and Latin-1 letters; ё and е are one
// letter; what is typed in one script does not find the other.
TEST(ChannelMatcher, FoldsCaseAndYoButNotScripts) {
  CChannelMatcher m;
  m.Add("Первый канал", "Новости", "RU");  // 0
  m.Add("ЁЛКИ TV", "Кино", "");           // 1
  m.Add("BBC World", "News", "GB");       // 2
  m.Add("ΕΡΤ World", "Ειδήσεις", "GR");   // 3
  m.Add("Café ÉCLAIR", "", "FR");         // 4
  m.Add("Їжак", "", "UA");                // 5
  EXPECT_EQ(m.Find("ПЕРВЫЙ"), (Hits{0}));
  EXPECT_EQ(m.Find("елки"), (Hits{1}));
  EXPECT_EQ(m.Find("ёлки"), (Hits{1}));
  EXPECT_EQ(m.Find(u"ЕЛКИ tv"), (Hits{1}));
  EXPECT_EQ(m.Find("bbc"), (Hits{2}));
  EXPECT_EQ(m.Find("world"), (Hits{2, 3}));
  EXPECT_EQ(m.Find("ερτ"), (Hits{3}));
  EXPECT_EQ(m.Find("éclair"), (Hits{4}));
  EXPECT_EQ(m.Find("їжак"), (Hits{5}));
  EXPECT_EQ(m.Find("ввс"), Hits{});  // Cyrillic look-alikes of "BBC" find nothing
  EXPECT_EQ(m.Find("нов"), (Hits{0}));   // group
  EXPECT_EQ(m.Find("gb"), (Hits{2}));    // country
  EXPECT_EQ(m.Find(""), (Hits{0, 1, 2, 3, 4, 5}));
}

// A query matches inside one field only, never across the end of a name into its group or from
// one channel into the next; line breaks in the query or in a text are blanks.
TEST(ChannelMatcher, MatchesStayInsideOneField) {
  CChannelMatcher m;
  m.Add("Alpha", "Beta", "Gamma");
  m.Add("Two\nlines", "", "");
  EXPECT_EQ(m.Find("alphabeta"), Hits{});
  EXPECT_EQ(m.Find("gammatwo"), Hits{});
  EXPECT_EQ(m.Find("a\x01" "b"), Hits{});
  EXPECT_EQ(m.Find("two lines"), (Hits{1}));
  EXPECT_EQ(m.Find("two\nlines"), (Hits{1}));
}

// Typing (queries that extend the last one), deleting and retyping give exactly what a fresh
// matcher gives for each query, over many random channels.
TEST(ChannelMatcher, IncrementalNarrowingAgreesWithAFreshScan) {
  const char16_t* syllables[] = {u"ка", u"на", u"Ло", u"ТВ", u"ё", u"е", u"ab", u"Ba", u" ", u"1"};
  std::mt19937 random(7);
  auto word = [&](int n) {
    std::u16string w;
    for (int i = 0; i < n; ++i) w += syllables[random() % 10];
    return w;
  };
  CChannelMatcher typing;
  std::vector<std::array<std::u16string, 3>> channels;
  for (int i = 0; i < 3000; ++i) {
    channels.push_back({word(4), word(2), word(1)});
    typing.Add(channels.back()[0], channels.back()[1], channels.back()[2]);
  }
  const std::u16string queries[] = {u"к", u"ка", u"кан", u"кана", u"кан", u"ка", u"кае", u"", u"Е", u"ЕЕ", u"еёе", u"b", u"ba", u"bab"};
  for (const auto& q : queries) {
    CChannelMatcher fresh;
    for (const auto& c : channels) fresh.Add(c[0], c[1], c[2]);
    EXPECT_EQ(typing.Find(q), fresh.Find(q)) << Utf16ToUtf8(q);
  }
  // A channel added after a search is found by the next one.
  typing.Add(u"кана", u"", u"");
  EXPECT_EQ(typing.Find(u"кана").back(), 3000u);
}

}  // namespace
}  // namespace vantrel
