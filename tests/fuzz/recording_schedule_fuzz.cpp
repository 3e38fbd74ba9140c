// The schedule file of the guide's recordings on arbitrary bytes: no crash, no read out of
// bounds; what is read is sound, bounded, and reads back the same once written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/text_codec.h"
#include "playback/recording_schedule.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  constexpr int64_t kNow = 1'000'000;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto plans = ParseSchedule(text, kNow);
  if (!plans) return 0;
  if (plans->size() > kMaxKept) std::abort();
  for (const PlannedRecording& plan : *plans) {
    if (plan.stopMs <= plan.startMs || plan.stopMs <= kNow || plan.stopMs - plan.startMs > kMaxSpanMs) std::abort();
    if (plan.url.empty() || plan.file.empty() || !plan.kept) std::abort();
    (void)ProgrammeFileName(plan.channel, plan.title, plan.url);
  }
  const auto again = ParseSchedule(WriteSchedule(*plans), kNow);
  if (!again || again->size() != plans->size()) std::abort();
  for (size_t i = 0; i < plans->size(); ++i) {
    const PlannedRecording& a = (*plans)[i];
    const PlannedRecording& b = (*again)[i];
    if (a.url != b.url || a.file != b.file || a.startMs != b.startMs || a.stopMs != b.stopMs) std::abort();
  }
  return 0;
}
