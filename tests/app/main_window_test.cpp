// The main window: start-up sequence, panels, sizes, window commands and every way of closing.
#include <QWindow>

#include "base/restart.h"
#include "skin/about_dlg.h"
#include "skin/msg_dlg.h"
#include "base/settings.h"
#include "playback/play_state.h"
#include "resources/resource.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/media_server.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

QRect PlayerRuleFor(const CVantrelDlg& dlg, QSize client) {
  return {88, 37, client.width() - 368 + (dlg.IsRightPanelOpen() ? 0 : 250),
          client.height() - 297 + (dlg.IsBottomPanelOpen() ? 0 : 180)};
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  QList<MessageRequest> m_messages;
  std::unique_ptr<TestProgramFolder> m_folder;

 private slots:
  void initTestCase() {
    PrepareWindowTests(m_config, m_messages);
    m_folder = std::make_unique<TestProgramFolder>();
    QVERIFY(m_folder->IsValid());
    QVERIFY(m_folder->WriteCatalogue({{1, "Alpha", "A", "News", "http://127.0.0.1:9/a", 128, "about", "site"}}));
  }

  void init() { m_messages.clear(); }

  // Start-up: the window appears disabled with both panels shut, then the bottom panel opens,
  // then the right one, then the window is enabled showing "choose a channel". The leftover
  // program file is gone and the setting defaulted to Classic, whose preview is pressed.
  void startUpSequence() {
    QFile leftover(m_folder->Path("temp.tmp"));
    QVERIFY(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    WriteProfileString(kSkinsSection, kCurrentSkinEntry, std::nullopt);

    auto dlg = std::make_unique<CVantrelDlg>();
    QVERIFY(dlg->OnInitDialog());
    QVERIFY(!QFile::exists(m_folder->Path("temp.tmp")));
    QCOMPARE(dlg->windowTitle(), QString("Vantrel 2.0.ru"));
    QVERIFY(!dlg->windowIcon().isNull());
    QCOMPARE(dlg->AlwaysOnTopCheck().text(), QString("Поверх всех окон"));
    QCOMPARE(dlg->ByCountriesRadio().text(), QString("По странам"));
    QVERIFY(dlg->ByCountriesRadio().isChecked());
    QCOMPARE(dlg->FavoritesList().columnWidth(0), 217);
    QCOMPARE(GetProfileString(kSkinsSection, kCurrentSkinEntry), QString("Classic"));
    QVERIFY(dlg->PreviewButton("Classic")->GetToggleState());
    QVERIFY(!dlg->PreviewButton("Metall")->GetToggleState());
    QVERIFY(dlg->PreviewButton("Glamour") == nullptr);
    QVERIFY(!dlg->isEnabled() && !dlg->IsBottomPanelOpen() && !dlg->IsRightPanelOpen());
    QVERIFY(dlg->Tree().isHidden() && dlg->FavoritesList().isHidden() && dlg->HeartButton().isHidden());
    QVERIFY(!dlg->RecordButton().isEnabled() && !dlg->RecordButton().isHidden());
    const QSize closedSize = dlg->size();

    dlg->show();
    QTRY_VERIFY_WITH_TIMEOUT(dlg->IsBottomPanelOpen(), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(dlg->isEnabled(), kWait);
    QVERIFY(dlg->IsRightPanelOpen() && !dlg->IsSliding());
    QCOMPARE(dlg->StatusLine().Text(), QString("Пожалуйста, выберите канал."));
    // The panels stick out of the frame by their slide distance.
    QCOMPARE(dlg->width(), closedSize.width() + 250);
    QVERIFY(dlg->height() > closedSize.height() + 150);
    QCOMPARE(dlg->Player().geometry(), CVantrelDlg::kPlayerAtFirstPaint);
    QVERIFY(dlg->Tree().isVisible() && dlg->FavoritesList().isVisible() && dlg->NewChannelsLabel().isVisible());
    QCOMPARE(dlg->Tree().palette().color(QPalette::Base), dlg->RightPanelColour());
    QCOMPARE(dlg->FavoritesList().palette().color(QPalette::Base), dlg->BottomPanelColour());
    // Shown, but still disabled until a channel plays or a favourite is clicked.
    QVERIFY(dlg->HeartButton().isVisible() && !dlg->HeartButton().isEnabled());
    QVERIFY(dlg->DownloadButton().isVisible() && !dlg->DownloadButton().isEnabled());
  }

  // The smallest size follows the open panels; closing them hides their controls again.
  void minimumSizeAndClosingPanels() {
    CVantrelDlg fresh;
    QVERIFY(fresh.OnInitDialog());
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    QCOMPARE(dlg->GetMinTrackSize(), QSize(850, 725));
    const QSize openSize = dlg->size();
    QTest::mouseClick(&dlg->RightArrowButton(), Qt::LeftButton);
    QVERIFY(WaitForSlide(*dlg));
    QCOMPARE(dlg->GetMinTrackSize(), QSize(600, 725));
    QVERIFY(!dlg->Tree().isVisible() && !dlg->DownloadButton().isVisible());
    QTest::mouseClick(&dlg->DownArrowButton(), Qt::LeftButton);
    QVERIFY(WaitForSlide(*dlg));
    QCOMPARE(dlg->GetMinTrackSize(), QSize(600, 550));
    QVERIFY(!dlg->FavoritesList().isVisible() && !dlg->HeartButton().isVisible());
    QCOMPARE(dlg->size(), fresh.size());
    QVERIFY(dlg->size() != openSize);
  }

  // During a slide the window changes size at every step but the player stays; the next
  // size change after the slide places it by the rule.
  void resizeDuringSlideLeavesPlayer() {
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    const QRect before = dlg->Player().geometry();
    const QSize sizeBefore = dlg->size();
    QTest::mouseClick(&dlg->DownArrowButton(), Qt::LeftButton);
    QVERIFY(dlg->IsSliding());
    dlg->resize(dlg->size() + QSize(30, 0));
    QVERIFY(WaitForSlide(*dlg));
    QVERIFY(dlg->size() != sizeBefore);
    QCOMPARE(dlg->Player().geometry(), before);

    const QSize bigger = dlg->size() + QSize(40, 60);
    dlg->resize(bigger);
    QTRY_COMPARE(dlg->size(), bigger);
    QCOMPARE(dlg->Player().geometry(), PlayerRuleFor(*dlg, bigger));
  }

  // A second arrow click while its slide runs is refused; the panel stays where the first
  // click sends it, and the arrow agrees with the panel.
  void secondArrowClickDuringSlideRefused() {
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    const QSize openSize = dlg->size();
    QTest::mouseClick(&dlg->RightArrowButton(), Qt::LeftButton);
    QVERIFY(dlg->IsSliding());
    QTest::mouseClick(&dlg->RightArrowButton(), Qt::LeftButton);
    QVERIFY(WaitForSlide(*dlg));
    QCOMPARE(dlg->size(), openSize - QSize(250, 0));
    QVERIFY(!dlg->IsRightPanelOpen());
    QVERIFY(!dlg->Tree().isVisible());
    // The next click opens it again, by the full distance.
    QTest::mouseClick(&dlg->RightArrowButton(), Qt::LeftButton);
    QVERIFY(WaitForSlide(*dlg));
    QCOMPARE(dlg->size(), openSize);
    QVERIFY(dlg->Tree().isVisible());
  }

  // "Hide Controls" switches between video only and the compact bar; twice is "mini" again.
  // "Always On Top" keeps the window open while it changes the window's stacking. Both texts
  // fit their fixed boxes whole.
  void checkBoxes() {
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    for (QCheckBox* box : {&dlg->AlwaysOnTopCheck(), &dlg->HideControlsCheck()})
      QVERIFY2(box->sizeHint().width() <= box->width(), qPrintable(box->text()));
    QCOMPARE(dlg->Player().GetUiMode(), QString("mini"));
    QTest::mouseClick(&dlg->HideControlsCheck(), Qt::LeftButton);
    QCOMPARE(dlg->Player().GetUiMode(), QString("none"));
    QTest::mouseClick(&dlg->HideControlsCheck(), Qt::LeftButton);
    QCOMPARE(dlg->Player().GetUiMode(), QString("mini"));

    QTest::mouseClick(&dlg->AlwaysOnTopCheck(), Qt::LeftButton);
    QVERIFY(dlg->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    QTest::mouseClick(&dlg->AlwaysOnTopCheck(), Qt::LeftButton);
    QVERIFY(!(dlg->windowHandle()->flags() & Qt::WindowStaysOnTopHint));
    QVERIFY(dlg->isVisible());
  }

  // The maximise button makes the player full screen only while it plays.
  void maximiseOnlyWhilePlaying() {
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    QTest::mouseClick(&dlg->MaximizeButton(), Qt::LeftButton);
    QVERIFY(!dlg->Player().GetFullScreen());

    MediaServer server;
    CChannel channel;
    channel.URL = Utf8ToUtf16(server.LiveUrl("h264_aac.ts", 10));
    dlg->PlayChannel(channel);
    QTRY_COMPARE_WITH_TIMEOUT(dlg->Player().GetPlayState(), play_state::kPlaying, 2 * kWait);
    QTest::mouseClick(&dlg->MaximizeButton(), Qt::LeftButton);
    QVERIFY(dlg->Player().GetFullScreen());
    dlg->Player().SetFullScreen(false);
  }

  // The about button opens the current skin's about window; messages wear the skin too.
  void aboutWindowAndMessages() {
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    // Clicks the OK button of the modal window that opens, noting what window it was.
    QString seen;
    auto answerModal = [&seen] {
      QTimer::singleShot(0, [&seen] {
        QWidget* modal = QApplication::activeModalWidget();
        seen = modal ? QString(modal->metaObject()->className()) : QString("none");
        for (auto* button : modal ? modal->findChildren<CSkinBaseButton*>() : QList<CSkinBaseButton*>{})
          if (button->CommandId() == CVantrelAboutDlg::kOkCommand || button->CommandId() == VantrelMsgDlg::kOkCommand)
            QTest::mouseClick(button, Qt::LeftButton);
      });
    };
    answerModal();
    QTest::mouseClick(&dlg->AboutButton(), Qt::LeftButton);
    QCOMPARE(seen, QString("vantrel::CVantrelAboutDlg"));

    SetMessageBoxHookForTesting(nullptr);
    answerModal();
    const MsgResult answer = ShowSkinnedMessage("Проверка", dlg.get());
    SetMessageBoxHookForTesting([this](const MessageRequest& request) {
      m_messages << request;
      return MsgResult::Ok;
    });
    QCOMPARE(seen, QString("vantrel::VantrelMsgDlg"));
    QCOMPARE(answer, MsgResult::Ok);
  }

  // Every way of closing ends the dialog, each with its result; a skin switch also stores the
  // skin, starts the program again and ends with code 0.
  void closePaths() {
    struct Case {
      const char* name;
      std::function<void(CVantrelDlg&)> close;
      int result;
    };
    const Case cases[] = {
        {"close button", [](CVantrelDlg& d) { d.OnCommand(37836); }, 0},
        {"enter", [](CVantrelDlg& d) { QTest::keyClick(&d, Qt::Key_Return); }, 1},
        {"escape", [](CVantrelDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }, 2},
        {"system close", [](CVantrelDlg& d) { d.close(); }, 2},
    };
    for (const Case& c : cases) {
      auto dlg = OpenWindow();
      QVERIFY2(dlg, c.name);
      c.close(*dlg);
      QVERIFY2(!dlg->isVisible() && dlg->IsEnding(), c.name);
      QCOMPARE(dlg->result(), c.result);
      QCOMPARE(dlg->ExitCode(), 0);
    }

    std::vector<std::filesystem::path> restarted;
    SetRestartHookForTesting([&](const std::filesystem::path& program) {
      restarted.push_back(program);
      return true;
    });
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    QTest::mouseClick(dlg->PreviewButton("Metall"), Qt::LeftButton);
    SetRestartHookForTesting(nullptr);
    QCOMPARE(restarted.size(), size_t{1});
    QCOMPARE(restarted.front(), ProgramFile());
    QCOMPARE(GetProfileString(kSkinsSection, kCurrentSkinEntry), QString("Metall"));
    QVERIFY(!dlg->isVisible());
    QCOMPARE(dlg->ExitCode(), 0);
    WriteProfileString(kSkinsSection, kCurrentSkinEntry, QString("Classic"));
  }

  // A setting naming another valid skin builds the window from that skin.
  void settingChoosesSkin() {
    WriteProfileString(kSkinsSection, kCurrentSkinEntry, QString("Metall"));
    auto dlg = OpenWindow(false);
    QVERIFY(dlg);
    QCOMPARE(QString::fromStdString(dlg->CurrentSkinFolder().filename().string()), QString("Metall"));
    QVERIFY(dlg->PreviewButton("Metall")->GetToggleState());
    WriteProfileString(kSkinsSection, kCurrentSkinEntry, QString("Classic"));
  }

  // Without a usable skin the error box is shown and the program ends with -1.
  void noSkinEndsWithMinusOne() {
    TestProgramFolder empty(QStringList{});
    QDir(empty.Path()).mkdir("skins");
    CVantrelDlg dlg;
    QVERIFY(!dlg.OnInitDialog());
    QCOMPARE(dlg.ExitCode(), -1);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages.front().system);
    QCOMPARE(m_messages.front().text, QString("Нет доступных шкурок."));
    QCOMPARE(m_messages.front().caption, QString("Ошибка при поиске каталога со шкурками."));
    m_folder = std::make_unique<TestProgramFolder>();  // back to the folder with skins
    QVERIFY(m_folder->WriteCatalogue({{1, "Alpha", "A", "News", "http://127.0.0.1:9/a", 128, "about", "site"}}));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
