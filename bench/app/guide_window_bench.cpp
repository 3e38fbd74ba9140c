// The programme guide's window side at full size (1,000 channels over 7 days, imported in the
// background as the program does it): opening the day's list of a channel (window made,
// filled and shown, events processed), switching its day, and one tooltip of the tree. Each is
// reported beside the floor of unpacking the same guide with zcat, measured in the same run.
#include "bench/support/bench_app.h"
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/vantrel_dlg_guide.h"
#include "app/vantrel_dlg_guide_day.h"
#include "base/file_locations.h"
#include "base/program_path.h"
#include "bench/guide/guide_generator.h"
#include "catalogue/guide/guide_source_list.h"

using namespace vantrel;
using vantrel::bench::App;

namespace {

constexpr int kChannels = 1000;
constexpr int kDays = 7;

struct Fixture {
  QTemporaryDir dir;
  std::unique_ptr<CGuideService> guide;
  CChannel channel;
  double zcatMs = 0;
  double importSeconds = 0;

  Fixture() {
    App();
    // The offscreen platform says for every window shown that it cannot size it to its hints.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
      if (type != QtWarningMsg || !text.contains(QStringLiteral("propagateSizeHints"))) std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    SetProgramPathForTesting(dir.filePath("Vantrel").toStdString());
    const std::filesystem::path file = dir.filePath("guide.xml.gz").toStdString();
    bench::WriteGeneratedGuide(file, kChannels, kDays, std::time(nullptr) - 86400);
    zcatMs = 1e9;
    for (int i = 0; i < 3; ++i) {
      const auto t0 = std::chrono::steady_clock::now();
      if (std::system(("zcat '" + file.string() + "' > /dev/null").c_str()) != 0) std::abort();
      zcatMs = std::min(zcatMs, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    // The user's own source: read in the background at start, as the program does.
    if (!WriteGuideSourceList(FileLocation(DataFile::kGuideSources), {file.string()})) std::abort();
    guide = std::make_unique<CGuideService>();
    const auto t0 = std::chrono::steady_clock::now();
    guide->Start();
    while (guide->PendingRefreshes() > 0 || !guide->SourceState(file.string())) QCoreApplication::processEvents();
    importSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (!guide->SourceState(file.string())->imported) std::abort();
    channel.id = 500;
    channel.name = u"Канал 500";
    if (guide->Day(channel, 0).empty()) std::abort();
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void Report(benchmark::State& state, double targetMs) {
  state.counters["zcat_floor_ms"] = Shared().zcatMs;
  state.counters["target_ms"] = targetMs;
}

// Target: 16 ms from the command to a list on screen.
void BM_GuideDayWindowOpen(benchmark::State& state) {
  Fixture& f = Shared();
  std::size_t rows = 0;
  for (auto _ : state) {
    CGuideDayWindow window(*f.guide);
    window.ShowChannel(f.channel);
    window.show();
    QCoreApplication::processEvents();
    rows = window.Programmes().size();
  }
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["background_import_s"] = f.importSeconds;
  Report(state, 16);
}
BENCHMARK(BM_GuideDayWindowOpen)->Unit(benchmark::kMillisecond);

// Target: 16 ms for another day of the open list.
void BM_GuideDayWindowSwitchDay(benchmark::State& state) {
  Fixture& f = Shared();
  CGuideDayWindow window(*f.guide);
  window.ShowChannel(f.channel);
  window.show();
  int day = CGuideDayWindow::kFirstDay;
  for (auto _ : state) {
    window.ShowDay(day);
    QCoreApplication::processEvents();
    day = day == CGuideDayWindow::kLastDay ? CGuideDayWindow::kFirstDay : day + 1;
  }
  Report(state, 16);
}
BENCHMARK(BM_GuideDayWindowSwitchDay)->Unit(benchmark::kMillisecond);

// Target: 1 ms for a tree tooltip (matching by name, then now and next).
void BM_GuideTreeTooltip(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) benchmark::DoNotOptimize(f.guide->ToolTip(f.channel));
  Report(state, 1);
}
BENCHMARK(BM_GuideTreeTooltip)->Unit(benchmark::kMicrosecond);

}  // namespace
