#include <QApplication>
#include <QContextMenuEvent>
#include <QSlider>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "playback/play_state.h"
#include "tests/playback/player_test_util.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

// A window that counts the context menus it is asked for.
class MenuCountingWindow : public QWidget {
 public:
  int menus = 0;

 protected:
  void contextMenuEvent(QContextMenuEvent*) override { ++menus; }
};

void Click(CMediaplayer& player, const char* button) {
  auto* widget = player.findChild<QToolButton*>(button);
  QVERIFY(widget);
  widget->click();
}

}  // namespace

class PlayerWidgetTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  std::unique_ptr<MediaServer> m_server;
  QString m_live;

  void ShowAndPlay(CMediaplayer& player, PlayerRecorder& recorder, QSize size) {
    player.resize(size);
    player.show();
    QVERIFY(QTest::qWaitForWindowExposed(&player));
    player.SetURL(m_live);
    QTRY_VERIFY_WITH_TIMEOUT(recorder.states.contains(play_state::kPlaying) && recorder.frames > 0, kEngineWait);
  }

 private slots:
  void initTestCase() {
    PreparePlayerTests(m_config);
    m_server = std::make_unique<MediaServer>();
    m_live = QString::fromStdString(m_server->LiveUrl("h264_aac.ts", 6));
  }

  // The picture is scaled to the video area keeping its 4:3 shape: a wide area gets black
  // bars left and right; the bars move with the area.
  void pictureKeepsAspect() {
    CMediaplayer player;
    PlayerRecorder recorder(player);
    player.SetUiMode("none");
    ShowAndPlay(player, recorder, {480, 120});
    QWidget* video = VideoArea(player);
    QCOMPARE(video->size(), QSize(480, 120));
    QTRY_VERIFY_WITH_TIMEOUT(HasColour(video->grab(QRect(170, 0, 140, 120)).toImage()), kEngineWait);
    QVERIFY(IsDark(video->grab().toImage().pixelColor(20, 60)));
    QVERIFY(IsDark(video->grab().toImage().pixelColor(460, 60)));
    player.resize(120, 480);
    QTRY_VERIFY_WITH_TIMEOUT(HasColour(video->grab(QRect(0, 200, 120, 80)).toImage()), kEngineWait);
    QVERIFY(IsDark(video->grab().toImage().pixelColor(60, 20)));
  }

  // "mini" (the start) shows the bar under the video, "none" gives the video the whole
  // player, and other modes are ignored.
  void uiModes() {
    CMediaplayer player;
    player.resize(400, 300);
    player.show();
    QVERIFY(QTest::qWaitForWindowExposed(&player));
    QWidget* bar = player.findChild<QWidget*>("controlBar");
    QWidget* video = VideoArea(player);
    QCOMPARE(player.GetUiMode(), QString("mini"));
    QVERIFY(bar->isVisible());
    QCOMPARE(video->height() + bar->height(), 300);
    player.SetUiMode("none");
    QTRY_COMPARE(video->size(), QSize(400, 300));
    QVERIFY(!bar->isVisible());
    player.SetUiMode("full");
    QCOMPARE(player.GetUiMode(), QString("none"));
    player.SetUiMode("none");
    player.SetUiMode("mini");
    QTRY_VERIFY(bar->isVisible());
    QCOMPARE(video->height() + bar->height(), 300);
  }

  // Pause, play, stop and play again from the bar; mute and volume reach the engine, which
  // starts at volume 50, not muted.
  void controlBar() {
    CMediaplayer player;
    PlayerRecorder recorder(player);
    QTRY_COMPARE_WITH_TIMEOUT(player.Volume(), 50, kEngineWait);
    QVERIFY(!player.IsMuted());
    ShowAndPlay(player, recorder, {320, 270});
    Click(player, "play");
    QTRY_COMPARE_WITH_TIMEOUT(player.GetPlayState(), play_state::kPaused, kEngineWait);
    Click(player, "play");
    QTRY_COMPARE_WITH_TIMEOUT(player.GetPlayState(), play_state::kPlaying, kEngineWait);
    recorder.states.clear();
    Click(player, "stop");
    QCOMPARE(recorder.states, QList<int32_t>{play_state::kStopped});
    QTest::qWait(200);
    QCOMPARE(recorder.states, QList<int32_t>{play_state::kStopped});
    QCOMPARE(player.GetURL(), m_live);
    Click(player, "play");
    QCOMPARE(player.GetPlayState(), play_state::kTransitioning);
    QTRY_COMPARE_WITH_TIMEOUT(player.GetPlayState(), play_state::kPlaying, kEngineWait);

    Click(player, "mute");
    QTRY_VERIFY_WITH_TIMEOUT(player.IsMuted(), kEngineWait);
    Click(player, "mute");
    QTRY_VERIFY_WITH_TIMEOUT(!player.IsMuted(), kEngineWait);
    player.findChild<QSlider*>("volume")->setValue(20);
    QTRY_COMPARE_WITH_TIMEOUT(player.Volume(), 20, kEngineWait);
  }

  // Full screen moves the video into a screen-filling window; Escape or a double click
  // brings it back, still playing.
  void fullScreenAndBack() {
    const int windows = QApplication::topLevelWidgets().size();
    {
    CMediaplayer player;
    PlayerRecorder recorder(player);
    ShowAndPlay(player, recorder, {320, 270});
    QWidget* video = VideoArea(player);
    const QSize normal = video->size();

    player.SetFullScreen(true);
    QVERIFY(player.GetFullScreen());
    QVERIFY(video->window() != &player);
    QVERIFY(video->window()->isFullScreen());
    QTRY_COMPARE(video->size(), video->screen()->size());
    QTest::keyClick(video->window(), Qt::Key_Escape);
    QVERIFY(!player.GetFullScreen());
    QCOMPARE(video->parentWidget(), &player);
    QTRY_COMPARE(video->size(), normal);

    player.SetFullScreen(true);
    const int frames = recorder.frames;
    QTRY_VERIFY_WITH_TIMEOUT(recorder.frames > frames + 5, kEngineWait);
    QTest::mouseDClick(video, Qt::LeftButton);
    QVERIFY(!player.GetFullScreen());
    QCOMPARE(video->window(), &player);
    QCOMPARE(player.GetPlayState(), play_state::kPlaying);
    // A player that goes while full screen takes its full-screen window along.
    player.SetFullScreen(true);
    }
    QTRY_COMPARE(QApplication::topLevelWidgets().size(), windows);
  }

  // A right click on the video opens no menu, not even the window's.
  void noContextMenu() {
    MenuCountingWindow window;
    auto* player = new CMediaplayer(&window);
    window.resize(300, 300);
    player->resize(300, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(50, 50), player->mapToGlobal(QPoint(50, 50)));
    QApplication::sendEvent(VideoArea(*player), &event);
    QCOMPARE(window.menus, 0);
    QVERIFY(!QApplication::activePopupWidget());
  }
};

QTEST_MAIN(PlayerWidgetTest)
#include "player_widget_test.moc"
