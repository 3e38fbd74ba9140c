#include <benchmark/benchmark.h>

#include "base/text_codec.h"

// Converting a catalogue-sized text (640 KiB) from the code page.
static void BM_Cp1251ToUtf16(benchmark::State& state) {
  std::string text(655360, '\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(0xC0 + i % 64);
  for (auto _ : state) benchmark::DoNotOptimize(vantrel::Cp1251ToUtf16(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_Cp1251ToUtf16);
