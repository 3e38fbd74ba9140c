// The downloads an offer leads to, driven through the main window: the catalogue behind the
// download button, a skin pack and a program build, each with its progress, messages and
// restart.
#include <sys/stat.h>

#include <QProcess>

#include "app/command_ids.h"
#include "base/restart.h"
#include "base/text_codec.h"
#include "catalogue/catalogue_file.h"
#include "tests/app/update_window_fixture.h"
#include "updates/zip/zip_writer.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

const QString kChooseChannel = QStringLiteral("Пожалуйста, выберите канал.");
const QString kChannelsError = QStringLiteral("Ошибка при получении новых каналов.");
const QString kSkinRestart = QStringLiteral(
    "Скачана новая шкурка оформления. Чтобы ее увидеть, необходимо перезапустить программу. Перезапустить программу?");
const QString kProgramRestart = QStringLiteral(
    "Скачано обновление программы. Чтобы его увидеть, необходимо перезапустить программу. Перезапустить программу?");

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray PackedCatalogue(const QList<TestChannel>& channels) {
  std::string archive;
  if (!PackCatalogue(Utf16ToCp1251(ToU16(CatalogueXml(channels))), archive)) return {};
  return QByteArray::fromStdString(archive);
}

QStringList TopLevelLabels(const QTreeView& tree) {
  QStringList labels;
  for (int i = 0; i < tree.model()->rowCount(); ++i) labels << tree.model()->index(i, 0).data().toString();
  return labels;
}

// The .minisig of `bytes` made with the demo server's key, which this build trusts; empty in a
// build without that key.
QByteArray DemoSignature(const QByteArray& bytes) {
#ifdef VANTREL_DEMO_SECRET_KEY
  QTemporaryDir folder;
  const QString file = folder.filePath("build.zip");
  QFile out(file);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) return {};
  out.close();
  if (QProcess::execute(VANTREL_MINISIGN, {"-S", "-s", VANTREL_DEMO_SECRET_KEY, "-m", file}) != 0) return {};
  return ReadFile(file + ".minisig");
#else
  Q_UNUSED(bytes);
  return {};
#endif
}

QByteArray ProgramArchive(const std::string& build) {
  ZipWriterEntry entry;
  entry.name = "Vantrel-2.1";
  entry.data = build;
  ZipWriter zip;
  return zip.Add(entry) ? QByteArray::fromStdString(zip.Finish()) : QByteArray();
}

// Records the program paths restarts are asked for, instead of starting anything.
struct RestartRecorder {
  RestartRecorder() {
    SetRestartHookForTesting([this](const std::filesystem::path& program) {
      started << QString::fromStdString(program.string());
      return true;
    });
  }
  ~RestartRecorder() { SetRestartHookForTesting([](const std::filesystem::path&) { return true; }); }
  QStringList started;
};

}  // namespace

class UpdateDownloadsWindowTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  QList<MessageRequest> m_unused;
  const QList<TestChannel> m_oldChannels{{1, "Alpha", "Россия", "News", "http://127.0.0.1:9/a", 0, "", ""}};

 private slots:
  void initTestCase() {
    PrepareWindowTests(m_config, m_unused);
    ClearProxyEnvironment();
  }

  void init() { WriteProfileString(kSkinsSection, kCurrentSkinEntry, QStringLiteral("Classic")); }

  // The download button fetches the offered catalogue, which replaces channels.dat as sent;
  // the tree is rebuilt by country although "by genres" stays the checked view.
  void catalogueDownloadRebuildsTreeByCountry() {
    TestProgramFolder folder;
    QVERIFY(folder.IsValid() && folder.WriteCatalogue(m_oldChannels));
    const QByteArray catalogue = PackedCatalogue(
        {{5, "Paris", "Франция", "Music", "http://127.0.0.1:9/p", 0, "", ""}, {6, "Tokyo", "Япония", "News", "http://127.0.0.1:9/t", 0, "", ""}});
    QVERIFY(!catalogue.isEmpty() && catalogue.size() < 1024);
    TestUpdateServer server;
    QVERIFY(server.IsValid() && server.Put("program/answer.txt", QString()));
    QVERIFY(server.Put("channels/channels.dat", catalogue) && server.Put("channels/version", QString("8")));
    QVERIFY(server.Put("channels/offer.txt", QString(" КБ каналов\n12")));
    server.UseForUpdates();
    MessageAnswers shown;

    CheckedWindow window;
    QVERIFY(window.Open() && window.WaitForStartUp());
    CVantrelDlg& dlg = *window.dlg;
    QTest::mouseClick(&dlg.ByGenresRadio(), Qt::LeftButton);
    QCOMPARE(TopLevelLabels(dlg.Tree()), QStringList{"News(1)"});
    window.paints->texts.clear();
    QTest::mouseClick(&dlg.DownloadButton(), Qt::LeftButton);

    QCOMPARE(ReadFile(folder.Path("channels.dat")), catalogue);
    QCOMPARE(shown.shown, QStringList{"Список каналов обновлен. Скачано новых каналов: 12"});
    QCOMPARE(window.paints->texts, QStringList({"0 КБ каналов", kChooseChannel}));
    QCOMPARE(TopLevelLabels(dlg.Tree()), QStringList({"Франция(1)", "Япония(1)"}));
    QVERIFY(dlg.ByGenresRadio().isChecked() && !dlg.ByCountriesRadio().isChecked());
    QCOMPARE(dlg.NewChannelsLabel().text(), NewChannelsText("0"));
    QVERIFY(!DownloadEnabled(dlg));
  }

  // A catalogue that breaks off is reported and leaves everything as it was, so the button
  // can be pressed again; a longer one shows its progress in whole kilobytes.
  void failedCatalogueDownloadCanBeRetried() {
    TestProgramFolder folder;
    QVERIFY(folder.IsValid() && folder.WriteCatalogue(m_oldChannels));
    const QByteArray old = ReadFile(folder.Path("channels.dat"));
    // A description that does not compress makes a catalogue of several reads.
    QString noise;
    for (quint32 i = 0, x = 1; i < 400'000; ++i, x = x * 1103515245u + 12345u) noise += QChar('a' + (x >> 16) % 26);
    const QByteArray big = PackedCatalogue({{5, "Paris", "Франция", "Music", "http://127.0.0.1:9/p", 0, noise, ""}});
    QVERIFY(big.size() > 2 * 65'536);
    const auto scripted = OfferSafeScriptedServer();
    ScriptedServer& server = *scripted;
    WriteProfileString(kUpdateSection, kServerEntry, QString::fromStdString(server.Base()));
    server.Answer("/php/check_program.php", "");
    server.Answer("/php/check_skins.php", "1024");
    server.Answer("/php/check_channels.php", "4096" + server.Base() + "cat.dat4096 KB409654096");
    server.Answer("/cat.dat", ScriptedServer::Reply{200, big.toStdString(), 100'000});
    MessageAnswers shown;

    CheckedWindow window;
    QVERIFY(window.Open());
    CVantrelDlg& dlg = *window.dlg;
    QVERIFY(DownloadEnabled(dlg));
    dlg.OnCommand(cmd::kDownload);
    QCOMPARE(shown.shown, QStringList{kChannelsError});
    QCOMPARE(ReadFile(folder.Path("channels.dat")), old);
    QCOMPARE(dlg.NewChannelsLabel().text(), NewChannelsText("5"));
    QVERIFY(DownloadEnabled(dlg));
    QCOMPARE(TopLevelLabels(dlg.Tree()), QStringList{"Россия(1)"});

    server.Answer("/cat.dat", big.toStdString());
    window.paints->texts.clear();
    dlg.OnCommand(cmd::kDownload);
    QCOMPARE(ReadFile(folder.Path("channels.dat")), big);
    QCOMPARE(shown.shown.size(), 2);
    QVERIFY(window.paints->texts.size() >= 3);
    QCOMPARE(window.paints->texts.at(window.paints->texts.size() - 2), QString::number(big.size() / 1024) + " KB");
    QCOMPARE(TopLevelLabels(dlg.Tree()), QStringList{"Франция(1)"});
  }

  // An accepted skin pack lands in its folder whole. Restarting goes through the current
  // skin's switch, only for a built-in skin, and then ends the window and the checks.
  void skinPackInstallAndRestart_data() {
    QTest::addColumn<QString>("currentSkin");
    QTest::addColumn<MsgResult>("restartAnswer");
    QTest::addColumn<bool>("restarts");
    QTest::newRow("restart") << "Classic" << MsgResult::Ok << true;
    QTest::newRow("restart declined") << "Metall" << MsgResult::Cancel << false;
    QTest::newRow("skin without a switch") << "Tropic" << MsgResult::Ok << false;
  }
  void skinPackInstallAndRestart() {
    QFETCH(QString, currentSkin);
    QFETCH(MsgResult, restartAnswer);
    QFETCH(bool, restarts);
    WriteProfileString(kSkinsSection, kCurrentSkinEntry, currentSkin);
    TestProgramFolder folder;
    QVERIFY(folder.IsValid() && folder.WriteCatalogue(m_oldChannels));
    TestUpdateServer server;
    QVERIFY(server.IsValid() && server.Put("program/answer.txt", QString()));
    QVERIFY(server.CopyIn("skins/Crossy.zip", SkinPack("Crossy")));
    QVERIFY(server.Put("skins/Crossy.txt", QString(" КБ шкурки\nСкачать Crossy?")));
    server.UseForUpdates();
    MessageAnswers shown;
    shown.answers << MsgResult::Ok << restartAnswer;
    RestartRecorder restart;

    CheckedWindow window;
    QVERIFY(window.Open());
    QCOMPARE(shown.shown, QStringList({"Скачать Crossy?", kSkinRestart}));
    QCOMPARE(QDir(folder.Path("skins/Crossy")).entryList(QDir::Files).size(), 32);
    QVERIFY(!QFileInfo::exists(folder.Path("skins/Crossy.dat")));
    QVERIFY(window.paints->texts.contains(QString::number(QFileInfo(SkinPack("Crossy")).size() / 1024) + " КБ шкурки"));
    QCOMPARE(GetProfileString(kSkinsSection, kCurrentSkinEntry), currentSkin);
    QCOMPARE(window.dlg->IsEnding(), restarts);
    QCOMPARE(restart.started,
             restarts ? QStringList{QString::fromStdString(ProgramFile().string())} : QStringList{});
    // After a restart nothing more is asked; otherwise the channel check follows.
    QCOMPARE(server.StopAndLog().contains("check_channels"), !restarts);
    if (restarts) QCOMPARE(window.dlg->ExitCode(), 0);
    if (!restarts) QCOMPARE(window.paints->texts.back(), kChooseChannel);
  }

  // An accepted build takes the program's name with the program's permission bits, the old one
  // parked as temp.tmp; the restart starts the kept program path, a declined one lets the
  // remaining checks run.
  void programUpdateSwapsInTheNewBuild_data() {
    QTest::addColumn<MsgResult>("restartAnswer");
    QTest::newRow("restart") << MsgResult::Ok;
    QTest::newRow("restart declined") << MsgResult::Cancel;
  }
  void programUpdateSwapsInTheNewBuild() {
    QFETCH(MsgResult, restartAnswer);
    const bool restarts = restartAnswer == MsgResult::Ok;
    TestProgramFolder folder;
    QVERIFY(folder.IsValid() && folder.WriteCatalogue(m_oldChannels));
    const QString program = folder.Path("Vantrel");
    QFile old(program);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old build") == 9);
    old.close();
    QCOMPARE(::chmod(program.toLocal8Bit().constData(), 0751), 0);

    const std::string newBuild = "#!/bin/sh\necho new build\n";
    const QByteArray archive = ProgramArchive(newBuild);
    const QByteArray signature = DemoSignature(archive);
    if (signature.isEmpty()) QSKIP("this build trusts no key that the test can sign with");
    TestUpdateServer server;
    QVERIFY(server.IsValid() && server.Put("program/build.zip", archive));
    QVERIFY(server.Put("program/build.zip.minisig", signature));
    QVERIFY(server.Put("program/answer.txt", QString("4096{base}program/build.zip4096build4096 КБ сборки4096Обновить?")));
    server.UseForUpdates();
    MessageAnswers shown;
    shown.answers << MsgResult::Ok << restartAnswer;
    RestartRecorder restart;

    CheckedWindow window;
    QVERIFY(window.Open());
    QCOMPARE(shown.shown, QStringList({"Обновить?", kProgramRestart}));
    QCOMPARE(ReadFile(program), QByteArray::fromStdString(newBuild));
    struct stat info {};
    QCOMPARE(::stat(program.toLocal8Bit().constData(), &info), 0);
    QCOMPARE(info.st_mode & 07777, 0751u);
    QCOMPARE(ReadFile(folder.Path("temp.tmp")), QByteArray("old build"));
    QVERIFY(!QFileInfo::exists(folder.Path("build.dat")) && !QFileInfo::exists(folder.Path("Vantrel-2.1")));
    QVERIFY(window.paints->texts.contains("0 КБ сборки"));
    QCOMPARE(restart.started, restarts ? QStringList{program} : QStringList{});
    QCOMPARE(window.dlg->IsEnding(), restarts);
    QCOMPARE(server.StopAndLog().contains("check_skins"), !restarts);
    if (!restarts) QCOMPARE(window.dlg->NewChannelsLabel().text(), NewChannelsText("0"));
  }

  // A build without a good signature is refused with its own message: the program folder
  // stays as it was and the remaining checks run.
  void unsignedProgramIsRefused() {
    TestProgramFolder folder;
    QVERIFY(folder.IsValid() && folder.WriteCatalogue(m_oldChannels));
    const QString program = folder.Path("Vantrel");
    QFile old(program);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old build") == 9);
    old.close();
    TestUpdateServer server;
    QVERIFY(server.IsValid() && server.Put("program/unsigned.zip", ProgramArchive("new build")));
    QVERIFY(server.Put("program/answer.txt", QString("4096{base}program/unsigned.zip4096unsigned4096 КБ сборки4096Обновить?")));
    server.UseForUpdates();
    MessageAnswers shown;
    shown.answers << MsgResult::Ok << MsgResult::Ok;

    CheckedWindow window;
    QVERIFY(window.Open());
    QCOMPARE(shown.shown, QStringList({"Обновить?", "Обновление программы не прошло проверку подписи и не установлено."}));
    QCOMPARE(ReadFile(program), QByteArray("old build"));
    QVERIFY(!QFileInfo::exists(folder.Path("unsigned.dat")) && !QFileInfo::exists(folder.Path("temp.tmp")));
    QVERIFY(server.StopAndLog().contains("check_skins"));
  }
};

QTEST_MAIN(UpdateDownloadsWindowTest)
#include "update_downloads_window_test.moc"
