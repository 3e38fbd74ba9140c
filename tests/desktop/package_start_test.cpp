// The Debian package as a user gets it: unpacked into an empty root (dpkg-deb -x), started from
// there with a fresh home, on X11 (the test's own Xvfb) and on Wayland (Weston's headless
// backend). The test runs on a private session bus (dbus-run-session).
//
// X11: the window counts as started once the screen shows the about button in its enabled
// picture, which the window gets only after its start-up (panels open, then enabled).
// Wayland, where nothing can look at another client's windows: the program puts its media
// controls on the bus from its first paint, which Qt does only once the compositor has
// configured and shown the window; the test waits for that name, for the start-up to have
// passed with the process alive, and then closes the program through the bus (Quit), which
// must end it with exit code 0.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/e2e/program_processes.h"
#include "tests/e2e/x_display.h"

namespace fs = std::filesystem;

namespace vantrel {
namespace {

// Bounds waits on a slow, busy machine; never measures.
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

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// Asks the bus whether the media controls' name has an owner.
bool MediaControlsOnBus() {
  return Shell("dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner "
             "string:org.mpris.MediaPlayer2.vantrel 2>/dev/null | grep -q 'boolean true'");
}

class PackageStartTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fs::remove_all(Work());
    fs::create_directories(Root());
    fs::path deb;
    for (const auto& entry : fs::directory_iterator(VANTREL_PACKAGE_DIR))
      if (entry.path().extension() == ".deb") deb = entry.path();
    ASSERT_FALSE(deb.empty()) << "no package in " VANTREL_PACKAGE_DIR " (cpack -G DEB)";
    ASSERT_TRUE(Shell("dpkg-deb -x " + Quoted(deb) + " " + Quoted(Root())));
  }
  static void TearDownTestSuite() {
    if (!::testing::UnitTest::GetInstance()->Passed()) {
      std::cout << "unpacked package and logs kept in " << Work() << '\n';
      return;
    }
    fs::remove_all(Work());
  }

  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    m_home = Work() / name;
    fs::create_directories(m_home / "runtime");
    fs::permissions(m_home / "runtime", fs::perms::owner_all);
  }

  // The environment of a user who has never run the program.
  std::map<std::string, std::string> UserEnvironment() const {
    return {{"HOME", m_home.string()},
            {"XDG_CONFIG_HOME", (m_home / "config").string()},
            {"XDG_DATA_HOME", (m_home / "data").string()},
            {"XDG_CACHE_HOME", (m_home / "cache").string()},
            {"XDG_RUNTIME_DIR", (m_home / "runtime").string()}};
  }

  // What the first start leaves for the user: their own catalogue, nothing in the package root.
  void ExpectUserFiles() const {
    EXPECT_TRUE(fs::exists(m_home / "data/vantrel/channels.dat"));
    EXPECT_FALSE(fs::exists(Root() / "usr/bin/channels.dat"));
    EXPECT_TRUE(fs::exists(m_home / "config/Vantrel Applications/Vantrel.conf"));
  }

  static fs::path Work() { return fs::temp_directory_path() / ("vantrel-package-" + std::to_string(getpid())); }
  static fs::path Root() { return Work() / "root"; }
  static fs::path Program() { return Root() / "usr/bin/Vantrel"; }

  fs::path m_home;
  e2e::ProgramProcesses m_processes{Program()};
};

// The package holds what the installed layout promises.
TEST_F(PackageStartTest, PackageHoldsTheInstalledLayout) {
  for (const char* file : {"usr/bin/Vantrel", "usr/lib/vantrel/libstreamsaver.so", "usr/share/vantrel/channels.dat",
                           "usr/share/vantrel/skins/Classic/preview.bmp", "usr/share/applications/org.vantrel.Vantrel.desktop",
                           "usr/share/metainfo/org.vantrel.Vantrel.metainfo.xml",
                           "usr/share/icons/hicolor/scalable/apps/org.vantrel.Vantrel.svg",
                           "usr/share/icons/hicolor/48x48/apps/org.vantrel.Vantrel.png"})
    EXPECT_TRUE(fs::exists(Root() / file)) << file;
  // Every library the program needs is found: the recording library through the run path.
  EXPECT_TRUE(Shell("ldd " + Quoted(Program()) + " | grep -q 'libstreamsaver.so => " + (Root() / "usr/bin/../lib/vantrel").string() + "'"))
      << "the program does not find its recording library";
  EXPECT_FALSE(Shell("ldd " + Quoted(Program()) + " | grep -q 'not found'"));
}

TEST_F(PackageStartTest, StartsOnX11) {
  e2e::XDisplay x;
  ASSERT_TRUE(x.Connected()) << "no X server at $DISPLAY (run under xvfb-run)";
  auto environment = UserEnvironment();
  environment["QT_QPA_PLATFORM"] = "xcb";
  const pid_t pid = m_processes.Start(m_home, environment, m_home / "program.log");
  ASSERT_GT(pid, 0);

  // The about button's strip holds five pictures side by side: 0 enabled, 4 disabled.
  const QImage strip(QString::fromStdString((Root() / "usr/share/vantrel/skins/Classic/button_question.bmp").string()));
  ASSERT_FALSE(strip.isNull());
  const int width = strip.width() / 5;
  auto shows = [&](int picture) {
    const std::vector<e2e::XWindow> windows = x.TopLevelWindows();
    if (windows.empty()) return false;
    const QRect window = windows.back().rect;
    const QImage shown = x.Grab(QRect(window.topLeft() + QPoint(438, 480), QSize(width, strip.height())));
    if (shown.width() != width || shown.height() != strip.height()) return false;
    int same = 0, counted = 0;
    for (int y = 0; y < strip.height(); ++y)
      for (int px = 0; px < width; ++px) {
        const QRgb want = strip.pixel(picture * width + px, y), got = shown.pixel(px, y);
        if (qRed(want) > 240 && qGreen(want) < 16 && qBlue(want) > 240) continue;
        ++counted;
        same += std::abs(qRed(want) - qRed(got)) + std::abs(qGreen(want) - qGreen(got)) +
                    std::abs(qBlue(want) - qBlue(got)) < 24;
      }
    return counted > 0 && same >= counted * 9 / 10;
  };
  EXPECT_TRUE(WaitFor([&] { return shows(0); })) << "the window was never enabled";
  EXPECT_EQ(m_processes.Running().size(), 1u) << "the program ended early";
  ExpectUserFiles();
  m_processes.KillAll();
}

TEST_F(PackageStartTest, StartsOnWayland) {
  const std::string socket = "vantrel-test-" + std::to_string(getpid());
  const fs::path runtime = m_home / "runtime";
  const std::string weston = "XDG_RUNTIME_DIR=" + Quoted(runtime) +
                             " weston --backend=headless-backend.so --use-pixman --idle-time=0 --socket=" + socket +
                             " >" + Quoted(m_home / "weston.log") + " 2>&1 & echo $! >" + Quoted(m_home / "weston.pid");
  ASSERT_TRUE(Shell(weston));
  pid_t westonPid = 0;
  std::ifstream(m_home / "weston.pid") >> westonPid;
  ASSERT_GT(westonPid, 0);
  const bool westonUp = WaitFor([&] { return fs::exists(runtime / socket); });

  auto environment = UserEnvironment();
  environment["QT_QPA_PLATFORM"] = "wayland";
  environment["WAYLAND_DISPLAY"] = socket;
  // A copy started before has let go of the name.
  ASSERT_TRUE(WaitFor([] { return !MediaControlsOnBus(); }));
  pid_t pid = 0;
  if (westonUp) pid = m_processes.Start(m_home, environment, m_home / "program.log");
  if (pid > 0) {
    EXPECT_TRUE(WaitFor(MediaControlsOnBus)) << "the window never came up (see " << m_home / "program.log" << ")";
    // The start-up timers run about two seconds; the program must still be there after them.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    EXPECT_EQ(m_processes.Running().size(), 1u) << "the program ended during its start-up";
    ExpectUserFiles();
    EXPECT_TRUE(Shell("dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.vantrel /org/mpris/MediaPlayer2 "
                    "org.mpris.MediaPlayer2.Quit >/dev/null"));
    EXPECT_EQ(m_processes.WaitForExit(pid, kPatience), 0) << "the program did not close when asked";
  }
  m_processes.KillAll();
  kill(westonPid, SIGTERM);
  ASSERT_TRUE(westonUp) << "weston did not start (see " << m_home / "weston.log" << ")";
  ASSERT_GT(pid, 0);
}

}  // namespace
}  // namespace vantrel
