#include <gtest/gtest.h>

#include <vector>

#include "catalogue/guide/programme_order.h"

namespace vantrel {
namespace {

struct Outcome {
  std::vector<std::int64_t> dropped;                          // keys
  std::vector<std::pair<std::int64_t, std::int64_t>> ended;  // key, stop given
};

Outcome Resolve(std::vector<ProgrammeSlot> slots) {
  for (std::size_t i = 0; i < slots.size(); ++i) slots[i].order = static_cast<std::int64_t>(i);
  Outcome outcome;
  for (const SlotChange& change : ResolveTimeline(slots)) {
    if (change.dropped) outcome.dropped.push_back(change.key);
    else outcome.ended.emplace_back(change.key, change.stop);
  }
  return outcome;
}

// The earlier start wins an overlap, whichever is listed first; of equal starts the one
// listed first. A programme inside a dropped one is judged against what was kept.
TEST(ProgrammeTimeline, OverlapsKeepTheEarlierStart) {
  const Outcome outcome = Resolve({
      {.key = 1, .channel = 0, .start = 100, .stop = 200},
      {.key = 2, .channel = 0, .start = 50, .stop = 150},   // starts first: kept, 1 goes
      {.key = 3, .channel = 0, .start = 150, .stop = 160},  // after 2: kept
      {.key = 4, .channel = 0, .start = 150, .stop = 170},  // same start as 3, listed later
      {.key = 5, .channel = 1, .start = 100, .stop = 200},  // another channel is no overlap
      {.key = 6, .channel = 0, .start = 160, .stop = 170},  // touching is no overlap
  });
  EXPECT_EQ(outcome.dropped, (std::vector<std::int64_t>{1, 4}));
  EXPECT_TRUE(outcome.ended.empty());
}

// A programme without a stop ends where the next one starts; the last one of a channel
// without a stop has no end and goes. Of equal starts, one with a stop beats one without.
TEST(ProgrammeTimeline, MissingStopsEndAtTheNextStart) {
  const Outcome outcome = Resolve({
      {.key = 1, .channel = 0, .start = 100},
      {.key = 2, .channel = 0, .start = 300},
      {.key = 3, .channel = 0, .start = 200, .stop = 250},
      {.key = 4, .channel = 0, .start = 300, .stop = 400},  // same start as 2, but has a stop
      {.key = 6, .channel = 0, .start = 300},               // same start again, no stop: goes
      {.key = 7, .channel = 0, .start = 400},
      {.key = 8, .channel = 0, .start = 450, .stop = 500},
      {.key = 5, .channel = 1, .start = 100},
  });
  EXPECT_EQ(outcome.ended, (std::vector<std::pair<std::int64_t, std::int64_t>>{{1, 200}, {7, 450}}));
  EXPECT_EQ(outcome.dropped, (std::vector<std::int64_t>{2, 6, 5}));
}

}  // namespace
}  // namespace vantrel
