// The main window with a 3,000-channel catalogue: from construction to the end of the first
// paint (the two one-second start-up timers come after and are not counted), and rebuilding
// the catalogue tree.
#include "bench/support/bench_app.h"
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>

#include "base/message_box.h"
#include "base/program_path.h"
#include "base/settings.h"
#include "base/text_codec.h"
#include "app/vantrel_dlg.h"
#include "catalogue/catalogue_file.h"
#include "catalogue/channel_list.h"
#include "catalogue/channel_views.h"
#include "playback/mpv_engine.h"

using namespace vantrel;

namespace {

constexpr int kChannels = 3000;

using vantrel::bench::App;

// A typical entry, in the catalogue's code page: 45 countries, 12 genres.
std::string ChannelXml(int i) {
  const std::string n = std::to_string(i);
  return "<channel id=\"" + n + "\" name=\"\xCA\xE0\xED\xE0\xEB " + n + "\" type=\"1\" URL=\"mms://s" +
         std::to_string(i % 40) + ".tv.ru/" + n + "\"><genre>\xC6\xE0\xED\xF0 " + std::to_string(i % 12) +
         "</genre><country>\xD1\xF2\xF0\xE0\xED\xE0 " + std::to_string(i % 45) + "</country><BPS>" +
         std::to_string(100 + i % 400) + "</BPS></channel>";
}

// A program folder with the Classic skin, the catalogue and a few favourites; settings,
// messages and the update server kept away from the user's.
struct ProgramSetUp {
  QTemporaryDir config;
  QTemporaryDir folder;
  bool ok = false;

  ProgramSetUp() {
    App();
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    SetAudioOutputForTesting("null");
    SetMessageBoxHookForTesting([](const MessageRequest&) { return MsgResult::Ok; });
    SetProgramPathForTesting((folder.path() + "/Vantrel").toStdString());
    WriteProfileString(kUpdateSection, kServerEntry, QStringLiteral("http://127.0.0.1:1/"));
    ok = bench::CopyFolder(QStringLiteral(VANTREL_BIN_DIR "/skins/Classic"), folder.path() + "/skins/Classic");
    std::string xml = "<channels version=\"1\">";
    for (int i = 0; i < kChannels; ++i) xml += ChannelXml(i);
    xml += "</channels>";
    std::string archive;
    ok = ok && PackCatalogue(xml, archive);
    std::ofstream(ProgramFolderFile(kCatalogueFile), std::ios::binary) << archive;
    std::ofstream(ProgramFolderFile(kFavoritesFile))
        << "<favorites><channel id=\"1\" name=\"One\" type=\"1\" URL=\"u1\"/>"
           "<channel id=\"2\" name=\"Two\" type=\"1\" URL=\"u2\"/></favorites>";
    GetChannelList().catalogPath = ProgramFolderFile(kCatalogueFile);
    GetChannelList().favoritesPath = ProgramFolderFile(kFavoritesFile);
  }
};

ProgramSetUp& SetUp() {
  static ProgramSetUp setUp;
  return setUp;
}

// Notes when its first paint has ended.
class TimedDlg : public CVantrelDlg {
 public:
  std::chrono::steady_clock::time_point painted{};

 protected:
  void paintEvent(QPaintEvent* event) override {
    CVantrelDlg::paintEvent(event);
    if (painted == std::chrono::steady_clock::time_point{}) painted = std::chrono::steady_clock::now();
  }
};

void BM_StartUpToFirstPaint(benchmark::State& state) {
  if (!SetUp().ok) {
    state.SkipWithError("no program folder");
    return;
  }
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    auto dlg = std::make_unique<TimedDlg>();
    if (!dlg->OnInitDialog()) {
      state.SkipWithError("initialisation failed");
      return;
    }
    dlg->show();
    while (dlg->painted == std::chrono::steady_clock::time_point{}) QCoreApplication::processEvents();
    state.SetIterationTime(std::chrono::duration<double>(dlg->painted - start).count());
    benchmark::DoNotOptimize(GetChannelList().channels.size());
  }
  state.counters["channels"] = static_cast<double>(GetChannelList().channels.size());
}
BENCHMARK(BM_StartUpToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The tree as the panel shows it: on screen, in its place and size.
void BM_BuildTree(benchmark::State& state, ChannelGrouping grouping) {
  if (!SetUp().ok) {
    state.SkipWithError("no program folder");
    return;
  }
  CChannelList& store = GetChannelList();
  store.LoadChannels();
  CChannelTreeView tree;
  tree.resize(241, 218);
  tree.show();
  for (auto _ : state) {
    tree.Fill(BuildChannelTree(store, grouping));
    QCoreApplication::processEvents();
  }
  state.counters["channels"] = static_cast<double>(store.channels.size());
}
BENCHMARK_CAPTURE(BM_BuildTree, ByCountries, ChannelGrouping::kByCountry)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuildTree, ByGenres, ChannelGrouping::kByGenre)->Unit(benchmark::kMillisecond);

}  // namespace
