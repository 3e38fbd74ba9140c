// Records a 5 Mbit/s H.264 TS from the loopback server for a minute (VANTREL_BENCH_SECONDS)
// with the library and, at the same time from the same server, with `ffmpeg -c copy`.
// Counters: both CPU times and their ratio, and the process's peak memory growth per capture.
// The server runs in a child process so that its work is counted against neither.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "streamsaver/streamsaver.h"
#include "tests/support/media_server.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

double Seconds(const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; }

double OwnCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

// A line of /proc/self/status in MB ("VmRSS", "VmHWM").
double StatusMb(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key + ":", 0) == 0) return std::atof(line.c_str() + key.size() + 1) / 1024.0;
  }
  return 0;
}

// The media server in a child process; it ends when the pipe to it closes.
struct ServerProcess {
  pid_t pid = -1;
  int toChild = -1;
  std::string url;

  explicit ServerProcess(double loopSeconds) {
    int down[2];
    int up[2];
    if (pipe(down) != 0 || pipe(up) != 0) return;
    pid = fork();
    if (pid == 0) {
      close(down[1]);
      close(up[0]);
      {
        vantrel::test::MediaServer server;
        const std::string live = server.LiveUrl("h264_720p_5m.ts", loopSeconds) + "\n";
        if (write(up[1], live.data(), live.size()) < 0) _exit(1);
        char c;
        while (read(down[0], &c, 1) > 0) {
        }
      }
      _exit(0);
    }
    close(down[0]);
    close(up[1]);
    toChild = down[1];
    char c;
    while (read(up[0], &c, 1) == 1 && c != '\n') url += c;
    close(up[0]);
  }

  ~ServerProcess() {
    if (toChild >= 0) close(toChild);
    if (pid > 0) waitpid(pid, nullptr, 0);
  }
};

void BM_RecordLiveStream(benchmark::State& state) {
  const char* env = std::getenv("VANTREL_BENCH_SECONDS");
  const double seconds = env != nullptr ? std::atof(env) : 60.0;
  const fs::path dir = fs::temp_directory_path() / ("streamsaver-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string ours = (dir / "library.avi").string();
  const std::string theirs = (dir / "ffmpeg.avi").string();

  for (auto _ : state) {
    ServerProcess server(6.0);  // the 6 s file once per 6 s: real time
    if (server.url.empty()) {
      state.SkipWithError("no media server");
      break;
    }
    const std::string duration = std::to_string(seconds);
    const char* argv[] = {"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i",
                          server.url.c_str(), "-c", "copy", "-t", duration.c_str(),
                          theirs.c_str(), nullptr};
    pid_t ffmpeg = -1;
    if (posix_spawnp(&ffmpeg, "ffmpeg", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
      state.SkipWithError("ffmpeg could not be started");
      break;
    }

    const double rssBefore = StatusMb("VmRSS");
    const double cpuBefore = OwnCpuSeconds();
    const std::u16string url(server.url.begin(), server.url.end());
    const std::u16string file(ours.begin(), ours.end());
    if (StartCaptureSource(url.c_str(), file.c_str(), nullptr) != 0) {
      state.SkipWithError("the capture did not start");
      kill(ffmpeg, SIGTERM);
      waitpid(ffmpeg, nullptr, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    StopCaptureSource(url.c_str(), nullptr);
    const double libraryCpu = OwnCpuSeconds() - cpuBefore;
    const double peakGrowth = StatusMb("VmHWM") - rssBefore;

    int status = 0;
    rusage usage{};
    wait4(ffmpeg, &status, 0, &usage);
    const double ffmpegCpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);

    state.counters["library_cpu_s"] = libraryCpu;
    state.counters["ffmpeg_cpu_s"] = ffmpegCpu;
    state.counters["cpu_ratio"] = ffmpegCpu > 0 ? libraryCpu / ffmpegCpu : 0;
    state.counters["peak_growth_MB"] = peakGrowth;
    state.counters["ffmpeg_maxrss_MB"] = usage.ru_maxrss / 1024.0;
    state.counters["library_file_MB"] = fs::file_size(ours) / 1e6;
    state.counters["ffmpeg_file_MB"] = fs::exists(theirs) ? fs::file_size(theirs) / 1e6 : 0;
  }
  fs::remove_all(dir);
}

BENCHMARK(BM_RecordLiveStream)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
