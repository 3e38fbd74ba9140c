// The main window's keyboard and wheel: zapping through the list a channel was chosen from,
// the channel before, volume and mute (remembered across starts), full screen, and the address
// the command line hands over.
#include <QWheelEvent>

#include "base/settings.h"
#include "playback/play_state.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/media_server.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

QString Url(CVantrelDlg& dlg) { return dlg.Player().GetURL(); }

}  // namespace

class KeyboardWindowTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  QList<MessageRequest> m_messages;
  std::unique_ptr<TestProgramFolder> m_folder;

 private slots:
  void initTestCase() {
    PrepareWindowTests(m_config, m_messages);
    m_folder = std::make_unique<TestProgramFolder>();
    QVERIFY(m_folder->IsValid());
    QVERIFY(m_folder->WriteCatalogue({{1, "A1", "Aland", "News", "http://127.0.0.1:9/a1", 0, {}, {}},
                                      {2, "A2", "Aland", "News", "http://127.0.0.1:9/a2", 0, {}, {}},
                                      {3, "A3", "Aland", "News", "http://127.0.0.1:9/a3", 0, {}, {}},
                                      {4, "B1", "Aland", "Music", "http://127.0.0.1:9/b1", 0, {}, {}}}));
  }

  // Page Down and Page Up move through the chosen channel's group (wrapping at its ends), even
  // with the tree focused, which would otherwise take them; Backspace goes back to the channel
  // before, and a second Backspace returns.
  void pageKeysAndBackspaceZap() {
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    QVERIFY(ChooseChannelInTree(dlg->Tree(), QStringLiteral("A2")));
    QCOMPARE(Url(*dlg), QStringLiteral("http://127.0.0.1:9/a2"));

    dlg->Tree().setFocus();
    QTest::keyClick(&dlg->Tree(), Qt::Key_PageDown);
    QCOMPARE(Url(*dlg), QStringLiteral("http://127.0.0.1:9/a3"));
    QTest::keyClick(&dlg->Tree(), Qt::Key_PageDown);
    QCOMPARE(Url(*dlg), QStringLiteral("http://127.0.0.1:9/a1"));
    QTest::keyClick(&dlg->Tree(), Qt::Key_PageUp);
    QCOMPARE(Url(*dlg), QStringLiteral("http://127.0.0.1:9/a3"));
    QTest::keyClick(dlg.get(), Qt::Key_Backspace);
    QCOMPARE(Url(*dlg), QStringLiteral("http://127.0.0.1:9/a1"));
    QTest::keyClick(dlg.get(), Qt::Key_Backspace);
    QCOMPARE(Url(*dlg), QStringLiteral("http://127.0.0.1:9/a3"));

    // A channel alone in its group has nowhere to go.
    QVERIFY(ChooseChannelInTree(dlg->Tree(), QStringLiteral("B1")));
    QTest::keyClick(dlg.get(), Qt::Key_PageDown);
    QCOMPARE(Url(*dlg), QStringLiteral("http://127.0.0.1:9/b1"));
    QVERIFY(dlg->isVisible());
  }

  // + and - (and the wheel over the picture) step the volume, M mutes; both are in the
  // settings and the next window starts with them.
  void volumeAndMuteRemembered() {
    {
      auto dlg = OpenWindow();
      QVERIFY(dlg);
      QTRY_COMPARE_WITH_TIMEOUT(dlg->Player().Volume(), 50, kWait);
      QTest::keyClick(dlg.get(), Qt::Key_Plus);
      QTRY_COMPARE_WITH_TIMEOUT(dlg->Player().Volume(), 55, kWait);
      QTest::keyClick(dlg.get(), Qt::Key_Minus);
      QTRY_COMPARE_WITH_TIMEOUT(dlg->Player().Volume(), 50, kWait);
      QTest::keyClick(dlg.get(), Qt::Key_Minus);
      QTRY_COMPARE_WITH_TIMEOUT(dlg->Player().Volume(), 45, kWait);
      const QPoint centre = dlg->Player().rect().center();
      QWheelEvent down(centre, dlg->Player().mapToGlobal(centre), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                       Qt::NoScrollPhase, false);
      QApplication::sendEvent(&dlg->Player(), &down);
      QTRY_COMPARE_WITH_TIMEOUT(dlg->Player().Volume(), 40, kWait);
      QTest::keyClick(dlg.get(), Qt::Key_M);
      QTRY_VERIFY_WITH_TIMEOUT(dlg->Player().IsMuted(), kWait);
      QTRY_COMPARE_WITH_TIMEOUT(GetProfileString("Player", "Volume"), QStringLiteral("40"), kWait);
      QCOMPARE(GetProfileString("Player", "Mute"), QStringLiteral("1"));
    }
    auto again = OpenWindow(false);
    QVERIFY(again);
    QTRY_COMPARE_WITH_TIMEOUT(again->Player().Volume(), 40, kWait);
    QTRY_VERIFY_WITH_TIMEOUT(again->Player().IsMuted(), kWait);
    QTest::keyClick(again.get(), Qt::Key_M);
    QTRY_COMPARE_WITH_TIMEOUT(GetProfileString("Player", "Mute"), QStringLiteral("0"), kWait);
  }

  // F and F11 switch full screen while a channel plays; in full screen Escape only leaves it,
  // outside it Escape still ends the window.
  void fullScreenKeys() {
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    QTest::keyClick(dlg.get(), Qt::Key_F);
    QVERIFY(!dlg->Player().GetFullScreen());  // nothing plays yet

    MediaServer server;
    dlg->Open(QString::fromStdString(server.LiveUrl("h264_aac.ts", 10)));
    QTRY_COMPARE_WITH_TIMEOUT(dlg->Player().GetPlayState(), play_state::kPlaying, 2 * kWait);
    QTest::keyClick(dlg.get(), Qt::Key_F11);
    QVERIFY(dlg->Player().GetFullScreen());
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    QVERIFY(!dlg->Player().GetFullScreen());
    QVERIFY(dlg->isVisible());
    QTest::keyClick(dlg.get(), Qt::Key_F);
    QVERIFY(dlg->Player().GetFullScreen());
    QTest::keyClick(dlg.get(), Qt::Key_F);
    QVERIFY(!dlg->Player().GetFullScreen());
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    QVERIFY(!dlg->isVisible());
    QCOMPARE(dlg->result(), int(CVantrelDlg::kResultCancel));
  }

  // The command line's address plays once the window is ready; a file that is not there is
  // named in the status line and nothing plays.
  void commandLineTargetOpensWhenReady() {
    auto dlg = std::make_unique<CVantrelDlg>();
    dlg->OpenAtStartup(QStringLiteral("http://127.0.0.1:9/from-command-line"));
    QVERIFY(dlg->OnInitDialog());
    dlg->show();
    QVERIFY(Url(*dlg).isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(dlg->isEnabled(), kWait);
    QCOMPARE(Url(*dlg), QStringLiteral("http://127.0.0.1:9/from-command-line"));

    dlg->Open(m_folder->Path(QStringLiteral("no-such.m3u")));
    QCOMPARE(Url(*dlg), QStringLiteral("http://127.0.0.1:9/from-command-line"));
    QVERIFY(dlg->StatusLine().Text().contains(QStringLiteral("no-such.m3u")));
  }
};

QTEST_MAIN(KeyboardWindowTest)
#include "keyboard_window_test.moc"
