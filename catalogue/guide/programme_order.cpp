#include "catalogue/guide/programme_order.h"

#include <algorithm>
#include <limits>
#include <tuple>

namespace vantrel {

std::vector<SlotChange> ResolveTimeline(std::vector<ProgrammeSlot>& slots) {
  std::sort(slots.begin(), slots.end(), [](const ProgrammeSlot& a, const ProgrammeSlot& b) {
    return std::tie(a.channel, a.start, a.order) < std::tie(b.channel, b.start, b.order);
  });
  std::vector<SlotChange> changes;
  auto drop = [&](const ProgrammeSlot& slot, SlotDrop why) { changes.push_back({slot.key, true, why, 0}); };
  const ProgrammeSlot* open = nullptr;  // kept, waiting for the next start to end it
  std::int64_t busyUntil = std::numeric_limits<std::int64_t>::min();
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const ProgrammeSlot& slot = slots[i];
    if (i > 0 && slot.channel != slots[i - 1].channel) {
      if (open) drop(*open, SlotDrop::kEndless);
      open = nullptr;
      busyUntil = std::numeric_limits<std::int64_t>::min();
    }
    if (open && slot.start == open->start) {
      // Of two that start together, one that says when it stops is worth more.
      if (slot.stop == kNoStop) {
        drop(slot, SlotDrop::kOverlap);
        continue;
      }
      drop(*open, SlotDrop::kOverlap);
      open = nullptr;
    }
    if (open) {
      changes.push_back({open->key, false, SlotDrop::kOverlap, slot.start});
      busyUntil = slot.start;
      open = nullptr;
    }
    if (slot.start < busyUntil) {
      drop(slot, SlotDrop::kOverlap);
    } else if (slot.stop == kNoStop) {
      open = &slot;
    } else {
      busyUntil = slot.stop;
    }
  }
  if (open) drop(*open, SlotDrop::kEndless);
  return changes;
}

}  // namespace vantrel
