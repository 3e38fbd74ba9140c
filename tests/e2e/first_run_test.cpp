// A newcomer's first sessions with the real program on a real X server: the demo catalogue
// from a loopback update server, a channel played through libmpv and recorded through the
// recording library, a favourite, the offered catalogue and skin taken, a restart with a
// playlist's address, another channel recorded from its menu while the playlist's plays, and a
// skin switch. The test sees only what a user sees (the screen, the files in the program folder)
// and acts only as a user does (mouse and keyboard). Each state is saved as a PNG picture.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <QSettings>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <set>
#include <thread>

#include "base/text_codec.h"
#include "catalogue/channel_list.h"
#include "tests/e2e/program_processes.h"
#include "tests/e2e/x_display.h"
#include "tests/streamsaver/media_probe.h"
#include "tools/server/update_server.h"

namespace fs = std::filesystem;

namespace vantrel::e2e {
namespace {

// How long any one step may take on a slow, busy machine; bounds waits, never measures.
constexpr double kPatience = 45;

template <class Condition>
bool WaitFor(Condition condition, double seconds = kPatience) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

void Sleep(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// A skinned button: its strip in the skin folder and its place in the window's design, which
// is the window's own size here (the test never resizes it).
struct Button {
  const char* strip;
  QPoint at;
};
constexpr Button kClose{"button_close.bmp", {726, 7}};
constexpr Button kAbout{"button_question.bmp", {438, 480}};
constexpr Button kRecord{"button_record.bmp", {145, 480}};
constexpr Button kHeart{"button_heart.bmp", {190, 550}};
constexpr Button kDownload{"button_download.bmp", {940, 37}};
constexpr Button kOk{"button_ok.bmp", {40, 135}};  // in a message box
constexpr Button kCancel{"button_cancel.bmp", {220, 135}};
constexpr QPoint kMetallPreview{10, 395};
// Button pictures: 0 off, 1 on, 2 off under the pointer, 4 disabled.
constexpr int kOff = 0, kOn = 1, kHovered = 2, kDisabled = 4;

// The middle of a tree row's text, in window coordinates: rows are 14 pixels high in the
// default font, and each level is indented by 20.
QPoint TreeRow(int row, int level) { return {805 + 20 * level, 90 + 14 * row}; }
constexpr QPoint kFirstFavourite{300, 542};

bool IsKey(QRgb c) { return qRed(c) > 240 && qGreen(c) < 16 && qBlue(c) > 240; }
bool Near(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) < 24;
}

class FirstRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_x.Connected()) << "no X server at $DISPLAY";
    const fs::path bin = VANTREL_BIN_DIR;
    fs::remove_all(m_work);
    fs::create_directories(m_program);
    fs::create_directories(m_work / "recordings");
    fs::create_directories(m_work / "config/Vantrel Applications");
    fs::remove_all(kShots);
    fs::create_directories(kShots);
    for (const char* file : {"Vantrel", "libstreamsaver.so"}) fs::copy(bin / file, m_program / file);
    fs::copy(bin / "skins", m_program / "skins", fs::copy_options::recursive);

    m_serverLog.open(m_work / "server.log");
    m_server = std::make_unique<server::UpdateServer>(
        server::UpdateServerOptions{.root = m_work / "demo/server", .log = &m_serverLog});
    ASSERT_TRUE(m_server->Start());
    // The demo catalogues, playing from this server; its media and its offered skin as built.
    const std::string make = "bash '" VANTREL_DEMO_SCRIPTS "/make_catalogues.sh' '" VANTREL_DEMO_SCRIPTS
                             "/channels.txt' " +
                             m_server->BaseAddress() + " 12 14 '" + (bin / "vantrel-catalogue").string() + "' '" +
                             (m_work / "demo").string() + "' >/dev/null";
    ASSERT_EQ(std::system(make.c_str()), 0);
    fs::create_directory_symlink(fs::path(VANTREL_DEMO_DIR) / "server/media", m_work / "demo/server/media");
    fs::copy(fs::path(VANTREL_DEMO_DIR) / "server/skins", m_work / "demo/server/skins",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    fs::copy(m_work / "demo/channels.dat", m_program / "channels.dat");
    std::ofstream(m_work / "config/Vantrel Applications/Vantrel.conf")
        << "[Update]\nServer=" << m_server->BaseAddress() << "\n";
  }

  void TearDown() override {
    m_processes.KillAll();
    if (m_server) m_server->Stop();
    if (HasFailure()) {
      std::cout << "program folder, settings and logs kept in " << m_work << ", pictures in " << kShots << '\n';
      return;
    }
    fs::remove_all(m_work);
  }

  pid_t StartProgram(const std::vector<std::string>& arguments = {}) {
    return m_processes.Start(m_work / "recordings",
                             {{"XDG_CONFIG_HOME", (m_work / "config").string()}, {"QT_QPA_PLATFORM", "xcb"}},
                             m_work / "program.log", arguments);
  }

  // What the server has answered so far, one request a line.
  std::string ServerLog() const {
    std::ifstream in(m_work / "server.log");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  void Shot(const std::string& name) {
    m_x.Grab().save(QString::fromStdString((fs::path(kShots) / (name + ".png")).string()));
  }

  // The main window is the largest top-level window; message boxes and dialogs are the others.
  std::optional<QRect> MainWindow() const {
    std::optional<QRect> main;
    for (const XWindow& window : m_x.TopLevelWindows())
      if (!main || window.rect.width() * window.rect.height() > main->width() * main->height()) main = window.rect;
    return main;
  }
  std::optional<XWindow> NewDialog(unsigned long notThis = 0) const {
    const std::optional<QRect> main = MainWindow();
    if (!main) return std::nullopt;
    for (const XWindow& window : m_x.TopLevelWindows())
      if (window.rect != *main && window.id != notThis) return window;
    return std::nullopt;
  }
  std::optional<XWindow> WaitForDialog(unsigned long notThis = 0) {
    std::optional<XWindow> dialog;
    WaitFor([&] { return (dialog = NewDialog(notThis)).has_value(); });
    return dialog;
  }

  QImage Strip(const Button& button) const {
    return QImage(QString::fromStdString((m_program / "skins" / m_skin / button.strip).string()));
  }
  QPoint Centre(const Button& button, QPoint origin) const {
    const QImage strip = Strip(button);
    return origin + button.at + QPoint(strip.width() / 10, strip.height() / 2);
  }
  void Press(const Button& button, QPoint origin) { m_x.Click(Centre(button, origin)); }
  void Press(const Button& button) { Press(button, MainWindow().value_or(QRect()).topLeft()); }

  // Which picture of `strip` the screen shows where the button is; -1 for none.
  int ShownPicture(const Button& button, const QImage& strip) const {
    const std::optional<QRect> window = MainWindow();
    if (!window) return -1;
    const int width = strip.width() / 5;
    const QRect area(window->topLeft() + button.at, QSize(width, strip.height()));
    const QImage shown = m_x.Grab(area);
    if (shown.size() != area.size()) return -1;
    // Some pictures differ in a few pixels only (the focus picture from the normal one): the
    // one that matches best, and nearly all of its pixels.
    int best = -1, bestSame = 0, bestCounted = 1;
    for (int picture = 0; picture < 5; ++picture) {
      int counted = 0, same = 0;
      for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < width; ++x) {
          const QRgb want = strip.pixel(picture * width + x, y);
          if (IsKey(want)) continue;
          ++counted;
          same += Near(shown.pixel(x, y), want);
        }
      if (counted > 0 && same * bestCounted > bestSame * counted)
        best = picture, bestSame = same, bestCounted = counted;
    }
    return bestSame >= bestCounted * 9 / 10 ? best : -1;
  }
  bool Shows(const Button& button, int picture) const { return ShownPicture(button, Strip(button)) == picture; }
  // Waits for one of `pictures`; on failure says what the button showed instead.
  ::testing::AssertionResult WaitForPicture(const Button& button, std::initializer_list<int> pictures) {
    const QImage strip = Strip(button);
    int shown = -1;
    if (WaitFor([&] {
          shown = ShownPicture(button, strip);
          return std::find(pictures.begin(), pictures.end(), shown) != pictures.end();
        }))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << button.strip << " shows picture " << shown;
  }

  // Moving pictures: the video area holds many colours, and changes.
  bool VideoIsMoving() const {
    const QRect area = QRect(200, 120, 400, 280).translated(MainWindow()->topLeft());
    const QImage first = m_x.Grab(area);
    Sleep(1.0);
    const QImage second = m_x.Grab(area);
    std::set<QRgb> colours;
    for (int y = 0; y < first.height(); y += 4)
      for (int x = 0; x < first.width(); x += 4) colours.insert(first.pixel(x, y));
    return colours.size() > 20 && first != second;
  }

  CChannelList StoredLists() const {
    CChannelList lists(m_program / "channels.dat", m_program / "favorites.xml");
    lists.LoadChannels();
    lists.LoadFavorites();
    return lists;
  }

  static constexpr const char* kShots = VANTREL_E2E_SHOTS;
  XDisplay m_x;
  const fs::path m_work = fs::temp_directory_path() / ("vantrel-e2e-" + std::to_string(getpid()));
  const fs::path m_program = m_work / "program";
  std::string m_skin = "Classic";
  std::ofstream m_serverLog;
  std::unique_ptr<server::UpdateServer> m_server;
  ProgramProcesses m_processes{m_program / "Vantrel"};
};

TEST_F(FirstRunTest, PlaysRecordsKeepsFavouritesTakesUpdatesAndSwitchesSkins) {
  const pid_t first = StartProgram();
  ASSERT_GT(first, 0);

  // The server offers a skin the program does not have: take it, but do not restart yet.
  std::optional<XWindow> box = WaitForDialog();
  ASSERT_TRUE(box) << "no skin offer";
  Shot("1-skin-offer");
  Press(kOk, box->rect.topLeft());
  const std::optional<XWindow> restartQuestion = WaitForDialog(box->id);
  ASSERT_TRUE(restartQuestion) << "no restart question after the skin download";
  Shot("2-skin-installed");
  Press(kCancel, restartQuestion->rect.topLeft());
  EXPECT_TRUE(fs::exists(m_program / "skins/Aurora/preview.bmp"));

  // Both panels open, the window takes input, and the newer catalogue can be downloaded.
  ASSERT_TRUE(WaitForPicture(kAbout, {kOff})) << "the window was never enabled";
  ASSERT_TRUE(WaitForPicture(kDownload, {kOff})) << "no catalogue offer";
  EXPECT_FALSE(NewDialog());
  Shot("3-ready");

  // The first country's first genre's first channel (in the demo catalogue a television channel
  // in H.264), found by opening its country and genre.
  m_x.Click(TreeRow(0, 0), 2);
  m_x.Click(TreeRow(1, 1), 2);
  m_x.Click(TreeRow(2, 2), 2);
  ASSERT_TRUE(WaitForPicture(kRecord, {kOff, kHovered})) << "the channel never played";
  EXPECT_TRUE(VideoIsMoving());
  Shot("4-playing");

  // Three seconds recorded to an AVI file named in the save dialog.
  const fs::path recording = m_work / "recordings/e2e_recording.avi";
  Press(kRecord);
  const std::optional<XWindow> saveDialog = WaitForDialog();
  ASSERT_TRUE(saveDialog) << "no save dialog";
  Sleep(0.5);
  Shot("5-save-dialog");
  m_x.Type(recording.string());
  m_x.Key("Return");
  ASSERT_TRUE(WaitFor([&] { return fs::exists(recording) && fs::file_size(recording) > 0; }))
      << "the recording never started";
  EXPECT_TRUE(WaitForPicture(kRecord, {kOn}));
  Sleep(3);
  Shot("6-recording");
  Press(kRecord);
  ASSERT_TRUE(WaitFor([&] { return fs::exists(recording) && test::HasAviIndex(recording.string()); }))
      << "no finished recording at " << recording;
  const test::RecordedFile file = test::ReadRecording(recording.string());
  EXPECT_TRUE(file.opened);
  EXPECT_EQ(file.format, "avi");
  EXPECT_NE(std::find(file.codecs.begin(), file.codecs.end(), "h264"), file.codecs.end());
  EXPECT_GE(file.duration, 2.0);
  EXPECT_TRUE(file.readToEnd);

  // The playing channel becomes a favourite, kept in the program folder at once.
  Press(kHeart);
  ASSERT_TRUE(WaitFor([&] { return StoredLists().favorites.size() == 1; })) << "no favourite stored";
  const int32_t favourite = StoredLists().favorites[0].id;
  Shot("7-favourite");

  // The offered catalogue replaces the old one.
  EXPECT_EQ(StoredLists().version, 12);
  Press(kDownload);
  box = WaitForDialog();
  ASSERT_TRUE(box) << "no message after the download";
  Shot("8-catalogue-downloaded");
  Press(kOk, box->rect.topLeft());
  EXPECT_EQ(StoredLists().version, 14);
  EXPECT_TRUE(WaitForPicture(kDownload, {kDisabled}));

  Press(kClose);
  ASSERT_EQ(m_processes.WaitForExit(first, kPatience), 0) << "the program did not close";

  // A second start with a playlist's address on the command line: it is imported from the
  // server. Its one channel plays the first catalogue channel's stream by an address of its own.
  const std::string listed = Utf16ToUtf8(StoredLists().channels.at(0).URL) + "?via=playlist";
  std::ofstream(m_work / "demo/server/files/e2e.m3u")
      << "#EXTM3U\n#EXTINF:-1 group-title=\"E2E\",Playlist channel\n" << listed << "\n";
  // A second start: nothing is offered any more, and the favourite plays from its list.
  const pid_t second = StartProgram({m_server->BaseAddress() + "files/e2e.m3u"});
  ASSERT_TRUE(WaitForPicture(kAbout, {kOff})) << "the window was never enabled again";
  EXPECT_FALSE(NewDialog()) << "an offer came although everything is up to date";
  EXPECT_TRUE(Shows(kDownload, kDisabled));
  ASSERT_EQ(StoredLists().favorites.size(), 1u);
  EXPECT_EQ(StoredLists().favorites[0].id, favourite);
  m_x.Click(MainWindow()->topLeft() + kFirstFavourite, 2);
  ASSERT_TRUE(WaitForPicture(kRecord, {kOff, kHovered})) << "the favourite never played";
  Shot("9-second-start");

  // The imported playlist is in the view "by lists", which it brought up: its channel, found by
  // opening the playlist and its group, plays.
  ASSERT_TRUE(WaitFor([&] { return ServerLog().find("GET /files/e2e.m3u HTTP/1.1 -> 200") != std::string::npos; }))
      << "the playlist was never fetched";
  Sleep(0.5);
  // The server writes a request's line once its answer ends: the favourite's, when the
  // playlist's channel takes its place.
  const auto liveAnswers = [this] {
    const std::string log = ServerLog();
    size_t count = 0;
    for (size_t at = log.find("GET /live/"); at != std::string::npos; at = log.find("GET /live/", at + 1)) ++count;
    return count;
  };
  const size_t answered = liveAnswers();
  m_x.Click(TreeRow(0, 0), 2);
  m_x.Click(TreeRow(1, 1), 2);
  m_x.Click(TreeRow(2, 2), 2);
  ASSERT_TRUE(WaitFor([&] { return liveAnswers() > answered; })) << "the playlist's channel never replaced the favourite";
  EXPECT_TRUE(WaitForPicture(kRecord, {kOff, kHovered}));
  EXPECT_TRUE(VideoIsMoving());
  Shot("9-playlist-channel");

  // While the playlist's channel plays, the favourite (the same stream by its catalogue address)
  // is recorded from its menu: "Записать…", "Без ограничения", and a file named in the dialog.
  const fs::path other = m_work / "recordings/e2e_other_channel.avi";
  m_x.RightClick(MainWindow()->topLeft() + kFirstFavourite);
  // Menus are pop-ups the window list leaves out: time for it to show.
  Sleep(0.7);
  Shot("10-favourite-menu");
  m_x.Key("Down");
  m_x.Key("Right");
  m_x.Key("Return");
  Sleep(1);
  ASSERT_TRUE(WaitForDialog()) << "no save dialog for the other channel";
  Shot("10b-record-other-dialog");
  m_x.Type(other.string());
  m_x.Key("Return");
  ASSERT_TRUE(WaitFor([&] { return fs::exists(other) && fs::file_size(other) > 0; }))
      << "the other channel's recording never started";
  Sleep(3);
  EXPECT_TRUE(VideoIsMoving()) << "the playing channel stopped while the other one records";
  Shot("11-recording-other");
  // The list of recordings came up with it; closed as a user closes a window, the recording
  // goes on.
  for (std::optional<XWindow> list = NewDialog(); list; list = NewDialog()) {
    m_x.Close(list->id);
    if (!WaitFor([&] { const auto next = NewDialog(); return !next || next->id != list->id; })) break;
  }

  // Another skin: the program stores it and starts again in it.
  const QImage preview(QString::fromStdString((m_program / "skins/Metall/preview.bmp").string()));
  m_x.Click(MainWindow()->topLeft() + kMetallPreview + QPoint(preview.width() / 10, preview.height() / 2));
  ASSERT_NE(m_processes.WaitForExit(second, kPatience), -1) << "the program did not end for the restart";
  EXPECT_NE(ServerLog().find("?via=playlist HTTP/1.1 -> 20"), std::string::npos) << "the playlist's channel was not played";
  // Ending the program finished the other channel's file.
  ASSERT_TRUE(test::HasAviIndex(other.string())) << "no finished recording at " << other;
  const test::RecordedFile otherFile = test::ReadRecording(other.string());
  EXPECT_TRUE(otherFile.opened);
  EXPECT_GE(otherFile.duration, 2.0);
  EXPECT_TRUE(otherFile.readToEnd);
  m_skin = "Metall";
  ASSERT_TRUE(WaitFor([&] { return m_processes.Running().size() == 1; })) << "the program did not start again";
  ASSERT_TRUE(WaitForPicture(kAbout, {kOff})) << "the restarted window never showed the new skin";
  Shot("12-metall");
  QSettings settings(QString::fromStdString((m_work / "config/Vantrel Applications/Vantrel.conf").string()),
                     QSettings::IniFormat);
  EXPECT_EQ(settings.value("Skins/Current Skin").toString(), "Metall");

  Press(kClose);
  EXPECT_TRUE(WaitFor([&] { return m_processes.Running().empty(); })) << "the restarted program did not close";
}

}  // namespace
}  // namespace vantrel::e2e
