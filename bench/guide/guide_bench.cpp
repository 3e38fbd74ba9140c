// The programme guide at full size: 1,000 channels over 7 days (about 150,000 programmes,
// about 60 MB of XML, gzip-compressed). Import into a fresh store (time and memory growth),
// now/next of a channel, and a day's list, each beside the floor of merely unpacking the
// same file with zcat to /dev/null, measured in the same run.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/guide/guide_generator.h"
#include "catalogue/guide/guide_store.h"

namespace vantrel {
namespace {

constexpr int kChannels = 1000;
constexpr int kDays = 7;

// VmRSS or VmHWM of this process, in bytes.
std::int64_t ProcessMemory(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field + ":", 0) == 0) return std::stoll(line.substr(field.size() + 1)) * 1024;
  return 0;
}

// The kernel forgets the peak so far (Linux's "5" to clear_refs), so VmHWM measures from here.
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct Fixture {
  std::filesystem::path dir;
  std::filesystem::path guide;
  bench::GeneratedGuide made;
  std::int64_t now = 0;
  double zcatSeconds = 0;  // the floor: best of three
  CGuideStore store;       // imported once for the queries

  Fixture() {
    dir = std::filesystem::temp_directory_path() / ("vantrel-guide-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    guide = dir / "guide.xml.gz";
    now = std::time(nullptr);
    made = bench::WriteGeneratedGuide(guide, kChannels, kDays, now - 86400);
    const std::string zcat = "zcat '" + guide.string() + "' > /dev/null";
    zcatSeconds = 1e9;
    for (int i = 0; i < 3; ++i) {
      const auto t0 = std::chrono::steady_clock::now();
      if (std::system(zcat.c_str()) != 0) std::abort();
      zcatSeconds = std::min(zcatSeconds, Seconds(std::chrono::steady_clock::now() - t0));
    }
    GuideImportOptions options;
    options.now = now;
    if (!store.Open(dir / "queries") || !store.Import("bench", guide, options).imported) std::abort();
  }
  ~Fixture() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void Floor(benchmark::State& state) {
  Fixture& f = Shared();
  state.counters["zcat_floor_ms"] = f.zcatSeconds * 1e3;
  state.counters["programmes"] = static_cast<double>(f.made.programmes);
  state.counters["xml_MB"] = static_cast<double>(f.made.xmlBytes) / 1e6;
}

void BM_GuideZcatFloor(benchmark::State& state) {
  Fixture& f = Shared();
  const std::string zcat = "zcat '" + f.guide.string() + "' > /dev/null";
  for (auto _ : state)
    if (std::system(zcat.c_str()) != 0) state.SkipWithError("zcat failed");
  Floor(state);
}
BENCHMARK(BM_GuideZcatFloor)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The reader alone, its programmes handed to nobody: what parsing costs beside unpacking.
void BM_GuideReadOnly(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) {
    XmltvSink sink;
    sink.programme = [](XmltvProgramme&& p) { return benchmark::DoNotOptimize(p.start), true; };
    if (ReadXmltvFile(f.guide, sink).status != XmltvStatus::kOk) state.SkipWithError("read failed");
  }
  Floor(state);
}
BENCHMARK(BM_GuideReadOnly)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_GuideImport(benchmark::State& state) {
  Fixture& f = Shared();
  std::int64_t growth = 0;
  int run = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::filesystem::path folder = f.dir / ("import-" + std::to_string(run++));
    const std::int64_t before = ProcessMemory("VmRSS");
    ResetPeakMemory();
    state.ResumeTiming();
    {
      CGuideStore store;
      GuideImportOptions options;
      options.now = f.now;
      if (!store.Open(folder) || !store.Import("bench", f.guide, options).imported) state.SkipWithError("import failed");
    }
    state.PauseTiming();
    growth = std::max(growth, ProcessMemory("VmHWM") - before);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    state.ResumeTiming();
  }
  Floor(state);
  state.counters["memory_growth_MB"] = static_cast<double>(growth) / 1e6;
}
BENCHMARK(BM_GuideImport)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_GuideNowNext(benchmark::State& state) {
  Fixture& f = Shared();
  int c = 0;
  for (auto _ : state) {
    const GuideMatch match = f.store.MatchChannel("ch" + std::to_string(c++ * 7919 % kChannels) + ".tv", "");
    benchmark::DoNotOptimize(f.store.NowAndNext(match.channel, f.now));
  }
  Floor(state);
}
BENCHMARK(BM_GuideNowNext)->Unit(benchmark::kMicrosecond);

void BM_GuideDayList(benchmark::State& state) {
  Fixture& f = Shared();
  int c = 0;
  std::size_t listed = 0;
  for (auto _ : state) {
    const GuideMatch match = f.store.MatchChannel("", "Канал " + std::to_string(c++ * 7919 % kChannels));
    listed = f.store.Programmes(match.channel, LocalDay(f.now, 1)).size();
    benchmark::DoNotOptimize(listed);
  }
  Floor(state);
  state.counters["listed"] = static_cast<double>(listed);
}
BENCHMARK(BM_GuideDayList)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vantrel
