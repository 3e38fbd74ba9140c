// The start-up update checks as the main window runs them: order, status texts, messages for
// each failure, and what a stop or an offer leaves in the window.
#include <QSettings>

#include "base/text_codec.h"
#include "resources/resource.h"
#include "resources/string_table.h"
#include "tests/app/update_window_fixture.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

const QString kCheckingProgram = QStringLiteral("Проверяем наличие обновлений программы, пожалуйста подождите...");
const QString kCheckingSkins = QStringLiteral("Проверяем наличие новых шкурок оформления, пожалуйста подождите...");
const QString kGettingChannels = QStringLiteral("Получаем список каналов, пожалуйста подождите...");
const QString kChooseChannel = QStringLiteral("Пожалуйста, выберите канал.");
const QString kServerUnreachable =
    QStringLiteral("Ошибка при соединении с главным сервером. Возможно, интернет не доступен.");
const QString kSkinsError = QStringLiteral("Ошибка при получении новых шкурок оформления.");
const QString kChannelsError = QStringLiteral("Ошибка при получении новых каналов.");

QString LoopbackBase(int port) { return QStringLiteral("http://127.0.0.1:%1/").arg(port); }

}  // namespace

class UpdateChecksWindowTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  QList<MessageRequest> m_unused;
  std::unique_ptr<TestProgramFolder> m_folder;

 private slots:
  void initTestCase() {
    PrepareWindowTests(m_config, m_unused);
    ClearProxyEnvironment();
    m_folder = std::make_unique<TestProgramFolder>();
    QVERIFY(m_folder->IsValid());
    QVERIFY(m_folder->WriteCatalogue({{1, "Alpha", "Россия", "News", "http://127.0.0.1:9/a", 0, "", ""}}));
  }

  void init() {
    WriteProfileString(kSkinsSection, kCurrentSkinEntry, QStringLiteral("Classic"));
    WriteProfileString(kUpdateSection, kUserNameEntry, std::nullopt);
  }

  // With nothing to report, the three pages are asked in order with the user's name, and each
  // step's status text reaches the screen before its request; the label shows no new channels.
  void checksRunInOrder() {
    TestUpdateServer server;
    QVERIFY(server.IsValid());
    QVERIFY(server.Put("program/answer.txt", QString()));
    server.UseForUpdates();
    WriteProfileString(kUpdateSection, kUserNameEntry, QStringLiteral("tester"));
    MessageAnswers messages;

    CheckedWindow window;
    QVERIFY(window.Open());
    QCOMPARE(window.paints->texts, QStringList({kCheckingProgram, kCheckingSkins, kGettingChannels, kChooseChannel}));
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(window.dlg->NewChannelsLabel().text(), NewChannelsText("0"));
    QVERIFY(!DownloadEnabled(*window.dlg));
    QVERIFY(window.dlg->ChannelListUrl.isEmpty());

    const QStringList requests = server.StopAndLog().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(requests.size(), 3);
    QVERIFY(requests[0].startsWith("GET /php/check_program.php?version=Vantrel%202.0.ru&name=tester "));
    QVERIFY(requests[1].contains("/php/check_skins.php?") && requests[1].contains("&skins=Classic;Metall; "));
    QVERIFY(requests[2].contains("/php/check_channels.php?") && requests[2].contains("&channels_version=7 "));
  }

  // Each check tells a request that got no answer from one that broke off, with its own
  // message; only the program check stops the others, and only when nothing answered.
  void failuresPerCheck_data() {
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("paints");
    QTest::addColumn<bool>("laterChecksRan");
    QTest::newRow("server down") << "down" << QStringList{kServerUnreachable} << QStringList{kCheckingProgram}
                                 << false;
    QTest::newRow("skin and channel pages down")
        << "later down" << QStringList{kSkinsError, kServerUnreachable}
        << QStringList{kCheckingProgram, kCheckingSkins, kGettingChannels, kChooseChannel} << true;
    QTest::newRow("every answer breaks off")
        << "broken" << QStringList{kSkinsError, kChannelsError}
        << QStringList{kCheckingProgram, kChooseChannel, kCheckingSkins, kGettingChannels, kChooseChannel} << true;
  }
  void failuresPerCheck() {
    QFETCH(QString, failure);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, paints);
    QFETCH(bool, laterChecksRan);
    ScriptedServer server;
    const std::string nowhere = LoopbackBase(ClosedPort()).toStdString() + "gone";
    if (failure == "down") {
      WriteProfileString(kUpdateSection, kServerEntry, LoopbackBase(ClosedPort()));
    } else {
      WriteProfileString(kUpdateSection, kServerEntry, QString::fromStdString(server.Base()));
      ScriptedServer::Reply redirect{302, ""};
      redirect.location = nowhere;
      const ScriptedServer::Reply broken{200, "2048" + std::string(5000, 'x'), 1000};
      server.Answer("/php/check_program.php", failure == "broken" ? broken : ScriptedServer::Reply{200, ""});
      for (const char* page : {"/php/check_skins.php", "/php/check_channels.php"})
        server.Answer(page, failure == "broken" ? broken : redirect);
    }
    MessageAnswers shown;

    CheckedWindow window;
    QVERIFY(window.Open());
    QCOMPARE(shown.shown, messages);
    QCOMPARE(window.paints->texts, paints);
    // The label gets its count of none only when the channel check runs.
    QCOMPARE(window.dlg->NewChannelsLabel().text(), laterChecksRan ? NewChannelsText("0") : NewChannelsText(""));
    QVERIFY(!DownloadEnabled(*window.dlg));
    // The start-up goes on whatever the checks said.
    QVERIFY(window.WaitForStartUp());
    QCOMPARE(window.dlg->StatusLine().Text(), kChooseChannel);
  }

  // With no server named anywhere nothing is asked and nothing is said; a server named for
  // this run is asked ahead of the settings', which stay as they were.
  void serverNamedOrNone() {
    if (!LoadResString(res::IDS_UPDATE_SERVER).empty()) QSKIP("this build names an update server");
    // Also from the company-wide file the settings fall back on, where the process-wide set-up
    // wrote before the program had its name.
    QSettings(QSettings::NativeFormat, QSettings::UserScope, kSettingsCompany).remove(QStringLiteral("Update/Server"));
    QVERIFY(WriteProfileString(kUpdateSection, kServerEntry, std::nullopt));
    QVERIFY(GetProfileString(kUpdateSection, kServerEntry).isEmpty());
    {
      MessageAnswers shown;
      CheckedWindow window;
      QVERIFY(window.Open());
      QVERIFY(window.WaitForStartUp());
      QVERIFY(shown.shown.isEmpty());
      QVERIFY(!window.paints->texts.contains(kCheckingProgram));
      QCOMPARE(window.dlg->StatusLine().Text(), kChooseChannel);
    }
    const QString down = LoopbackBase(ClosedPort());
    WriteProfileString(kUpdateSection, kServerEntry, QStringLiteral("http://127.0.0.1:9/settings/"));
    MessageAnswers shown;
    CheckedWindow window;
    window.dlg->SetUpdateServerForRun(down);
    QVERIFY(window.Open());
    QCOMPARE(shown.shown, QStringList{ResString(res::IDS_SERVER_UNREACHABLE)});
    QCOMPARE(GetProfileString(kUpdateSection, kServerEntry), QStringLiteral("http://127.0.0.1:9/settings/"));
    WriteProfileString(kUpdateSection, kServerEntry, QuietServerAddress());
  }

  // "Nothing new" or a notice from the program page ends the checks while a skin and a
  // catalogue wait on the server; the panels open all the same.
  void programStopSkipsTheOtherChecks_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("nothing new") << "1024" << QStringList{};
    QTest::newRow("notice") << "2048Сервер на обслуживании." << QStringList{"Сервер на обслуживании."};
  }
  void programStopSkipsTheOtherChecks() {
    QFETCH(QString, answer);
    QFETCH(QStringList, messages);
    TestUpdateServer server;
    QVERIFY(server.IsValid());
    QVERIFY(server.Put("program/answer.txt", answer));
    QVERIFY(server.CopyIn("skins/Crossy.zip", SkinPack("Crossy")));
    QVERIFY(server.Put("channels/channels.dat", QByteArray("catalogue")));
    QVERIFY(server.Put("channels/version", QString("100")));
    server.UseForUpdates();
    MessageAnswers shown;

    CheckedWindow window;
    QVERIFY(window.Open());
    QCOMPARE(shown.shown, messages);
    QCOMPARE(window.paints->texts, QStringList{kCheckingProgram});
    QCOMPARE(window.dlg->NewChannelsLabel().text(), NewChannelsText(""));
    QVERIFY(window.WaitForStartUp());
    QVERIFY(window.dlg->IsBottomPanelOpen() && window.dlg->NewChannelsLabel().isVisible());
    QVERIFY(!DownloadEnabled(*window.dlg));
    QCOMPARE(server.StopAndLog().count("GET "), 1);
  }

  // A declined program offer lets the other checks run; a declined skin offer downloads
  // nothing; a catalogue offer is kept for the download button without a message.
  void offersAreAskedAndKept() {
    TestUpdateServer server;
    QVERIFY(server.IsValid());
    QVERIFY(server.Put("program/answer.txt", QString("4096{base}program/next.zip4096next4096 КБ программы4096Обновить программу?")));
    QVERIFY(server.CopyIn("skins/Crossy.zip", SkinPack("Crossy")));
    QVERIFY(server.Put("skins/Crossy.txt", QString(" КБ шкурки\nСкачать Crossy?")));
    QVERIFY(server.Put("channels/channels.dat", QByteArray("catalogue")));
    QVERIFY(server.Put("channels/version", QString("100")));
    QVERIFY(server.Put("channels/offer.txt", QString(" КБ каналов\n12")));
    server.UseForUpdates();
    MessageAnswers shown;
    shown.answers << MsgResult::Cancel << MsgResult::Cancel;

    CheckedWindow window;
    QVERIFY(window.Open());
    QCOMPARE(shown.shown, QStringList({"Обновить программу?", "Скачать Crossy?"}));
    QCOMPARE(window.paints->texts,
             QStringList({kCheckingProgram, kChooseChannel, kCheckingSkins, kGettingChannels, kChooseChannel}));
    CVantrelDlg& dlg = *window.dlg;
    QCOMPARE(dlg.ChannelListUrl, server.Base() + "channels/channels.dat");
    QCOMPARE(dlg.DownloadProgressSuffix, QString(" КБ каналов"));
    QCOMPARE(dlg.NewChannelCount, QString("12"));
    QCOMPARE(dlg.NewChannelsLabel().text(), NewChannelsText("12"));
    QVERIFY(DownloadEnabled(dlg));
    QVERIFY(!QFileInfo::exists(m_folder->Path("skins/Crossy")));
    // Only the check pages were asked: nothing was downloaded.
    const QString log = server.StopAndLog();
    QCOMPARE(log.count("GET "), 3);
    QVERIFY(!log.contains(".zip") && !log.contains("channels.dat"));
  }
};

QTEST_MAIN(UpdateChecksWindowTest)
#include "update_checks_window_test.moc"
