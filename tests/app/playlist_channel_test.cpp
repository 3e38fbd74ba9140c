// What a playlist channel brings beyond its address, in a real main window: its user agent and
// referrer go with the player's and the recorder's requests (reopened ones included) and never
// with the next channel's; its logo shows in the details pane once fetched and cached, and a
// body that is no picture shows nothing.
#include <QImage>
#include <QLabel>

#include "playback/save_file_chooser.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/media_server.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

constexpr int kStreamWait = 20000;
const char kAgent[] = "SetTopBox/4.2 (Vantrel test)";
const char kReferrer[] = "http://portal.example/tv?id=3";

std::vector<MediaServer::SeenRequest> RequestsFor(const MediaServer& server, const std::string& path) {
  std::vector<MediaServer::SeenRequest> seen;
  for (const MediaServer::SeenRequest& request : server.Requests())
    if (request.path == path) seen.push_back(request);
  return seen;
}

}  // namespace

class PlaylistChannelTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  QList<MessageRequest> m_messages;
  std::unique_ptr<TestProgramFolder> m_folder;
  QTemporaryDir m_served;
  QTemporaryDir m_out;

  QString WriteList(const QString& name, const QByteArray& text) {
    QFile file(m_served.filePath(name));
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(text);
    return file.fileName();
  }

  // Opens `list` in `dlg` and waits until its channels are in the view.
  static bool OpenList(CVantrelDlg& dlg, const QString& list) {
    return dlg.OpenPlaylist(list) &&
           QTest::qWaitFor([&] { return !dlg.Playlists().Playlists().empty() && !dlg.Playlists().IsReadingFile(); },
                           kWait);
  }

  CChannelLogo* Logo(CVantrelDlg& dlg) { return dlg.DescriptionEdit().findChild<CChannelLogo*>("channelLogo"); }

 private slots:
  void initTestCase() {
    PrepareWindowTests(m_config, m_messages);
    m_folder = std::make_unique<TestProgramFolder>(QStringList{"Classic"});
    QVERIFY(m_folder->IsValid());
    QVERIFY(m_folder->WriteCatalogue({{1, "Alpha One", "A", "News", "http://127.0.0.1:1/alpha", 128, "", ""}}));
    QVERIFY(m_out.isValid());
  }

  void init() {
    QDir(m_folder->Path("playlists")).removeRecursively();
    m_messages.clear();
  }

  // A plain channel, then one with options, then the plain one again: the options go with
  // every request of the second (the recording's, and those after the server dropped them,
  // too), and the third sends what the first did, without a referrer.
  void headersGoWithTheirChannelOnly() {
    MediaServer streams;
    const QString plain = QString::fromStdString(streams.LiveUrl("mpeg2_mp2.ts", 6));
    const QString dressed = QString::fromStdString(streams.LiveUrl("h264_aac.ts", 6));
    const QString list = WriteList("headers.m3u", QStringLiteral("#EXTM3U\n#EXTINF:-1,Plain\n%1\n"
                                                                 "#EXTINF:-1,Dressed\n#EXTVLCOPT:http-user-agent=%2\n"
                                                                 "#EXTVLCOPT:http-referrer=%3\n%4\n")
                                                      .arg(plain, kAgent, kReferrer, dressed)
                                                      .toUtf8());
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    QVERIFY(OpenList(*dlg, list));
    CChannelTreeView& tree = dlg->Tree();

    QVERIFY(ChooseChannelInTree(tree, "Plain"));
    QTRY_VERIFY_WITH_TIMEOUT(dlg->RecordButton().isEnabled(), kStreamWait);
    const auto first = RequestsFor(streams, "/live/mpeg2_mp2.ts");
    QVERIFY(!first.empty());
    const std::string defaultAgent = first.front().userAgent;
    QVERIFY(defaultAgent != kAgent);
    QVERIFY(!first.front().hasReferrer);

    QVERIFY(ChooseChannelInTree(tree, "Dressed"));
    QTRY_VERIFY_WITH_TIMEOUT(dlg->RecordButton().isEnabled(), kStreamWait);
    const QString file = m_out.filePath("dressed.ts");
    SetSaveFileChooserForTesting([file] { return file; });
    QTest::mouseClick(&dlg->RecordButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(file) && !dlg->Recorder().HasPendingWork(), kStreamWait);
    const size_t before = RequestsFor(streams, "/live/h264_aac.ts").size();
    streams.DropLiveConnections();
    // The player and the recording each come back.
    QTRY_VERIFY_WITH_TIMEOUT(RequestsFor(streams, "/live/h264_aac.ts").size() >= before + 2, kStreamWait);
    QTest::mouseClick(&dlg->RecordButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dlg->Recorder().HasPendingWork(), kStreamWait);
    // A source that ends is reopened by the player itself.
    const size_t playing = RequestsFor(streams, "/live/h264_aac.ts").size();
    streams.EndLiveStreams();
    QTRY_VERIFY_WITH_TIMEOUT(RequestsFor(streams, "/live/h264_aac.ts").size() > playing, kStreamWait);
    for (const auto& request : RequestsFor(streams, "/live/h264_aac.ts")) {
      QCOMPARE(request.userAgent, std::string(kAgent));
      QVERIFY(request.hasReferrer);
      QCOMPARE(request.referrer, std::string(kReferrer));
    }

    streams.ClearRequests();
    QVERIFY(ChooseChannelInTree(tree, "Plain"));
    QTRY_VERIFY_WITH_TIMEOUT(!RequestsFor(streams, "/live/mpeg2_mp2.ts").empty(), kStreamWait);
    QTRY_VERIFY_WITH_TIMEOUT(dlg->RecordButton().isEnabled(), kStreamWait);
    for (const auto& request : RequestsFor(streams, "/live/mpeg2_mp2.ts")) {
      QCOMPARE(request.userAgent, defaultAgent);
      QVERIFY(!request.hasReferrer);
    }
    SetSaveFileChooserForTesting(nullptr);
    QVERIFY(m_messages.isEmpty());
  }

  // A picture at the logo's address shows, scaled into the pane, once fetched; a body that is
  // no picture, or a picture too large to decode, shows nothing and is not kept; a catalogue channel shows none. After a restart
  // the kept logo shows without asking the server again.
  void logoShowsWhenCached() {
    QImage picture(200, 100, QImage::Format_RGB32);
    picture.fill(QColor(200, 30, 30));
    QVERIFY(picture.save(m_served.filePath("logo.png"), "PNG"));
    // A few bytes on the wire, a picture too wide to decode for a logo.
    QImage huge(5000, 8, QImage::Format_RGB32);
    huge.fill(Qt::white);
    QVERIFY(huge.save(m_served.filePath("huge.png"), "PNG"));
    QFile junk(m_served.filePath("junk.png"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray("\x89PNG\r\n\x1A\n") + QByteArray(4000, '\x7f'));  // a PNG's start, then junk
    junk.close();
    MediaServer pictures(m_served.path().toStdString());
    const QString list =
        WriteList("logos.m3u", QStringLiteral("#EXTM3U\n#EXTINF:-1 tvg-logo=\"%1\",Pictured\nhttp://127.0.0.1:1/a\n"
                                              "#EXTINF:-1 tvg-logo=\"%2\",Broken\nhttp://127.0.0.1:1/b\n"
                                              "#EXTINF:-1 tvg-logo=\"%3\",Huge\nhttp://127.0.0.1:1/c\n")
                                   .arg(QString::fromStdString(pictures.FileUrl("logo.png")),
                                        QString::fromStdString(pictures.FileUrl("junk.png")),
                                        QString::fromStdString(pictures.FileUrl("huge.png")))
                                   .toUtf8());
    {
      auto dlg = OpenWindow();
      QVERIFY(dlg);
      QVERIFY(OpenList(*dlg, list));
      CChannelTreeView& tree = dlg->Tree();
      QVERIFY(ChooseChannelInTree(tree, "Pictured"));
      QTRY_VERIFY_WITH_TIMEOUT(Logo(*dlg) && Logo(*dlg)->isVisible(), kWait);
      QCOMPARE(Logo(*dlg)->pixmap().size(), QSize(96, 48));
      const QRect inside = dlg->DescriptionEdit().rect();
      QVERIFY(inside.contains(Logo(*dlg)->geometry()));
      // What is on now and next makes the box lower: the logo shrinks with it, never cut off,
      // and grows back when the box does.
      const QRect box = dlg->DescriptionEdit().geometry();
      dlg->DescriptionEdit().setGeometry(box.adjusted(0, 0, 0, -32));
      Logo(*dlg)->Fit();
      QVERIFY(dlg->DescriptionEdit().rect().contains(Logo(*dlg)->geometry()));
      QVERIFY(Logo(*dlg)->pixmap().height() < 48);
      dlg->DescriptionEdit().setGeometry(box);
      Logo(*dlg)->Fit();
      QCOMPARE(Logo(*dlg)->pixmap().size(), QSize(96, 48));

      QVERIFY(ChooseChannelInTree(tree, "Broken"));
      QVERIFY(!Logo(*dlg)->isVisible());
      QTRY_VERIFY_WITH_TIMEOUT(!RequestsFor(pictures, "/files/junk.png").empty(), kWait);
      QVERIFY(ChooseChannelInTree(tree, "Huge"));
      QTRY_VERIFY_WITH_TIMEOUT(!RequestsFor(pictures, "/files/huge.png").empty(), kWait);
      QTest::qWait(200);
      QVERIFY(!Logo(*dlg)->isVisible());
      // Asked once only, however often the channel is shown.
      QVERIFY(ChooseChannelInTree(tree, "Pictured"));
      QVERIFY(Logo(*dlg)->isVisible());
      QVERIFY(ChooseChannelInTree(tree, "Broken"));
      QVERIFY(!Logo(*dlg)->isVisible());

      QTest::mouseClick(&dlg->ByCountriesRadio(), Qt::LeftButton);
      QVERIFY(ChooseChannelInTree(tree, "Alpha One"));
      QVERIFY(!Logo(*dlg)->isVisible());
    }
    QCOMPARE(QDir(m_folder->Path("logos")).entryList(QDir::Files).size(), 1);
    QCOMPARE(RequestsFor(pictures, "/files/junk.png").size(), size_t{1});
    pictures.ClearRequests();
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    QTest::mouseClick(&dlg->ByPlaylistsRadio(), Qt::LeftButton);
    QVERIFY(ChooseChannelInTree(dlg->Tree(), "Pictured"));
    QVERIFY(Logo(*dlg) && Logo(*dlg)->isVisible());
    QVERIFY(RequestsFor(pictures, "/files/logo.png").empty());
    QVERIFY(m_messages.isEmpty());
  }
};

QTEST_MAIN(PlaylistChannelTest)
#include "playlist_channel_test.moc"
