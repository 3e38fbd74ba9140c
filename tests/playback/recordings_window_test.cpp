// Recordings besides the record button in a real main window: channels recorded from their
// menus while another plays, timed and scheduled recordings, the list that stops them, the
// schedule kept across windows, and the close that finishes every file. Real player, real
// recording library, live streams from the loopback server, files read back with
// libavformat. The save-file chooser answers; the recordings' clock is shifted where a test
// would otherwise wait for minutes.
#include <QApplication>
#include <QMenu>
#include <QTimer>

#include "base/file_locations.h"
#include "playback/recording_manager.h"
#include "playback/save_file_chooser.h"
#include "streamsaver/streamsaver.h"
#include "tests/app/main_window_fixture.h"
#include "tests/streamsaver/media_probe.h"
#include "tests/support/media_server.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

constexpr int kStreamWait = 20000;
constexpr int64_t kMinute = 60 * 1000;

bool LibraryIsEmpty() { return StopCaptureAllSources(nullptr) == STREAMSAVER_S_FALSE; }

// Opens a channel menu through `open` (which runs the menu's own loop) and picks the record
// submenu's entry for `minutes`; false when there was no such entry.
bool RecordFromMenu(const std::function<void()>& open, int minutes) {
  bool picked = false;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    QAction* chosen = nullptr;
    for (QAction* action : menu->actions()) {
      if (action->menu() == nullptr || action->menu()->objectName() != QStringLiteral("recordChannelMenu")) continue;
      if (!action->isEnabled()) break;
      for (QAction* length : action->menu()->actions())
        if (length->data().toInt() == minutes) chosen = length;
    }
    menu->close();
    if (chosen != nullptr) {
      chosen->trigger();
      picked = true;
    }
  });
  open();
  return picked;
}

// The menu of the tree's (or the search results') row showing `name`.
void OpenTreeMenu(CChannelTreeView& tree, const QString& name) {
  const QModelIndexList found = tree.model()->match(tree.model()->index(0, 0), Qt::DisplayRole, name, 1,
                                                    Qt::MatchExactly | Qt::MatchRecursive);
  if (found.isEmpty()) return;
  tree.scrollTo(found.front());
  tree.setCurrentIndex(found.front());
  emit tree.customContextMenuRequested(tree.visualRect(found.front()).center());
}

}  // namespace

class RecordingsWindowTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  QTemporaryDir m_out;
  QList<MessageRequest> m_messages;
  std::unique_ptr<TestProgramFolder> m_folder;
  std::unique_ptr<MediaServer> m_server;
  QString m_answer;  // what the save-file chooser answers
  int64_t m_shift = 0;  // added to the system clock for the recordings
  QString m_alpha, m_beta;

  QString Out(const QString& name) const { return m_out.filePath(name); }

  CChannel Channel(const QString& name, const QString& url) const {
    CChannel channel;
    channel.name = ToU16(name);
    channel.URL = ToU16(url);
    return channel;
  }

  // A started window playing Beta.
  std::unique_ptr<CVantrelDlg> PlayingBeta() {
    auto dlg = OpenWindow();
    if (!dlg) return nullptr;
    dlg->PlayChannel(Channel("Beta", m_beta));
    if (!QTest::qWaitFor([&] { return dlg->RecordButton().isEnabled(); }, kStreamWait)) return nullptr;
    return dlg;
  }

  static bool AllRunning(const CVantrelDlg& dlg, size_t count) {
    const auto& entries = const_cast<CVantrelDlg&>(dlg).Recordings().Entries();
    return entries.size() == count && std::all_of(entries.begin(), entries.end(), [](const auto& e) {
             return e.phase == RecordingPhase::kRunning;
           });
  }

  // Every capture of the window is done and its file finished.
  static bool Settled(CVantrelDlg& dlg) {
    return QTest::qWaitFor([&] { return !dlg.Recordings().HasPendingWork() && !dlg.Recorder().HasPendingWork(); },
                           kStreamWait);
  }

  static std::filesystem::path ScheduleFile() { return FileLocation(DataFile::kRecordingSchedule); }

 private slots:
  void initTestCase() {
    PrepareWindowTests(m_config, m_messages);
    SetSaveFileChooserForTesting([this] { return m_answer; });
    SetRecordingClockForTesting([this] { return QDateTime::currentMSecsSinceEpoch() + m_shift; });
    QVERIFY(m_out.isValid());
    m_server = std::make_unique<MediaServer>();
    m_folder = std::make_unique<TestProgramFolder>();
    QVERIFY(m_folder->IsValid());
    m_alpha = QString::fromStdString(m_server->LiveUrl("h264_aac.ts", 6.0));
    m_beta = QString::fromStdString(m_server->LiveUrl("mpeg2_mp2.ts", 6.0));
    QVERIFY(m_folder->WriteCatalogue({{1, "Alpha", "A", "News", m_alpha, 0, {}, {}},
                                      {2, "Beta", "A", "News", m_beta, 0, {}, {}},
                                      {3, "Opus", "A", "News", QString::fromStdString(m_server->LiveUrl("opus.ts", 6.0)), 0, {}, {}}}));
  }

  void cleanupTestCase() {
    SetRecordingClockForTesting(nullptr);
    SetSaveFileChooserForTesting(nullptr);
    SetProgrammeMarginsForTesting(std::nullopt);
  }

  void init() {
    m_messages.clear();
    m_shift = 0;
    std::filesystem::remove(ScheduleFile());
  }

  // Alpha is recorded from its menu in the tree while Beta plays on; the list shows it with its
  // time and size, and its stop button finishes a readable file. A second capture of Alpha,
  // which would share the library's one capture of that address, is refused.
  void recordAnotherChannelAndStopFromList() {
    auto dlg = PlayingBeta();
    QVERIFY(dlg);
    m_answer = Out("alpha.avi");
    QVERIFY(RecordFromMenu([&] { OpenTreeMenu(dlg->Tree(), "Alpha"); }, 0));
    QTRY_VERIFY_WITH_TIMEOUT(AllRunning(*dlg, 1), kStreamWait);
    QCOMPARE(dlg->Player().GetURL(), m_beta);
    QVERIFY(QFile::exists(m_answer));

    CRecordingsWindow& list = dlg->RecordingsWindow();
    QVERIFY(list.isVisible());
    QCOMPARE(list.Table().rowCount(), 1);
    QCOMPARE(list.Table().item(0, CRecordingsWindow::kChannelColumn)->text(), QString("Alpha"));
    QTRY_VERIFY_WITH_TIMEOUT(list.Table().item(0, CRecordingsWindow::kSizeColumn)->text().endsWith("КБ") ||
                                 list.Table().item(0, CRecordingsWindow::kSizeColumn)->text().endsWith("МБ"),
                             kStreamWait);
    QTRY_VERIFY_WITH_TIMEOUT(list.Table().item(0, CRecordingsWindow::kTimeColumn)->text() != "0:00", kStreamWait);

    // The same channel twice would share one capture: refused with a message.
    QVERIFY(RecordFromMenu([&] { OpenTreeMenu(dlg->Tree(), "Alpha"); }, 0));
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages.front().text, QString("Этот канал уже записывается."));

    // So is the record button on Alpha once it plays: the button stays off.
    dlg->PlayChannel(Channel("Alpha", m_alpha));
    QTRY_VERIFY_WITH_TIMEOUT(dlg->RecordButton().isEnabled(), kStreamWait);
    QTest::mouseClick(&dlg->RecordButton(), Qt::LeftButton);
    QCOMPARE(m_messages.size(), 2);
    QCOMPARE(m_messages.back().text, QString("Этот канал уже записывается."));
    QVERIFY(!dlg->Recorder().IsRecording() && !dlg->RecordButton().GetToggleState());

    QTest::mouseClick(list.StopButton(0), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(dlg->Recordings().Entries().empty(), kStreamWait);
    QVERIFY(Settled(*dlg));
    QTRY_COMPARE_WITH_TIMEOUT(list.Table().rowCount(), 0, kStreamWait);
    QVERIFY(LibraryIsEmpty());
    QVERIFY(HasAviIndex(m_answer.toStdString()));
    const RecordedFile recorded = ReadRecording(m_answer.toStdString());
    QVERIFY(recorded.opened && recorded.readToEnd && recorded.packets > 0);
    QVERIFY2(recorded.duration > 0, qPrintable(QString::number(recorded.duration)));
  }

  // A capture that cannot start is told once with the channel's name and leaves no row and no
  // file; a scheduled one that fails also leaves the schedule file.
  void failedStartIsTold() {
    auto dlg = PlayingBeta();
    QVERIFY(dlg);
    m_answer = Out("opus.avi");  // AVI cannot carry Opus
    QVERIFY(RecordFromMenu([&] { OpenTreeMenu(dlg->Tree(), "Opus"); }, 60));
    QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 1, kStreamWait);
    QCOMPARE(m_messages.front().text, QString("Не удалось начать запись канала «Opus»."));
    QVERIFY(dlg->Recordings().Entries().empty());
    QVERIFY(!QFile::exists(m_answer) && !QFile::exists(m_answer + ".part"));

    const QDateTime now = QDateTime::currentDateTimeUtc();
    dlg->RecordProgramme(Channel("Nowhere", "http://127.0.0.1:1/live/none.ts"), now, now.addSecs(600), "Тишина");
    QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 2, kStreamWait);
    QCOMPARE(m_messages.back().text, QString("Не удалось начать запись канала «Nowhere»."));
    QVERIFY(dlg->Recordings().Entries().empty());
    QVERIFY(LoadSchedule(ScheduleFile(), 0).empty());
    QVERIFY(Settled(*dlg));
    QVERIFY(LibraryIsEmpty());
  }

  // From the favourites, "30 minutes": the stop time ends the capture by itself and the file is
  // finished. The record button's own capture shows in the same list and its row stops it as a
  // click on the button does.
  void timedRecordingStopsItself() {
    auto dlg = PlayingBeta();
    QVERIFY(dlg);
    GetChannelList().favorites = {Channel("Alpha", m_alpha)};
    dlg->FillFavoritesList();
    m_answer = Out("timed.avi");
    QVERIFY(RecordFromMenu([&] {
      emit dlg->FavoritesList().customContextMenuRequested(dlg->FavoritesList().visualRect(dlg->FavoritesList().model()->index(0, 0)).center());
    }, 30));
    QTRY_VERIFY_WITH_TIMEOUT(AllRunning(*dlg, 1), kStreamWait);
    QCOMPARE(dlg->Recordings().Entries().front().plan.stopMs - dlg->Recordings().Entries().front().plan.startMs,
             30 * kMinute);

    const QString button = Out("button.avi");
    m_answer = button;
    QTest::mouseClick(&dlg->RecordButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(button) && !dlg->Recorder().HasPendingWork(), kStreamWait);
    CRecordingsWindow& list = dlg->RecordingsWindow();
    list.Refresh();
    QCOMPARE(list.Table().rowCount(), 2);
    QCOMPARE(list.Table().item(0, CRecordingsWindow::kChannelColumn)->text(), QString("Beta"));

    // Half an hour later by the recordings' clock.
    m_shift = 30 * kMinute + 1000;
    dlg->Recordings().Poll();
    QVERIFY(dlg->Recordings().Entries().empty());
    QVERIFY(Settled(*dlg));
    QVERIFY(HasAviIndex(Out("timed.avi").toStdString()));
    const RecordedFile timed = ReadRecording(Out("timed.avi").toStdString());
    QVERIFY(timed.opened && timed.readToEnd && timed.packets > 0);

    // The record button's row.
    list.Refresh();
    QCOMPARE(list.Table().rowCount(), 1);
    QTest::mouseClick(list.StopButton(0), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dlg->Recorder().IsRecording(), kStreamWait);
    QVERIFY(!dlg->RecordButton().GetToggleState());
    QVERIFY(Settled(*dlg));
    QVERIFY(HasAviIndex(button.toStdString()));
    QVERIFY(LibraryIsEmpty());
    QVERIFY(m_messages.isEmpty());
    GetChannelList().favorites.clear();
  }

  // A short programme from the guide, a few seconds ahead: its recording starts before it
  // (the margin), stops after it, and the file covers its whole time. The name comes from the
  // channel, the title and the date, in the recordings folder.
  void scheduledProgrammeCoversItsTime() {
    SetProgrammeMarginsForTesting(ProgrammeMargins{4000, 1000});
    auto dlg = PlayingBeta();
    QVERIFY(dlg);
    const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(5);
    const QDateTime stop = start.addSecs(4);
    dlg->RecordProgramme(Channel("Alpha", m_alpha), start, stop, "Короткая/передача");
    QCOMPARE(dlg->Recordings().Entries().size(), size_t{1});
    const QString file = ToQString(dlg->Recordings().Entries().front().plan.file);
    const QString expected = QString::fromStdString(FileLocation(DataFile::kRecordings).string()) +
                             "/Alpha - Короткая_передача - " +
                             start.toLocalTime().toString("yyyy-MM-dd HH.mm") + ".mkv";
    QCOMPARE(file, expected);
    QCOMPARE(LoadSchedule(ScheduleFile(), 0).size(), size_t{1});

    QTRY_VERIFY_WITH_TIMEOUT(AllRunning(*dlg, 1), kStreamWait);
    QTRY_VERIFY_WITH_TIMEOUT(dlg->Recordings().Entries().empty(), kStreamWait);
    QVERIFY(Settled(*dlg));
    QVERIFY(QDateTime::currentDateTimeUtc() >= stop);
    const RecordedFile recorded = ReadRecording(file.toStdString());
    QVERIFY(recorded.opened && recorded.readToEnd && recorded.packets > 0);
    QCOMPARE(recorded.format, std::string("matroska,webm"));
    QVERIFY2(recorded.duration >= 4.0, qPrintable(QString::number(recorded.duration)));
    // Done: it left the schedule file.
    QVERIFY(LoadSchedule(ScheduleFile(), 0).empty());
    SetProgrammeMarginsForTesting(std::nullopt);
    QVERIFY(m_messages.isEmpty());
  }

  // The schedule outlives the window: what has passed is dropped at the next start, what is
  // under way starts at once for what is left, into a file of its own beside the part recorded
  // before the restart.
  void scheduleKeptAcrossWindows() {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    {
      auto dlg = OpenWindow();
      QVERIFY(dlg);
      dlg->RecordProgramme(Channel("Alpha", m_alpha), now.addSecs(3600), now.addSecs(7200), "Фильм");
      dlg->RecordProgramme(Channel("Alpha", m_alpha), now.addSecs(600), now.addSecs(1200), "Новости");
      CRecordingsWindow& list = dlg->RecordingsWindow();
      QCOMPARE(list.Table().rowCount(), 2);
      QVERIFY(list.Table().item(0, CRecordingsWindow::kTimeColumn)->text().startsWith("начало в "));
      QCOMPARE(list.StopButton(0)->text(), QString("Отменить"));
      dlg->close();
    }
    QCOMPARE(LoadSchedule(ScheduleFile(), 0).size(), size_t{2});

    m_shift = 30 * kMinute;  // the news ended while the program was not running
    std::filesystem::path firstPart;
    {
      auto dlg = OpenWindow();
      QVERIFY(dlg);
      QCOMPARE(dlg->Recordings().Entries().size(), size_t{1});
      QCOMPARE(dlg->Recordings().Entries().front().plan.title, std::u16string(u"Фильм"));
      QCOMPARE(dlg->Recordings().Entries().front().phase, RecordingPhase::kWaiting);
      QCOMPARE(LoadSchedule(ScheduleFile(), 0).size(), size_t{1});

      m_shift = 90 * kMinute;  // half-way through the film
      dlg->Recordings().Poll();
      QTRY_VERIFY_WITH_TIMEOUT(AllRunning(*dlg, 1), kStreamWait);
      firstPart = Utf16ToUtf8(dlg->Recordings().Entries().front().plan.file);
      QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(firstPart), kStreamWait);
      dlg->close();
    }
    QVERIFY(ReadRecording(firstPart.string()).readToEnd);
    QCOMPARE(LoadSchedule(ScheduleFile(), 0).size(), size_t{1});

    auto dlg = OpenWindow();
    QVERIFY(dlg);
    QTRY_VERIFY_WITH_TIMEOUT(AllRunning(*dlg, 1), kStreamWait);
    const std::filesystem::path secondPart = firstPart.parent_path() / (firstPart.stem().string() + " (2).mkv");
    QCOMPARE(dlg->Recordings().Entries().front().file, Utf8ToUtf16(secondPart.string()));
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(secondPart), kStreamWait);
    QVERIFY(ReadRecording(firstPart.string()).readToEnd);

    dlg->ShowRecordings();
    QTest::mouseClick(dlg->RecordingsWindow().StopButton(0), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(dlg->Recordings().Entries().empty(), kStreamWait);
    QVERIFY(Settled(*dlg));
    QVERIFY(LoadSchedule(ScheduleFile(), 0).empty());
    const RecordedFile second = ReadRecording(secondPart.string());
    QVERIFY(second.opened && second.readToEnd && second.packets > 0);
    QVERIFY(m_messages.isEmpty());
  }

  // Closing with the record button recording Beta, Alpha recorded from the search results and
  // a programme waiting: both files are finished by the time the close returns, the library
  // holds nothing, and the waiting programme stays for the next run.
  void closeFinishesEveryFile() {
    auto dlg = PlayingBeta();
    QVERIFY(dlg);
    const QString button = Out("close-button.avi");
    m_answer = button;
    QTest::mouseClick(&dlg->RecordButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(button) && !dlg->Recorder().HasPendingWork(), kStreamWait);

    dlg->SearchField().setText("Alph");
    QVERIFY(dlg->Tree().IsShowingSearchResults());
    m_answer = Out("close-search.avi");
    QVERIFY(RecordFromMenu([&] { OpenTreeMenu(dlg->Tree(), "Alpha — Каталог"); }, 0));
    const QDateTime later = QDateTime::currentDateTimeUtc().addSecs(3600);
    dlg->RecordProgramme(Channel("Alpha", m_alpha), later, later.addSecs(600), "Позже");
    QTRY_VERIFY_WITH_TIMEOUT(dlg->Recordings().Entries().front().phase == RecordingPhase::kRunning, kStreamWait);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_answer), kStreamWait);

    dlg->close();
    QVERIFY(!dlg->isVisible());
    QVERIFY(!dlg->RecordingsWindow().isVisible());
    for (const QString& file : {button, m_answer}) {
      QVERIFY2(HasAviIndex(file.toStdString()), qPrintable(file));
      QVERIFY2(ReadRecording(file.toStdString()).readToEnd, qPrintable(file));
    }
    QVERIFY(LibraryIsEmpty());
    const std::vector<PlannedRecording> kept = LoadSchedule(ScheduleFile(), 0);
    QCOMPARE(kept.size(), size_t{1});
    QCOMPARE(kept.front().title, std::u16string(u"Позже"));
    QVERIFY(m_messages.isEmpty());
  }
};

QTEST_MAIN(RecordingsWindowTest)
#include "recordings_window_test.moc"
