// The record button of a real main window: real player, real recording library, streams from the
// loopback server, recorded files read back with libavformat. The save-file chooser answers.
#include <QElapsedTimer>
#include <QThread>
#include <functional>

#include "base/restart.h"
#include "base/settings.h"
#include "playback/save_file_chooser.h"
#include "streamsaver/streamsaver.h"
#include "tests/app/main_window_fixture.h"
#include "tests/streamsaver/media_probe.h"
#include "tests/support/media_server.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

// Bounds the player's and the library's work; the tests never wait for it to run out.
constexpr int kStreamWait = 20000;

QString Unsupported() { return QStringLiteral("Запись канала выбранного типа невозможна."); }

// The library holds no capture: stopping all of them finds nothing to stop.
bool LibraryIsEmpty() { return StopCaptureAllSources(nullptr) == STREAMSAVER_S_FALSE; }

}  // namespace

class RecordWindowTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  QTemporaryDir m_out;
  QList<MessageRequest> m_messages;  // message 162 only
  bool m_messagesOnUiThread = true;
  std::unique_ptr<TestProgramFolder> m_folder;
  std::unique_ptr<MediaServer> m_server;
  QString m_answer;  // what the save-file chooser answers; empty: cancel
  int m_chooserCalls = 0;

  QString Out(const QString& name) const { return m_out.filePath(name); }

  CChannel LiveChannel(const std::string& stream) const {
    CChannel channel;
    channel.URL = ToU16(QString::fromStdString(m_server->LiveUrl(stream, 6.0)));
    return channel;
  }

  // A started window playing `stream` live, with its record button enabled.
  std::unique_ptr<CVantrelDlg> PlayingWindow(const std::string& stream) {
    auto dlg = OpenWindow();
    if (!dlg) return nullptr;
    dlg->PlayChannel(LiveChannel(stream));
    if (!QTest::qWaitFor([&] { return dlg->RecordButton().isEnabled(); }, kStreamWait)) return nullptr;
    return dlg;
  }

  // Clicks record as the user does; the chooser answers `file`.
  void ClickRecord(CVantrelDlg& dlg, const QString& file) {
    m_answer = file;
    QTest::mouseClick(&dlg.RecordButton(), Qt::LeftButton);
  }

  // A recording that has written its header, so the capture runs.
  bool StartRecording(CVantrelDlg& dlg, const QString& file) {
    ClickRecord(dlg, file);
    return dlg.Recorder().IsRecording() && QTest::qWaitFor([&] { return QFile::exists(file); }, kStreamWait) &&
           QTest::qWaitFor([&] { return !dlg.Recorder().HasPendingWork(); }, kStreamWait);
  }

 private slots:
  void initTestCase() {
    PrepareWindowTests(m_config, m_messages);
    SetMessageBoxHookForTesting([this](const MessageRequest& request) {
      // The start-up update checks have their own messages (no server answers here).
      if (request.text != Unsupported()) return MsgResult::Ok;
      m_messages << request;
      m_messagesOnUiThread = m_messagesOnUiThread && QThread::currentThread() == qApp->thread();
      return MsgResult::Ok;
    });
    SetSaveFileChooserForTesting([this] {
      ++m_chooserCalls;
      return m_answer;
    });
    QVERIFY(m_out.isValid());
    m_server = std::make_unique<MediaServer>();
    m_folder = std::make_unique<TestProgramFolder>();
    QVERIFY(m_folder->IsValid());
    QVERIFY(m_folder->WriteCatalogue({{1, "Live", "A", "News", QString::fromStdString(m_server->LiveUrl("h264_aac.ts", 6.0)), 0, {}, {}}}));
  }

  void cleanupTestCase() {
    SetSaveFileChooserForTesting(nullptr);
    SetMessageBoxHookForTesting(nullptr);
  }

  void init() {
    m_messages.clear();
    m_messagesOnUiThread = true;
    m_chooserCalls = 0;
  }

  // A channel the library cannot record (Opus into AVI): message 162 once, on the UI thread; the
  // button is off and disabled until the player reports playing again; no file is left.
  void failedStartTellsOnce() {
    auto dlg = PlayingWindow("opus.ts");
    QVERIFY(dlg);
    const QString file = Out("opus.avi");
    ClickRecord(*dlg, file);
    QVERIFY(dlg->Recorder().IsRecording() && dlg->RecordButton().GetToggleState());
    QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 1, kStreamWait);
    QTRY_VERIFY_WITH_TIMEOUT(!dlg->Recorder().HasPendingWork(), kStreamWait);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(!m_messages.front().system);
    QVERIFY(m_messagesOnUiThread);
    QVERIFY(!dlg->Recorder().IsRecording());
    QVERIFY(!dlg->RecordButton().GetToggleState());
    QVERIFY(!dlg->RecordButton().isEnabled());
    QVERIFY(!QFile::exists(file) && !QFile::exists(file + ".part"));
    QVERIFY(LibraryIsEmpty());

    dlg->PlayChannel(LiveChannel("opus.ts"));
    QTRY_VERIFY_WITH_TIMEOUT(dlg->RecordButton().isEnabled(), kStreamWait);
    QCOMPARE(m_messages.size(), 1);
  }

  // Cancelling the file dialog records nothing and leaves the button off and enabled. A second
  // click stops at once from the user's view, and the library finishes the file. The name is
  // used as typed: ".asf" gives a Windows Media file. A stop clicked while the start is still
  // connecting runs after it, so no capture is left behind either.
  void cancelRecordAndStop() {
    auto dlg = PlayingWindow("h264_aac.ts");
    QVERIFY(dlg);
    ClickRecord(*dlg, QString());
    QVERIFY(!dlg->Recorder().IsRecording() && !dlg->Recorder().HasPendingWork());
    QVERIFY(!dlg->RecordButton().GetToggleState() && dlg->RecordButton().isEnabled());

    const QString asf = Out("news.asf");
    QVERIFY(StartRecording(*dlg, asf));
    QCOMPARE(dlg->Recorder().RecordingFile(), asf);
    QCOMPARE(dlg->Recorder().RecordingUrl(), dlg->Player().GetURL());
    QVERIFY(dlg->RecordButton().GetToggleState());

    QTest::mouseClick(&dlg->RecordButton(), Qt::LeftButton);
    QVERIFY(!dlg->Recorder().IsRecording());
    QVERIFY(!dlg->RecordButton().GetToggleState());
    QTRY_VERIFY_WITH_TIMEOUT(!dlg->Recorder().HasPendingWork(), kStreamWait);
    QVERIFY(LibraryIsEmpty());
    const RecordedFile recorded = ReadRecording(asf.toStdString());
    QVERIFY(recorded.opened && recorded.readToEnd && recorded.packets > 0);
    QCOMPARE(recorded.format, std::string("asf"));

    const QString avi = Out("quick.avi");
    ClickRecord(*dlg, avi);
    QTest::mouseClick(&dlg->RecordButton(), Qt::LeftButton);
    QVERIFY(!dlg->Recorder().IsRecording());
    QTRY_VERIFY_WITH_TIMEOUT(!dlg->Recorder().HasPendingWork(), kStreamWait);
    QVERIFY(LibraryIsEmpty());
    QVERIFY(HasAviIndex(avi.toStdString()));
    QCOMPARE(m_chooserCalls, 3);
    QVERIFY(m_messages.isEmpty());
  }

  // Closing the window while recording finishes the file before the window is gone: by the
  // system close and by a skin switch, which restarts the program.
  void closeFinishesRecording() {
    struct Case {
      const char* name;
      std::function<void(CVantrelDlg&)> close;
    };
    const Case cases[] = {
        {"system close", [](CVantrelDlg& d) { d.close(); }},
        {"skin switch", [](CVantrelDlg& d) { QTest::mouseClick(d.PreviewButton("Metall"), Qt::LeftButton); }},
    };
    SetRestartHookForTesting([](const std::filesystem::path&) { return true; });
    for (const Case& c : cases) {
      auto dlg = PlayingWindow("h264_aac.ts");
      QVERIFY2(dlg, c.name);
      const QString file = Out(QString("closed %1.avi").arg(c.name));
      QVERIFY2(StartRecording(*dlg, file), c.name);
      c.close(*dlg);
      QVERIFY2(!dlg->isVisible(), c.name);
      // Finished by the time the close returned.
      QVERIFY2(HasAviIndex(file.toStdString()), c.name);
      const RecordedFile recorded = ReadRecording(file.toStdString());
      QVERIFY2(recorded.opened && recorded.readToEnd && recorded.packets > 0, c.name);
      QVERIFY2(LibraryIsEmpty(), c.name);
    }
    SetRestartHookForTesting(nullptr);
    WriteProfileString(kSkinsSection, kCurrentSkinEntry, QString("Classic"));
    QVERIFY(m_messages.isEmpty());
  }

  // Closing while a start still waits on a silent server cancels it at once (well within the
  // library's 15 s network time-out), without message 162 and without a file.
  void closeCancelsConnectingStart() {
    auto dlg = PlayingWindow("h264_aac.ts");
    QVERIFY(dlg);
    const QString file = Out("stalled.avi");
    const int requests = m_server->LiveRequests();
    m_server->Stall(true);
    ClickRecord(*dlg, file);
    QTRY_VERIFY_WITH_TIMEOUT(m_server->LiveRequests() > requests, kStreamWait);
    QVERIFY(dlg->Recorder().HasPendingWork());

    QElapsedTimer closing;
    closing.start();
    dlg->close();
    const qint64 elapsed = closing.elapsed();
    m_server->Stall(false);
    QVERIFY2(elapsed < 10000, qPrintable(QString::number(elapsed)));
    QVERIFY(!dlg->Recorder().HasPendingWork());
    QCoreApplication::sendPostedEvents();
    QVERIFY(m_messages.isEmpty());
    QVERIFY(!QFile::exists(file) && !QFile::exists(file + ".part"));
    QVERIFY(LibraryIsEmpty());
  }
};

QTEST_MAIN(RecordWindowTest)
#include "record_window_test.moc"
