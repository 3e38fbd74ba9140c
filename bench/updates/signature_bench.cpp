// Checking the signature of a 50 MB archive, beside sha256sum of the same file in the same
// run: the check reads the file once and hashes it with BLAKE2b, so it should cost about what
// a plain checksum does (target: at most 1.5 times sha256sum).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "updates/signature.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kArchiveBytes = 50'000'000;

int Run(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (::waitpid(pid, &status, 0) < 0) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A 50 MB archive of random bytes, its key pair and its signature, made once by minisign.
class SignedArchive {
 public:
  SignedArchive() {
    std::string pattern = (fs::temp_directory_path() / "vantrel-bench-XXXXXX").string();
    m_folder = ::mkdtemp(pattern.data());
    std::mt19937_64 random(50);
    std::vector<std::uint64_t> bytes(kArchiveBytes / sizeof(std::uint64_t));
    for (auto& word : bytes) word = random();
    std::ofstream(Archive(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(kArchiveBytes));
    const std::string pub = (m_folder / "key.pub").string();
    const std::string key = (m_folder / "key.key").string();
    m_ready = Run({VANTREL_MINISIGN, "-G", "-W", "-p", pub, "-s", key}) == 0 &&
              Run({VANTREL_MINISIGN, "-S", "-s", key, "-m", Archive().string()}) == 0;
    std::ifstream pubIn(pub), sigIn(Archive().string() + ".minisig");
    const std::string pubText((std::istreambuf_iterator<char>(pubIn)), std::istreambuf_iterator<char>());
    m_signature.assign((std::istreambuf_iterator<char>(sigIn)), std::istreambuf_iterator<char>());
    std::string reason;
    if (auto parsed = vantrel::ParseMinisignPublicKey(pubText, reason)) m_keys.push_back(*parsed);
    m_ready = m_ready && !m_keys.empty();
  }
  ~SignedArchive() { fs::remove_all(m_folder); }

  static const SignedArchive& Get() {
    static const SignedArchive archive;
    return archive;
  }
  bool Ready() const { return m_ready; }
  fs::path Archive() const { return m_folder / "update.zip"; }
  const std::string& Signature() const { return m_signature; }
  const std::vector<vantrel::MinisignPublicKey>& Keys() const { return m_keys; }

 private:
  fs::path m_folder;
  std::string m_signature;
  std::vector<vantrel::MinisignPublicKey> m_keys;
  bool m_ready = false;
};

void BM_VerifySignature50MB(benchmark::State& state) {
  const SignedArchive& archive = SignedArchive::Get();
  if (!archive.Ready()) return state.SkipWithError("minisign could not sign the archive");
  for (auto _ : state) {
    const auto verdict = vantrel::VerifyMinisignFile(archive.Signature(), archive.Archive(), archive.Keys());
    if (!verdict.accepted) return state.SkipWithError(verdict.reason.c_str());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kArchiveBytes));
}
BENCHMARK(BM_VerifySignature50MB)->Unit(benchmark::kMillisecond)->UseRealTime();

// The yardstick: the sha256sum program over the same file, start-up included.
void BM_Sha256sum50MB(benchmark::State& state) {
  const SignedArchive& archive = SignedArchive::Get();
  if (!archive.Ready()) return state.SkipWithError("minisign could not sign the archive");
  for (auto _ : state) {
    if (Run({"sha256sum", archive.Archive().string()}) != 0) return state.SkipWithError("sha256sum failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kArchiveBytes));
}
BENCHMARK(BM_Sha256sum50MB)->Unit(benchmark::kMillisecond)->UseRealTime();

// Both, one after the other in each round, so that the ratios compare the same moments of a
// shared machine: "ratio" is the check's wall time over sha256sum's, "cpu_ratio" the same for
// the processor time each used (this thread's; the child's, as the kernel counts it).
double ThreadCpuSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double ChildrenCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_SignatureOverSha256sum(benchmark::State& state) {
  const SignedArchive& archive = SignedArchive::Get();
  if (!archive.Ready()) return state.SkipWithError("minisign could not sign the archive");
  using Clock = std::chrono::steady_clock;
  Clock::duration verify{}, sha{};
  double verifyCpu = 0, shaCpu = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    const double cpuStart = ThreadCpuSeconds();
    benchmark::DoNotOptimize(vantrel::VerifyMinisignFile(archive.Signature(), archive.Archive(), archive.Keys()));
    verifyCpu += ThreadCpuSeconds() - cpuStart;
    const auto middle = Clock::now();
    const double childStart = ChildrenCpuSeconds();
    Run({"sha256sum", archive.Archive().string()});
    shaCpu += ChildrenCpuSeconds() - childStart;
    sha += Clock::now() - middle;
    verify += middle - start;
  }
  const double rounds = double(state.iterations());
  state.counters["verify_ms"] = std::chrono::duration<double, std::milli>(verify).count() / rounds;
  state.counters["sha256sum_ms"] = std::chrono::duration<double, std::milli>(sha).count() / rounds;
  state.counters["ratio"] = std::chrono::duration<double>(verify) / std::chrono::duration<double>(sha);
  state.counters["verify_cpu_ms"] = verifyCpu * 1000 / rounds;
  state.counters["sha256sum_cpu_ms"] = shaCpu * 1000 / rounds;
  state.counters["cpu_ratio"] = shaCpu > 0 ? verifyCpu / shaCpu : 0;
}
BENCHMARK(BM_SignatureOverSha256sum)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace
