// The user's playlists in the main window: opening a file or an address, the view by lists,
// playing, details and favourites of playlist channels, removing, dropping, the search field's
// keys, and the playlists coming back after a restart.
#include <QAction>
#include <QDropEvent>
#include <QMimeData>

#include "app/vantrel_dlg_playlist_chooser.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/media_server.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

QStringList Rows(const QAbstractItemModel& model, const QModelIndex& parent = {}) {
  QStringList rows;
  for (int i = 0; i < model.rowCount(parent); ++i) rows << model.index(i, 0, parent).data().toString();
  return rows;
}

void Drop(CVantrelDlg& dlg, QMimeData* data) {
  const QPoint at(400, 300);
  QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&dlg, &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&dlg, &drop);
  delete data;
}

}  // namespace

class PlaylistWindowTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  QList<MessageRequest> m_messages;
  std::unique_ptr<TestProgramFolder> m_folder;
  MediaServer m_streams;  // channels that stay "connecting" while a test looks
  QTemporaryDir m_served;
  std::unique_ptr<MediaServer> m_lists;  // serves m_served

  QString Url(const char* channel) const { return QString::fromStdString(m_streams.Base()) + "/live/" + channel; }

  QString WriteList(const QString& name, const QByteArray& text) {
    QFile file(m_served.filePath(name));
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(text);
    return file.fileName();
  }
  QByteArray DemoList() const {
    return ("#EXTM3U\n#EXTINF:-1 group-title=\"Новости\" tvg-country=\"RU\",Первый\n" + Url("first") +
            "\n#EXTINF:-1 group-title=\"Спорт\",Матч\n" + Url("match") + "\n#EXTINF:-1 group-title=\"Новости\",Euronews\n" +
            Url("euronews") + "\n#EXTINF:-1,Без группы\n" + Url("loose") + "\n")
        .toUtf8();
  }
  QString ListUrl(const QString& name) const { return QString::fromStdString(m_lists->FileUrl(name.toStdString())); }

 private slots:
  void initTestCase() {
    PrepareWindowTests(m_config, m_messages);
    m_folder = std::make_unique<TestProgramFolder>(QStringList{"Classic"});
    QVERIFY(m_folder->IsValid());
    QVERIFY(m_folder->WriteCatalogue({{1, "Alpha One", "A", "News", Url("alpha"), 128, "", ""}}));
    m_streams.Stall(true);
    m_lists = std::make_unique<MediaServer>(m_served.path().toStdString());
  }

  void init() {
    QDir(m_folder->Path("playlists")).removeRecursively();
    QFile::remove(m_folder->Path("favorites.xml"));
    m_messages.clear();
    SetPlaylistChooserForTesting(nullptr);
  }

  // The open command takes a file from the chooser: the view switches to the lists and shows
  // playlist, groups in the file's order and channels; a channel shows its group and address,
  // plays on a double click and becomes a favourite with its address. After a restart the
  // playlist is still there.
  void openFilePlayAndKeep() {
    const QString file = WriteList("demo.m3u", DemoList());
    SetPlaylistChooserForTesting([file] { return file; });
    {
      auto dlg = OpenWindow();
      QVERIFY(dlg);
      auto* open = dlg->SearchField().findChild<QAction*>("openPlaylist");
      QVERIFY(open);
      open->trigger();
      // Read on a worker: the window has it only once its result is back on this thread.
      QVERIFY(dlg->Playlists().IsReadingFile() && dlg->Playlists().Playlists().empty());
      QTRY_VERIFY_WITH_TIMEOUT(dlg->ByPlaylistsRadio().isChecked(), kWait);
      CChannelTreeView& tree = dlg->Tree();
      QCOMPARE(Rows(*tree.model()), QStringList({"demo.m3u(4)"}));
      const QModelIndex list = tree.model()->index(0, 0);
      QCOMPARE(Rows(*tree.model(), list), QStringList({"Новости(2)", "Спорт(1)", "Без группы"}));
      const QModelIndex euronews = tree.model()->index(1, 0, tree.model()->index(0, 0, list));
      QCOMPARE(euronews.data().toString(), QString("Euronews"));

      tree.scrollTo(euronews);
      const QRect rect = tree.visualRect(euronews);
      QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, rect.center());
      QCOMPARE(dlg->DescriptionEdit().toPlainText(), "Группа: Новости\nАдрес: " + Url("euronews"));
      QCOMPARE(dlg->SiteUrlEdit().text(), Url("euronews"));
      QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, rect.center());
      QCOMPARE(dlg->Player().GetURL(), Url("euronews"));
      QTest::mouseClick(&dlg->HeartButton(), Qt::LeftButton);
      QCOMPARE(dlg->FavoritesList().rowCount(), 1);
      QFile favourites(m_folder->Path("favorites.xml"));
      QVERIFY(favourites.open(QIODevice::ReadOnly));
      const QByteArray saved = favourites.readAll();
      QVERIFY(saved.contains(Url("euronews").toUtf8()));
      QVERIFY(saved.contains("id=\"-"));  // playlist channels have ids of their own
    }
    QFile::remove(file);  // the program keeps its own copy
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    QTest::mouseClick(&dlg->ByPlaylistsRadio(), Qt::LeftButton);
    QCOMPARE(Rows(*dlg->Tree().model()), QStringList({"demo.m3u(4)"}));
    QCOMPARE(dlg->FavoritesList().item(0, 0)->text(), QString("Euronews"));
    QVERIFY(m_messages.isEmpty());
  }

  // The command line's file or address named as a playlist is imported, not played as it is;
  // other addresses play at once.
  void commandLineImportsPlaylists() {
    WriteList("cli.m3u", DemoList());
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    dlg->Open(m_served.filePath("cli.m3u"));
    QTRY_VERIFY_WITH_TIMEOUT(dlg->ByPlaylistsRadio().isChecked(), kWait);
    QCOMPARE(Rows(*dlg->Tree().model()), QStringList({"cli.m3u(4)"}));
    dlg->Open(ListUrl("cli.m3u") + "?token=1");
    QTRY_COMPARE_WITH_TIMEOUT(dlg->Tree().model()->rowCount(), 2, 20000);
    dlg->Open(Url("direct"));
    QCOMPARE(dlg->Player().GetURL(), Url("direct"));
    QVERIFY(m_messages.isEmpty());
  }

  // Delete on a playlist's row asks, then removes it with its copy; Cancel keeps it. A channel's
  // row does not remove anything.
  void removePlaylist() {
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    QVERIFY(dlg->OpenPlaylist(WriteList("one.m3u", DemoList())));
    QVERIFY(dlg->OpenPlaylist(WriteList("two.m3u", DemoList())));
    CChannelTreeView& tree = dlg->Tree();
    // In the order they were opened, whichever is read first.
    QTRY_COMPARE_WITH_TIMEOUT(Rows(*tree.model()), QStringList({"one.m3u(4)", "two.m3u(4)"}), kWait);
    tree.setFocus();
    tree.setCurrentIndex(tree.model()->index(0, 0, tree.model()->index(0, 0)));
    QTest::keyClick(&tree, Qt::Key_Delete);
    QVERIFY(m_messages.isEmpty());

    SetMessageBoxHookForTesting([this](const MessageRequest& request) {
      m_messages << request;
      return MsgResult::Cancel;
    });
    tree.setCurrentIndex(tree.model()->index(0, 0));
    QTest::keyClick(&tree, Qt::Key_Delete);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QString("Удалить список «one.m3u»?"));
    QCOMPARE(Rows(*tree.model()), QStringList({"one.m3u(4)", "two.m3u(4)"}));

    PrepareWindowTests(m_config, m_messages);
    tree.setCurrentIndex(tree.model()->index(0, 0));
    QTest::keyClick(&tree, Qt::Key_Delete);
    QCOMPARE(Rows(*tree.model()), QStringList({"two.m3u(4)"}));
    QCOMPARE(QDir(m_folder->Path("playlists")).entryList(QDir::Files).size(), 2);  // the index and one copy
  }

  // The field filters the catalogue and every playlist at once, each result naming its source;
  // the arrows move the current result, Enter plays it, Escape empties the field and brings
  // the tree back. Neither key ends the dialog.
  void searchKeys() {
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    QVERIFY(dlg->OpenPlaylist(WriteList("demo.m3u", DemoList())));
    QTRY_VERIFY_WITH_TIMEOUT(!dlg->Playlists().Playlists().empty(), kWait);
    CChannelSearchField& field = dlg->SearchField();
    field.setFocus();
    QTest::keyClicks(&field, "e");
    QCOMPARE(Rows(*dlg->Tree().model()), QStringList({"Alpha One — Каталог", "Euronews — demo.m3u"}));
    QCOMPARE(dlg->BitRateEdit().text(), QString("128 KBits/s"));  // the first result's details
    QTest::keyClick(&field, Qt::Key_Down);
    QTest::keyClick(&field, Qt::Key_Down);
    QTest::keyClick(&field, Qt::Key_Return);
    QCOMPARE(dlg->Player().GetURL(), Url("euronews"));
    QVERIFY(dlg->isVisible() && dlg->result() == 0);

    QTest::keyClicks(&field, "uro");
    QCOMPARE(Rows(*dlg->Tree().model()), QStringList({"Euronews — demo.m3u"}));
    field.setText(" СПОРТ ");
    QCOMPARE(Rows(*dlg->Tree().model()), QStringList({"Матч — demo.m3u"}));
    QTest::keyClick(&field, Qt::Key_Escape);
    QVERIFY(field.text().isEmpty() && dlg->isVisible());
    QVERIFY(!dlg->Tree().IsShowingSearchResults());
    QCOMPARE(Rows(*dlg->Tree().model()), QStringList({"demo.m3u(4)"}));
    // Outside the field Escape still ends the dialog.
    dlg->Tree().setFocus();
    QTest::keyClick(&dlg->Tree(), Qt::Key_Escape);
    QVERIFY(!dlg->isVisible());
  }

  // Dropping a file imports it; dropping an address fetches it from the server without
  // holding up the window; a page that is not a playlist is refused with a message and
  // changes nothing.
  void dropFilesAndAddresses() {
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    auto* file = new QMimeData;
    file->setUrls({QUrl::fromLocalFile(WriteList("dropped.m3u", DemoList()))});
    Drop(*dlg, file);
    QTRY_COMPARE_WITH_TIMEOUT(Rows(*dlg->Tree().model()), QStringList({"dropped.m3u(4)"}), kWait);

    WriteList("remote.m3u8", DemoList());
    auto* address = new QMimeData;
    address->setText(ListUrl("remote.m3u8") + "\n");
    Drop(*dlg, address);
    QVERIFY(QTest::qWaitFor([&] { return Rows(*dlg->Tree().model()).size() == 2; }, kWait));
    QCOMPARE(Rows(*dlg->Tree().model()).at(1), QString("remote.m3u8(4)"));

    WriteList("page.m3u", "<!DOCTYPE html><html><body>Not found</body></html>");
    auto* page = new QMimeData;
    page->setUrls({QUrl(ListUrl("page.m3u"))});
    Drop(*dlg, page);
    QVERIFY(QTest::qWaitFor([&] { return !m_messages.isEmpty(); }, kWait));
    QCOMPARE(m_messages[0].text, QString("Не удалось открыть список каналов: это веб-страница, а не список каналов."));
    QCOMPARE(Rows(*dlg->Tree().model()).size(), 2);
  }

  // A playlist from an address is asked for again when the program starts; a newer copy
  // arrives while the window runs.
  void refreshAtStart() {
    WriteList("live.m3u", DemoList());
    {
      auto dlg = OpenWindow();
      QVERIFY(dlg);
      QVERIFY(dlg->OpenPlaylist(ListUrl("live.m3u")));
      QVERIFY(QTest::qWaitFor([&] { return Rows(*dlg->Tree().model()) == QStringList{"live.m3u(4)"}; }, kWait));
    }
    WriteList("live.m3u", "#EXTM3U\n#EXTINF:-1,Only\n" + Url("only").toUtf8() + "\n");
    // Newer by the clock the server's validators are made from, whatever this machine's speed.
    QFile changed(m_served.filePath("live.m3u"));
    QVERIFY(changed.open(QIODevice::ReadWrite));
    QVERIFY(changed.setFileTime(QDateTime::currentDateTimeUtc().addSecs(3600), QFileDevice::FileModificationTime));
    changed.close();
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    QTest::mouseClick(&dlg->ByPlaylistsRadio(), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return Rows(*dlg->Tree().model()) == QStringList{"live.m3u(1)"}; }, kWait));
  }
};

QTEST_MAIN(PlaylistWindowTest)
#include "playlist_window_test.moc"
