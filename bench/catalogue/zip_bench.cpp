// Extracting a 50 MB entry, stored and deflated, beside `unzip -p` of the same archives. Both
// write a fresh file in the same folder (tmpfs where there is one), timed by the wall clock
// because unzip runs as a child process.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "updates/zip/zip_archive.h"
#include "updates/zip/zip_writer.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

constexpr size_t kEntrySize = 50 * 1000 * 1000;

struct Archives {
  fs::path dir;
  fs::path stored, deflated;
  bool haveUnzip = std::system("command -v unzip >/dev/null 2>&1") == 0;

  Archives() {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    dir = base / ("vantrel-zip-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    // Log-like text: compresses about as well as real skins and program files do.
    std::string data(kEntrySize, ' ');
    uint32_t x = 12345;
    for (size_t i = 0; i < data.size(); ++i) {
      x = x * 1103515245u + 12345u;
      data[i] = (i % 61 == 60) ? '\n' : "etaoin shrdlu0123456789ETAOIN-_"[(x >> 16) % 31];
    }
    stored = Write("stored.zip", data, false);
    deflated = Write("deflated.zip", data, true);
  }
  ~Archives() { fs::remove_all(dir); }

  fs::path Write(const char* name, const std::string& data, bool deflate) {
    ZipWriter writer;
    ZipWriterEntry entry;
    entry.name = "payload.bin";
    entry.data = data;
    entry.deflate = deflate;
    writer.Add(entry);
    const std::string bytes = writer.Finish();
    std::ofstream(dir / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return dir / name;
  }
};

Archives& Data() {
  static Archives archives;
  return archives;
}

void Ours(benchmark::State& state, const fs::path& archive) {
  const fs::path out = Data().dir / "ours.out";
  for (auto _ : state) {
    auto zip = ZipArchive::Open(archive);
    if (!zip || zip->ExtractToFile(0, out) != kZipOk) state.SkipWithError("extraction failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kEntrySize));
  fs::remove(out);
}

void Unzip(benchmark::State& state, const fs::path& archive) {
  if (!Data().haveUnzip) {
    state.SkipWithError("unzip is not installed");
    return;
  }
  const fs::path out = Data().dir / "unzip.out";
  const std::string command = "rm -f '" + out.string() + "' && unzip -p '" + archive.string() + "' > '" + out.string() + "'";
  for (auto _ : state)
    if (std::system(command.c_str()) != 0) state.SkipWithError("unzip failed");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kEntrySize));
  fs::remove(out);
}

void BM_Stored_Ours(benchmark::State& state) { Ours(state, Data().stored); }
void BM_Stored_UnzipP(benchmark::State& state) { Unzip(state, Data().stored); }
void BM_Deflated_Ours(benchmark::State& state) { Ours(state, Data().deflated); }
void BM_Deflated_UnzipP(benchmark::State& state) { Unzip(state, Data().deflated); }
BENCHMARK(BM_Stored_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Stored_UnzipP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Deflated_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Deflated_UnzipP)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace vantrel
