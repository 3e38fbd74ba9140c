// A public-list-sized extended M3U (100,000 channels, 200 groups, long token-bearing addresses,
// names in Latin, Cyrillic, Greek, Arabic and CJK): parsing it, one search keystroke over all of
// it, and the memory it takes, each beside the floor of a bare memchr line split of the same
// file. Budgets: parse 150 ms, keystroke 16 ms, memory growth 150 MB.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "catalogue/playlist/channel_matcher.h"
#include "catalogue/playlist/playlist.h"

namespace vantrel {
namespace {

constexpr int kChannels = 100'000;
constexpr int kGroups = 200;

std::string Hex(std::mt19937_64& random, int digits) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out(static_cast<size_t>(digits), '0');
  for (char& c : out) c = kDigits[random() % 16];
  return out;
}

std::string MakePlaylist() {
  static const char* const kWords[][4] = {
      {"News", "Sport", "Movies", "Kids"},
      {"Новости", "Спорт", "Кино", "Детский"},
      {"Ειδήσεις", "Αθλητικά", "Ταινίες", "Παιδικά"},
      {"أخبار", "رياضة", "أفلام", "أطفال"},
      {"新闻", "体育", "电影", "少儿"},
  };
  static const char* const kCountries[] = {"US", "RU", "GR", "AE", "CN", "DE", "FR", "UA", "TR", "IN"};
  std::mt19937_64 random(2024);
  std::string text = "#EXTM3U url-tvg=\"http://epg.example.net/guide.xml.gz\"\n";
  text.reserve(size_t{kChannels} * 420);
  for (int i = 0; i < kChannels; ++i) {
    const int script = i % 5;
    const int group = i % kGroups;
    const std::string n = std::to_string(i);
    const std::string name = std::string(kWords[script][i % 4]) + " " + kWords[(script + 1) % 5][(i / 4) % 4] + " " + n +
                             (i % 3 == 0 ? " HD" : "");
    text += "#EXTINF:-1 tvg-id=\"ch" + n + ".example\" tvg-name=\"" + name + "\" tvg-logo=\"https://logos.example.net/" +
            Hex(random, 12) + ".png\" group-title=\"" + kWords[group % 5][group % 4] + " " + std::to_string(group) +
            "\" tvg-country=\"" + kCountries[i % 10] + "\" tvg-language=\"lang" + std::to_string(i % 7) + "\"," + name +
            "\n";
    if (i % 10 == 0) text += "#EXTVLCOPT:http-user-agent=Mozilla/5.0 (X11; Linux x86_64)\n";
    text += "http://cdn" + std::to_string(i % 17) + ".iptv-provider.example.com:8080/live/user" + Hex(random, 8) + "/" +
            Hex(random, 16) + "/" + n + ".m3u8?token=" + Hex(random, 64) + "&expires=17" + Hex(random, 8) + "\n";
  }
  return text;
}

struct Fixture {
  std::filesystem::path dir;
  std::filesystem::path file;
  std::string text;

  Fixture() {
    dir = std::filesystem::temp_directory_path() / ("vantrel-playlist-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    file = dir / "big.m3u";
    text = MakePlaylist();
    std::ofstream(file, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  ~Fixture() { std::filesystem::remove_all(dir); }
};

Fixture& Data() {
  static Fixture fixture;
  return fixture;
}

size_t CountLines(const std::string& text) {
  size_t lines = 0;
  const char* p = text.data();
  const char* const end = p + text.size();
  while (const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p))) {
    p = static_cast<const char*>(lf) + 1;
    ++lines;
  }
  return lines;
}

// The floor: finding every line of the same bytes, nothing else.
void BM_Floor_MemchrLineSplit(benchmark::State& state) {
  const std::string& text = Data().text;
  size_t lines = 0;
  for (auto _ : state) benchmark::DoNotOptimize(lines = CountLines(text));
  state.counters["lines"] = static_cast<double>(lines);
  state.counters["file_MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_Floor_MemchrLineSplit)->Unit(benchmark::kMillisecond);

// The floor with the file read first, beside the parse from the file.
void BM_Floor_ReadAndSplit(benchmark::State& state) {
  for (auto _ : state) {
    std::ifstream in(Data().file, std::ios::binary);
    std::string bytes(Data().text.size(), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    benchmark::DoNotOptimize(CountLines(bytes));
  }
}
BENCHMARK(BM_Floor_ReadAndSplit)->Unit(benchmark::kMillisecond);

// Parse from memory (budget 150 ms).
void BM_Parse(benchmark::State& state) {
  size_t channels = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::string copy = Data().text;
    state.ResumeTiming();
    const PlaylistReadResult r = ReadPlaylist(std::move(copy), "http://lists.example.net/all.m3u");
    channels = r.playlist.Size();
    state.PauseTiming();
    { const PlaylistReadResult gone = std::move(r); }  // freeing is not parsing
    state.ResumeTiming();
  }
  state.counters["channels"] = static_cast<double>(channels);
}
BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond);

// Parse from the file, reading included.
void BM_ParseFile(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ReadPlaylistFile(Data().file).playlist.Size());
}
BENCHMARK(BM_ParseFile)->Unit(benchmark::kMillisecond);

CChannelMatcher BuildMatcher(const CPlaylist& playlist) {
  CChannelMatcher matcher;
  matcher.Reserve(playlist.Size(), playlist.Size() * 64);
  for (size_t i = 0; i < playlist.Size(); ++i) matcher.Add(playlist.Name(i), playlist.Group(i), playlist.Country(i));
  return matcher;
}

// Making the search keys of every channel, once per import.
void BM_SearchIndex(benchmark::State& state) {
  const PlaylistReadResult r = ReadPlaylistFile(Data().file);
  for (auto _ : state) benchmark::DoNotOptimize(BuildMatcher(r.playlist).Size());
}
BENCHMARK(BM_SearchIndex)->Unit(benchmark::kMillisecond);

// One keystroke that starts a new search over all channels (budget 16 ms): the first letter
// typed (most hits), a Cyrillic word, a CJK word, a rare Latin word. Two different queries
// alternate so that every Find is a full scan.
void BM_SearchKeystroke(benchmark::State& state) {
  static const char* const kQueries[][2] = {{"a", "о"}, {"новост", "СПОРТ"}, {"电影", "新闻"}, {"zzq", "qzz"}};
  const auto& queries = kQueries[state.range(0)];
  const PlaylistReadResult r = ReadPlaylistFile(Data().file);
  CChannelMatcher matcher = BuildMatcher(r.playlist);
  size_t hits = 0;
  int turn = 0;
  for (auto _ : state) hits = matcher.Find(std::string_view(queries[turn ^= 1])).size();
  state.SetLabel(queries[0]);
  state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_SearchKeystroke)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// Typing a word letter by letter: each keystroke narrows the last results.
void BM_SearchTyping(benchmark::State& state) {
  const PlaylistReadResult r = ReadPlaylistFile(Data().file);
  CChannelMatcher matcher = BuildMatcher(r.playlist);
  const char* const steps[] = {"с", "сп", "спо", "спор", "спорт"};
  for (auto _ : state)
    for (const char* step : steps) benchmark::DoNotOptimize(matcher.Find(std::string_view(step)).size());
  state.counters["keystrokes"] = 5;
}
BENCHMARK(BM_SearchTyping)->Unit(benchmark::kMillisecond);

size_t HeapBytes() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

size_t ResidentBytes() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return static_cast<size_t>(resident) * static_cast<size_t>(::sysconf(_SC_PAGESIZE));
}

// Memory growth of a read playlist with its search keys (budget 150 MB), beside the floor:
// the file's bytes held in memory.
void BM_MemoryGrowth(benchmark::State& state) {
  double heapMB = 0, residentMB = 0;
  for (auto _ : state) {
    const size_t heap = HeapBytes();
    const size_t resident = ResidentBytes();
    const PlaylistReadResult r = ReadPlaylistFile(Data().file);
    const CChannelMatcher matcher = BuildMatcher(r.playlist);
    heapMB = static_cast<double>(HeapBytes() - heap) / 1e6;
    residentMB = static_cast<double>(ResidentBytes() - resident) / 1e6;
    benchmark::DoNotOptimize(matcher.Size());
  }
  state.counters["heap_growth_MB"] = heapMB;
  state.counters["rss_growth_MB"] = residentMB;
  state.counters["floor_file_MB"] = static_cast<double>(Data().text.size()) / 1e6;
}
BENCHMARK(BM_MemoryGrowth)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace vantrel
