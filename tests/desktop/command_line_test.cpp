// The command line and what its address or file argument turns into.
#include <QTemporaryDir>
#include <QtTest>

#include "desktop/command_line.h"
#include "desktop/open_target.h"

using namespace vantrel;

class CommandLineTest : public QObject {
  Q_OBJECT

 private slots:
  // Options for this run, the address, and the two that only answer.
  void parsesRunOptions() {
    CommandLine line = ParseCommandLine(
        {"Vantrel", "--update-server", "http://127.0.0.1:8731", "--skin", "Metall", "http://radio.example/live"});
    QVERIFY(line.run);
    QCOMPARE(line.updateServer, QStringLiteral("http://127.0.0.1:8731/"));
    QCOMPARE(line.skin, QStringLiteral("Metall"));
    QCOMPARE(line.open, QStringLiteral("http://radio.example/live"));

    line = ParseCommandLine({"Vantrel", "--update-server=https://updates.example/vantrel/"});
    QCOMPARE(line.updateServer, QStringLiteral("https://updates.example/vantrel/"));
    QVERIFY(line.open.isEmpty() && line.skin.isEmpty());

    line = ParseCommandLine({"Vantrel", "--version"});
    QVERIFY(!line.run);
    QCOMPARE(line.exitCode, 0);
    QCOMPARE(line.output, QStringLiteral("Vantrel 2.0.ru\n"));
    line = ParseCommandLine({"Vantrel", "--help"});
    QVERIFY(!line.run);
    QCOMPARE(line.exitCode, 0);
    QVERIFY(line.output.contains(QStringLiteral("--update-server")));
  }

  // What the program cannot use is refused with a usage code and a Russian reason, before
  // anything starts.
  void refusesBadCommandLines() {
    const QList<QStringList> bad = {
        {"Vantrel", "--unknown"},
        {"Vantrel", "--skin"},
        {"Vantrel", "--skin="},
        {"Vantrel", "--update-server", "ftp://host/"},
        {"Vantrel", "--update-server", "not a url"},
        {"Vantrel", "a.m3u", "b.m3u"},
    };
    for (const QStringList& arguments : bad) {
      const CommandLine line = ParseCommandLine(arguments);
      QVERIFY2(!line.run, qPrintable(arguments.join(' ')));
      QCOMPARE(line.exitCode, kUsageExitCode);
      QVERIFY(line.output.startsWith(QStringLiteral("Vantrel: ")));
    }
  }

  // Addresses with a scheme are streams; other arguments are files, relative to the folder
  // the program started in; file:// addresses are files too.
  void resolvesTargets() {
    QTemporaryDir dir;
    QFile file(dir.filePath("list.m3u"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    OpenTarget target = ResolveOpenTarget(QStringLiteral("rtmp://tv.example/live"), dir.path());
    QCOMPARE(target.kind, OpenTarget::Kind::kStreamAddress);
    QCOMPARE(target.location, QStringLiteral("rtmp://tv.example/live"));
    QVERIFY(!target.playlist);
    QVERIFY(ResolveOpenTarget(QStringLiteral("https://tv.example/lists/All.M3U8?token=a.b"), dir.path()).playlist);
    target = ResolveOpenTarget(QStringLiteral("list.m3u"), dir.path());
    QCOMPARE(target.kind, OpenTarget::Kind::kLocalFile);
    QVERIFY(target.playlist);
    QCOMPARE(target.location, dir.filePath("list.m3u"));
    QCOMPARE(target.name, QStringLiteral("list.m3u"));
    target = ResolveOpenTarget(QUrl::fromLocalFile(dir.filePath("list.m3u")).toString(), QStringLiteral("/"));
    QCOMPARE(target.kind, OpenTarget::Kind::kLocalFile);
    target = ResolveOpenTarget(QStringLiteral("../gone.pls"), dir.path());
    QCOMPARE(target.kind, OpenTarget::Kind::kMissingFile);
    QVERIFY(!target.location.contains(QStringLiteral("..")));
    QCOMPARE(ResolveOpenTarget(QStringLiteral("  "), dir.path()).kind, OpenTarget::Kind::kNone);
  }
};

QTEST_MAIN(CommandLineTest)
#include "command_line_test.moc"
