#pragma once
// The channel being played, the list it was chosen from, and the channel played before it:
// what Page Up / Page Down, Backspace and the desktop's Next / Previous move through. The
// channels are copies, so a catalogue reloaded meanwhile leaves nothing dangling.
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "catalogue/channel.h"

namespace vantrel {

class CChannelZapper {
 public:
  // The user chose `list[index]`; the channel that played so far becomes the one before.
  // An index outside the list chooses nothing.
  void Choose(std::vector<CChannel> list, std::size_t index);
  // Forgets everything (nothing plays).
  void Clear();

  // The channel chosen last; nullptr when none.
  const CChannel* Current() const;
  bool CanStep() const;  // a list of two or more: next and previous lead somewhere else

  // Moves `step` places in the current list (+1 next, -1 previous), wrapping around at its
  // ends, and answers the channel to play; nothing when there is no other channel.
  std::optional<CChannel> Step(int step);
  // Goes back to the channel played before, in its own list; the current one becomes the one
  // before, so a second call returns. Nothing when there was none.
  std::optional<CChannel> Back();

 private:
  struct Position {
    std::shared_ptr<const std::vector<CChannel>> list;
    std::size_t index = 0;
    const CChannel* Channel() const { return list ? &(*list)[index] : nullptr; }
  };
  void MoveTo(Position next);

  Position m_current;
  Position m_before;
};

}  // namespace vantrel
