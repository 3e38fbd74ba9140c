// A 100,000-channel playlist in the main window: from opening the file to the end of the first
// paint of the tree that shows it, and one keystroke in the search field over every channel to
// the end of the repaint of the results. Each is reported beside a floor measured in the same
// run: reading the same file and splitting it into lines with memchr, nothing else.
#include "bench/support/bench_app.h"
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/vantrel_dlg.h"
#include "base/message_box.h"
#include "base/program_path.h"
#include "base/settings.h"
#include "catalogue/channel_list.h"
#include "catalogue/file_replace.h"
#include "catalogue/playlist/playlist_store.h"
#include "playback/mpv_engine.h"

using namespace vantrel;
using vantrel::bench::App;

namespace {

constexpr int kChannels = 100'000;
constexpr int kGroups = 200;

// Names in several scripts, as public lists mix them.
const char* const kNames[] = {"Первый канал", "Sport Arena", "Ελληνική TV", "Кино Хит", "Music Box",
                              "日本テレビ", "Новости 24", "Cartoon World", "قناة الأخبار", "Юмор FM"};

// An extended M3U as providers publish it: attributes, a logo, long addresses with tokens.
std::string GeneratePlaylist() {
  std::ostringstream out;
  out << "#EXTM3U url-tvg=\"http://127.0.0.1/guide.xml.gz\"\n";
  for (int i = 0; i < kChannels; ++i) {
    const int group = i % kGroups;
    const std::string name = std::string(kNames[i % std::size(kNames)]) + " " + std::to_string(i);
    out << "#EXTINF:-1 tvg-id=\"ch" << i << ".tv\" tvg-name=\"" << name << "\" tvg-logo=\"http://127.0.0.1/logos/"
        << i << ".png\" tvg-country=\"" << (group % 2 ? "RU" : "DE") << "\" group-title=\""
        << (group % 3 ? "Группа " : "Group ") << group << "\"," << name << "\n"
        << "http://127.0.0.1:8080/live/user" << (i % 97) << "/8f3a9c2b7e1d4f60a5b3c9e2d7f1a4b6" << i
        << "/index.m3u8?token=eyJhbGciOiJIUzI1NiJ9.c3RyZWFt" << i * 7919 << "&expires=1893456000\n";
  }
  return out.str();
}

// The window on the Classic skin with both panels open, settings and messages kept away from
// the user's, and the playlist written beside it.
struct WindowSetUp {
  QTemporaryDir config;
  QTemporaryDir folder;
  std::string playlistFile;
  std::unique_ptr<CVantrelDlg> dlg;

  WindowSetUp() {
    App();
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    SetAudioOutputForTesting("null");
    SetMessageBoxHookForTesting([](const MessageRequest&) { return MsgResult::Ok; });
    SetProgramPathForTesting((folder.path() + "/Vantrel").toStdString());
    WriteProfileString(kUpdateSection, kServerEntry, QStringLiteral("http://127.0.0.1:1/"));
    if (!bench::CopyFolder(QStringLiteral(VANTREL_BIN_DIR "/skins/Classic"), folder.path() + "/skins/Classic")) return;
    playlistFile = (folder.path() + "/big.m3u").toStdString();
    std::ofstream(playlistFile, std::ios::binary) << GeneratePlaylist();
    GetChannelList().catalogPath = ProgramFolderFile(kCatalogueFile);
    GetChannelList().favoritesPath = ProgramFolderFile(kFavoritesFile);
    dlg = std::make_unique<CVantrelDlg>();
    if (!dlg->OnInitDialog()) {
      dlg.reset();
      return;
    }
    dlg->show();
    // Start-up opens the panels one second apart; the tree is on screen after that.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!dlg->isEnabled() && std::chrono::steady_clock::now() < until) QApplication::processEvents();
    if (!dlg->Tree().isVisible()) dlg.reset();
  }
};

WindowSetUp& SetUp() {
  static WindowSetUp setUp;
  return setUp;
}

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The floor: the file read and split into lines, nothing looked at.
void BM_Floor_ReadAndSplitLines(benchmark::State& state) {
  if (SetUp().playlistFile.empty()) return state.SkipWithError("no playlist");
  size_t lines = 0;
  for (auto _ : state) {
    std::ifstream in(SetUp().playlistFile, std::ios::binary | std::ios::ate);
    std::string bytes(static_cast<size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    lines = 0;
    for (const char* at = bytes.data(), *end = at + bytes.size(); at < end; ++lines) {
      const void* next = std::memchr(at, '\n', static_cast<size_t>(end - at));
      at = next == nullptr ? end : static_cast<const char*>(next) + 1;
    }
    benchmark::DoNotOptimize(lines);
  }
  state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_Floor_ReadAndSplitLines)->Unit(benchmark::kMillisecond);

// The store's part of an import alone (read, check, parse, keep a copy), to tell it from the
// window's part (records, tree, search index, paint) in the figure below.
void BM_StoreImportOnly(benchmark::State& state) {
  if (SetUp().playlistFile.empty()) return state.SkipWithError("no playlist");
  QTemporaryDir folder;
  CPlaylistStore store(folder.path().toStdString());
  for (auto _ : state) {
    CPlaylist playlist;
    const PlaylistImport import = store.ImportFile(SetUp().playlistFile, &playlist);
    if (!import.Ok() || playlist.Size() != kChannels) return state.SkipWithError("import failed");
    store.Remove(import.id);
  }
}
BENCHMARK(BM_StoreImportOnly)->Unit(benchmark::kMillisecond)->Iterations(5);

// The store's import as it was made before: read, parse a copy of the bytes, then write and
// flush the copy, one after the other. For comparison with the figure above.
void BM_StoreImportSequential(benchmark::State& state) {
  if (SetUp().playlistFile.empty()) return state.SkipWithError("no playlist");
  QTemporaryDir folder;
  for (auto _ : state) {
    std::string bytes;
    std::ifstream in(SetUp().playlistFile, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    PlaylistReadResult read = ReadPlaylist(bytes, SetUp().playlistFile);
    if (!read.Ok() || read.playlist.Size() != kChannels) return state.SkipWithError("parse failed");
    if (!ReplaceFileContents(folder.filePath("1.m3u").toStdString(), bytes)) return state.SkipWithError("no copy");
  }
}
BENCHMARK(BM_StoreImportSequential)->Unit(benchmark::kMillisecond)->Iterations(5);

// Waits, handling events, until the shelf holds `count` playlists.
bool WaitForPlaylists(CVantrelDlg& dlg, size_t count) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (dlg.Playlists().Playlists().size() != count) {
    if (std::chrono::steady_clock::now() > until) return false;
    bench::WaitForEvents(5);
  }
  return true;
}

// Open to the end of the tree's first paint; the playlist is removed again between rounds.
// The file is read on a worker and arrives through the event loop, as in the program.
void BM_ImportToFirstPaint(benchmark::State& state) {
  CVantrelDlg* dlg = SetUp().dlg.get();
  if (dlg == nullptr) return state.SkipWithError("no window");
  const QString file = QString::fromStdString(SetUp().playlistFile);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!dlg->OpenPlaylist(file) || !WaitForPlaylists(*dlg, 1)) return state.SkipWithError("import failed");
    dlg->Tree().repaint();
    state.SetIterationTime(Since(start));
    if (dlg->Playlists().Playlists().size() != 1 || dlg->Playlists().Playlists()[0].channels.size() != kChannels)
      return state.SkipWithError("not all channels came in");
    dlg->Playlists().Remove(0);
  }
  state.counters["channels"] = kChannels;
}
BENCHMARK(BM_ImportToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// One keystroke to the end of the results' repaint. "First": the first letter, which scans
// every channel and lists most of them; "next": a letter that extends the query.
void BM_SearchKeystroke(benchmark::State& state, const char* before, const char* after) {
  CVantrelDlg* dlg = SetUp().dlg.get();
  if (dlg == nullptr) return state.SkipWithError("no window");
  if (dlg->Playlists().Playlists().empty() &&
      (!dlg->OpenPlaylist(QString::fromStdString(SetUp().playlistFile)) || !WaitForPlaylists(*dlg, 1)))
    return state.SkipWithError("import failed");
  CChannelSearchField& field = dlg->SearchField();
  int results = 0;
  for (auto _ : state) {
    field.setText(QString::fromUtf8(before));
    const auto start = std::chrono::steady_clock::now();
    field.setText(QString::fromUtf8(after));
    dlg->Tree().repaint();
    state.SetIterationTime(Since(start));
    results = dlg->Tree().model()->rowCount();
  }
  field.clear();
  state.counters["results"] = results;
  state.counters["channels"] = kChannels;
}
BENCHMARK_CAPTURE(BM_SearchKeystroke, First, "", "к")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchKeystroke, Next, "кин", "кино")->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
