#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QtTest>
#include <memory>

#include "playback/play_state.h"
#include "playback/reconnect_indicator.h"
#include "tests/playback/player_test_util.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

// A loopback port nobody listens on.
int ClosedPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  close(fd);
  return ntohs(addr.sin_port);
}

// Whether `states` holds only what a channel shows while it connects and plays on (and, if
// `reconnecting`, while it is reopened after a drop).
bool OnlyOpeningStates(const QList<int32_t>& states, bool reconnecting = false) {
  for (const int32_t s : states) {
    if (s != play_state::kTransitioning && s != play_state::kBuffering && s != play_state::kPlaying &&
        !(reconnecting && s == play_state::kReconnecting)) {
      return false;
    }
  }
  return true;
}

// Whether the notice's text shows in `image`: its pale blue-white, which neither the panel
// nor the picture under it can give.
bool ShowsNoticeText(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (IsNear(image.pixelColor(x, y), QColor(226, 232, 244))) return true;
    }
  }
  return false;
}

}  // namespace

class MediaplayerTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  std::unique_ptr<MediaServer> m_server;

  // A shown player with its recorder, playing `url` until it reports playing.
  void PlayUntilPlaying(CMediaplayer& player, PlayerRecorder& recorder, const QString& url) {
    player.SetURL(url);
    QTRY_VERIFY_WITH_TIMEOUT(recorder.states.contains(play_state::kPlaying), kEngineWait);
  }

 private slots:
  void initTestCase() {
    PreparePlayerTests(m_config);
    m_server = std::make_unique<MediaServer>();
  }

  void cleanup() { m_server->Stall(false); }

  void streamsReachPlaying_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("hasVideo");
    QTest::newRow("mpeg2/mp2 live ts") << QString::fromStdString(m_server->LiveUrl("mpeg2_mp2.ts", 6)) << true;
    QTest::newRow("h264/aac live ts") << QString::fromStdString(m_server->LiveUrl("h264_aac.ts", 6)) << true;
    QTest::newRow("mp3 radio") << QString::fromStdString(m_server->LiveUrl("radio.mp3", 10)) << false;
    QTest::newRow("wmv file") << QString::fromStdString(m_server->FileUrl("clip.wmv")) << true;
    QTest::newRow("hls playlist") << QString::fromStdString(m_server->FileUrl("hls/index.m3u8")) << true;
  }

  // Each kind of stream goes transitioning -> (buffering) -> playing, and shows its frames;
  // a stream without video shows the still picture and draws no frames.
  void streamsReachPlaying() {
    QFETCH(QString, url);
    QFETCH(bool, hasVideo);
    CMediaplayer player;
    player.resize(320, 270);
    player.show();
    QVERIFY(QTest::qWaitForWindowExposed(&player));
    // The software renderer on a platform without GL (these tests also run on X11 with GL).
    if (QGuiApplication::platformName() == "offscreen") QVERIFY(!player.UsesOpenGl());
    PlayerRecorder recorder(player);
    player.SetURL(url);
    QCOMPARE(player.GetPlayState(), play_state::kTransitioning);
    QCOMPARE(recorder.states, QList<int32_t>{play_state::kTransitioning});
    QTRY_VERIFY_WITH_TIMEOUT(recorder.states.contains(play_state::kPlaying), kEngineWait);
    QVERIFY2(OnlyOpeningStates(recorder.states), qPrintable(QTest::toString(recorder.states)));
    QWidget* video = VideoArea(player);
    if (hasVideo) {
      QTRY_VERIFY_WITH_TIMEOUT(recorder.frames > 0 && HasColour(video->grab().toImage()), kEngineWait);
    } else {
      // The still picture: a dark blue-grey gradient, never a frame of the engine's.
      QTRY_VERIFY_WITH_TIMEOUT(IsNear(video->grab().toImage().pixelColor(2, 2), QColor(24, 30, 44)), kEngineWait);
      QCOMPARE(recorder.frames, 0);
    }
  }

  void unopenableAddressEndsReady_data() {
    QTest::addColumn<QString>("url");
    QTest::newRow("refused") << QString("http://127.0.0.1:%1/live.ts").arg(ClosedPort());
    QTest::newRow("not found") << QString::fromStdString(m_server->FileUrl("missing.ts"));
    QTest::newRow("garbage") << QString("::not an address::");
    QTest::newRow("empty") << QString();
  }

  // An address that cannot be opened ends in ready, without any window of its own.
  void unopenableAddressEndsReady() {
    QFETCH(QString, url);
    CMediaplayer player;
    PlayerRecorder recorder(player);
    const int windows = QApplication::topLevelWidgets().size();
    player.SetURL(url);
    QTRY_COMPARE_WITH_TIMEOUT(player.GetPlayState(), play_state::kReady, kEngineWait);
    QCOMPARE(recorder.states, (QList<int32_t>{play_state::kTransitioning, play_state::kReady}));
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);
  }

  // The address is empty before the first put and the last one put after.
  void urlIsTheLastPut() {
    CMediaplayer player;
    QVERIFY(player.GetURL().isEmpty());
    QCOMPARE(player.GetPlayState(), play_state::kUndefined);
    const QString first = QString::fromStdString(m_server->FileUrl("radio.mp3"));
    const QString second = QString::fromStdString(m_server->FileUrl("Канал 1.ts"));
    player.SetURL(first);
    QCOMPARE(player.GetURL(), first);
    player.SetURL(second);
    QCOMPARE(player.GetURL(), second);
    QTRY_COMPARE_WITH_TIMEOUT(player.GetPlayState(), play_state::kReady, kEngineWait);
    QCOMPARE(player.GetURL(), second);
  }

  // A second address put while the first buffers: transitioning at once, then only the
  // second channel's states, whatever the first one still does.
  void zapWhileBuffering() {
    CMediaplayer player;
    PlayerRecorder recorder(player);
    PlayUntilPlaying(player, recorder, QString::fromStdString(m_server->LiveUrl("h264_aac.ts", 6)));
    m_server->Stall(true);
    QTRY_COMPARE_WITH_TIMEOUT(player.GetPlayState(), play_state::kBuffering, kEngineWait);
    recorder.states.clear();
    player.SetURL(QString::fromStdString(m_server->FileUrl("mpeg2_mp2.ts")));
    QCOMPARE(recorder.states, QList<int32_t>{play_state::kTransitioning});
    m_server->Stall(false);  // the first channel would now fill its cache again
    QTRY_COMPARE_WITH_TIMEOUT(player.GetPlayState(), play_state::kPlaying, kEngineWait);
    QTest::qWait(300);
    QVERIFY2(OnlyOpeningStates(recorder.states), qPrintable(QTest::toString(recorder.states)));
    QCOMPARE(recorder.states.count(play_state::kTransitioning), 1);
    QCOMPARE(recorder.states.last(), play_state::kPlaying);
  }

  // A live stream waits for its cache when the server stalls, and plays on afterwards; a
  // dropped connection is reopened without ending the channel.
  void liveStreamRidesOutStallAndDrop() {
    CMediaplayer player;
    player.resize(160, 150);
    player.show();
    PlayerRecorder recorder(player);
    PlayUntilPlaying(player, recorder, QString::fromStdString(m_server->LiveUrl("h264_aac.ts", 6)));
    m_server->Stall(true);
    QTRY_COMPARE_WITH_TIMEOUT(player.GetPlayState(), play_state::kBuffering, kEngineWait);
    m_server->Stall(false);
    QTRY_COMPARE_WITH_TIMEOUT(player.GetPlayState(), play_state::kPlaying, kEngineWait);

    const int requests = m_server->LiveRequests();
    m_server->DropLiveConnections();
    QTRY_VERIFY_WITH_TIMEOUT(m_server->LiveRequests() > requests, kEngineWait);
    const int frames = recorder.frames;
    QTRY_VERIFY_WITH_TIMEOUT(recorder.frames > frames + 25, kEngineWait);
    QTRY_COMPARE_WITH_TIMEOUT(player.GetPlayState(), play_state::kPlaying, kEngineWait);
    QVERIFY2(OnlyOpeningStates(recorder.states, true), qPrintable(QTest::toString(recorder.states)));
  }

  // A live stream whose source ends is reopened (reconnecting, then playing again). A source
  // that keeps failing is tried for as long as the channel stays chosen, with the notice
  // over the video counting down; choosing another channel ends the attempts.
  void liveStreamReopenedAfterItEnds() {
    CMediaplayer player;
    player.resize(320, 270);
    player.show();
    PlayerRecorder recorder(player);
    PlayUntilPlaying(player, recorder, QString::fromStdString(m_server->LiveUrl("mpeg2_mp2.ts", 6)));
    recorder.states.clear();
    const int requests = m_server->LiveRequests();
    m_server->EndLiveStreams();
    QTRY_COMPARE_WITH_TIMEOUT(recorder.states, (QList<int32_t>{play_state::kReconnecting, play_state::kPlaying}),
                              kEngineWait);
    QVERIFY(m_server->LiveRequests() > requests);

    recorder.states.clear();
    m_server->LiveUrl("mpeg2_mp2.ts", 0);  // from now on: not found
    m_server->EndLiveStreams();
    auto* indicator = player.findChild<CReconnectIndicator*>("reconnectIndicator");
    QVERIFY(indicator);
    QTRY_VERIFY_WITH_TIMEOUT(indicator->isVisible(), kEngineWait);
    // Past the first pauses (0.5 + 1 + 2 s), still trying.
    QTRY_VERIFY_WITH_TIMEOUT(indicator->Text().contains(QString::fromUtf8("через 4 с")), kEngineWait);
    QCOMPARE(indicator->Text(), QString::fromUtf8("Связь с каналом потеряна. Переподключение через 4 с…"));
    QCOMPARE(recorder.states, QList<int32_t>{play_state::kReconnecting});
    QCOMPARE(player.GetPlayState(), play_state::kReconnecting);

    recorder.states.clear();
    player.SetURL(QString::fromStdString(m_server->LiveUrl("h264_aac.ts", 6)));
    QVERIFY(!indicator->isVisible());
    m_server->LiveUrl("mpeg2_mp2.ts", 6);
    QTRY_COMPARE_WITH_TIMEOUT(player.GetPlayState(), play_state::kPlaying, kEngineWait);
    QVERIFY2(OnlyOpeningStates(recorder.states), qPrintable(QTest::toString(recorder.states)));
    QCOMPARE(recorder.states.first(), play_state::kTransitioning);
  }

  // A server that goes away (connections refused) and comes back on the same port: the
  // channel shows the notice while it is away and plays again, notice gone, once it is
  // back. Another channel chosen meanwhile ends the attempts for good.
  void liveStreamHealsAfterServerOutage() {
    MediaServer source;
    CMediaplayer player;
    player.resize(320, 270);
    player.show();
    QVERIFY(QTest::qWaitForWindowExposed(&player));
    PlayerRecorder recorder(player);
    PlayUntilPlaying(player, recorder, QString::fromStdString(source.LiveUrl("h264_aac.ts", 6)));
    QTRY_VERIFY_WITH_TIMEOUT(recorder.frames > 0, kEngineWait);
    auto* indicator = player.findChild<CReconnectIndicator*>("reconnectIndicator");
    recorder.states.clear();
    source.StopListening();
    QTRY_VERIFY_WITH_TIMEOUT(indicator->isVisible(), kEngineWait);
    QCOMPARE(player.GetPlayState(), play_state::kReconnecting);
    // Drawn over the video area, whichever render path it uses.
    QWidget* video = VideoArea(player);
    QVERIFY(video->rect().contains(indicator->geometry()));
    QTRY_VERIFY_WITH_TIMEOUT(ShowsNoticeText(video->grab(indicator->geometry()).toImage()), kEngineWait);
    QTRY_VERIFY_WITH_TIMEOUT(indicator->Text().contains(QString::fromUtf8("через 2 с")), kEngineWait);
    const int frames = recorder.frames;
    source.ListenAgain();
    QTRY_VERIFY_WITH_TIMEOUT(recorder.frames > frames + 5, kEngineWait);
    QTRY_VERIFY_WITH_TIMEOUT(!indicator->isVisible(), kEngineWait);
    QCOMPARE(player.GetPlayState(), play_state::kPlaying);
    // Reconnecting, perhaps buffering, playing: never "transitioning" or "ready", which would
    // change the status line as a new channel or a failure does.
    QVERIFY2(OnlyOpeningStates(recorder.states, true) && !recorder.states.contains(play_state::kTransitioning),
             qPrintable(QTest::toString(recorder.states)));
    QCOMPARE(recorder.states.first(), play_state::kReconnecting);
    QVERIFY(HasColour(video->grab().toImage()));

    // Away again; meanwhile the user picks another channel. The first one's server, back,
    // hears nothing more from this player.
    source.StopListening();
    QTRY_VERIFY_WITH_TIMEOUT(indicator->isVisible(), kEngineWait);
    player.SetURL(QString::fromStdString(m_server->LiveUrl("mpeg2_mp2.ts", 6)));
    QVERIFY(!indicator->isVisible());
    const int requests = source.LiveRequests();
    source.ListenAgain();
    QTRY_COMPARE_WITH_TIMEOUT(player.GetPlayState(), play_state::kPlaying, kEngineWait);
    QTest::qWait(1500);
    QCOMPARE(source.LiveRequests(), requests);
    QVERIFY(!indicator->isVisible());
  }

  // A live stream that gets nothing for seconds is reopened as one that broke off, and
  // plays on once data flows again.
  void stalledLiveStreamIsReopened() {
    CMediaplayer player;
    player.resize(320, 270);
    player.show();
    PlayerRecorder recorder(player);
    PlayUntilPlaying(player, recorder, QString::fromStdString(m_server->LiveUrl("h264_aac.ts", 6)));
    recorder.states.clear();
    const int requests = m_server->LiveRequests();
    m_server->Stall(true);
    QTRY_COMPARE_WITH_TIMEOUT(player.GetPlayState(), play_state::kReconnecting, kEngineWait);
    QVERIFY(player.findChild<CReconnectIndicator*>("reconnectIndicator")->isVisible());
    m_server->Stall(false);
    QTRY_COMPARE_WITH_TIMEOUT(player.GetPlayState(), play_state::kPlaying, kEngineWait);
    QVERIFY(m_server->LiveRequests() > requests);
    QVERIFY2(OnlyOpeningStates(recorder.states, true) && !recorder.states.contains(play_state::kTransitioning),
             qPrintable(QTest::toString(recorder.states)));
    QCOMPARE(recorder.states.mid(0, 2), (QList<int32_t>{play_state::kBuffering, play_state::kReconnecting}));
  }

  // A stream that ends reports media ended, then ready; the picture goes black.
  void endOfStream() {
    CMediaplayer player;
    player.resize(160, 150);
    player.show();
    PlayerRecorder recorder(player);
    PlayUntilPlaying(player, recorder, QString::fromStdString(m_server->FileUrl("short.ts")));
    QTRY_COMPARE_WITH_TIMEOUT(player.GetPlayState(), play_state::kReady, kEngineWait);
    QCOMPARE(recorder.states.mid(recorder.states.size() - 2),
             (QList<int32_t>{play_state::kMediaEnded, play_state::kReady}));
    QVERIFY(IsDark(VideoArea(player)->grab().toImage().pixelColor(80, 60)));
  }

  // An address put from a slot (on "media ended", say) wins: what the end still had to
  // report does not come after the new address's transitioning.
  void putFromSlotWins() {
    CMediaplayer player;
    PlayerRecorder recorder(player);
    const QString next = QString::fromStdString(m_server->FileUrl("mpeg2_mp2.ts"));
    connect(&player, &CMediaplayer::PlayStateChange, &player, [&](int32_t state) {
      if (state == play_state::kMediaEnded) player.SetURL(next);
    });
    PlayUntilPlaying(player, recorder, QString::fromStdString(m_server->FileUrl("short.ts")));
    QTRY_VERIFY_WITH_TIMEOUT(recorder.states.contains(play_state::kMediaEnded), kEngineWait);
    const QList<int32_t> afterEnd = recorder.states.mid(recorder.states.indexOf(play_state::kMediaEnded) + 1);
    QCOMPARE(afterEnd.value(0), play_state::kTransitioning);
    QVERIFY2(!afterEnd.contains(play_state::kReady), qPrintable(QTest::toString(afterEnd)));
    QCOMPARE(player.GetURL(), next);
  }
};

QTEST_MAIN(MediaplayerTest)
#include "mediaplayer_test.moc"
