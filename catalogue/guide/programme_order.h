#pragma once
// The rules that make one channel's programmes a timeline: no two overlap, and a programme
// without a stop time runs until the next one starts.
#include <cstdint>
#include <vector>

#include "catalogue/guide/xmltv_types.h"

namespace vantrel {

struct ProgrammeSlot {
  std::int64_t key = 0;      // the caller's name for the programme (a row id)
  std::int64_t channel = 0;
  std::int64_t start = 0;
  std::int64_t stop = kNoStop;
  std::int64_t order = 0;    // place in the document
};

enum class SlotDrop { kOverlap, kEndless };

struct SlotChange {
  std::int64_t key = 0;
  bool dropped = false;
  SlotDrop why = SlotDrop::kOverlap;
  std::int64_t stop = 0;  // the stop a kept programme without one takes
};

// Sorts `slots` by channel, start and document order and says what becomes of each programme
// that does not stay as it is. Of two overlapping programmes the one that starts first is
// kept; of two that start together, the one listed first, unless only the other has a stop.
// A programme without a stop ends where the channel's next programme starts; the channel's
// last one without a stop is dropped.
std::vector<SlotChange> ResolveTimeline(std::vector<ProgrammeSlot>& slots);

}  // namespace vantrel
