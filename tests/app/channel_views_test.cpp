// The main window's catalogue tree, channel details, favourites and play-state display.
#include "catalogue/channel_views.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/media_server.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

QString Text(const QModelIndex& index) { return index.data().toString(); }
QModelIndex Top(QTreeView& tree, int row) { return tree.model()->index(row, 0); }
QStringList TopLabels(QTreeView& tree) {
  QStringList labels;
  for (int i = 0; i < tree.model()->rowCount(); ++i) labels << Text(Top(tree, i));
  return labels;
}

QModelIndex FindItem(QTreeView& tree, const QString& label) {
  const QModelIndexList found =
      tree.model()->match(Top(tree, 0), Qt::DisplayRole, label, 1, Qt::MatchExactly | Qt::MatchRecursive);
  return found.isEmpty() ? QModelIndex() : found.front();
}

void Click(QAbstractItemView& view, const QRect& rect) { QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, rect.center()); }
void DoubleClick(QAbstractItemView& view, const QRect& rect) {
  Click(view, rect);
  QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, rect.center());
}

// Brings an item on screen.
QRect ShowItem(QTreeView& tree, const QModelIndex& item) {
  for (QModelIndex p = item.parent(); p.isValid(); p = p.parent()) tree.expand(p);
  tree.scrollTo(item);
  return tree.visualRect(item);
}
void ClickItem(QTreeView& tree, const QModelIndex& item) { Click(tree, ShowItem(tree, item)); }

QStringList FavoriteFileNames(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {"<missing>"};
  QStringList names;
  const QString text = QString::fromUtf8(file.readAll());
  static const QRegularExpression name(" name=\"([^\"]*)\"");
  for (auto it = name.globalMatch(text); it.hasNext();) names << it.next().captured(1);
  return names;
}

}  // namespace

class ChannelViewsTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  QList<MessageRequest> m_messages;
  std::unique_ptr<TestProgramFolder> m_folder;
  // Channels whose server never sends a byte stay "connecting" while a test looks.
  MediaServer m_server;
  QString m_url;

  QString Url(const char* channel) const { return m_url + "?" + channel; }

 private slots:
  void initTestCase() {
    PrepareWindowTests(m_config, m_messages);
    m_folder = std::make_unique<TestProgramFolder>(QStringList{"Classic"});
    QVERIFY(m_folder->IsValid());
    m_server.Stall(true);
    m_url = QString::fromStdString(m_server.LiveUrl("h264_aac.ts", 10));
    // B has two channels in two genres, A one; "Zulu" has neither country nor genre.
    QVERIFY(m_folder->WriteCatalogue({
        {1, "Alpha One", "A", "News", Url("alpha"), 128, "Новости А", "http://a.example/"},
        {2, "Bravo Two", "B", "Music", Url("bravo2"), 256, "Music B", "http://b.example/"},
        {3, "Bravo Three", "B", "News", Url("bravo3"), 64, "", ""},
        {4, "Zulu", "", "", Url("zulu"), 0, "", ""},
    }));
  }

  void init() { QFile::remove(m_folder->Path("favorites.xml")); }

  // By country: top level in key order with counts, genres under each country with the
  // counts of that pair adding up to the country's, channels beneath; all closed, nothing
  // selected. The radio buttons switch the grouping, each click rebuilding.
  void treeGroupings() {
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    CChannelTreeView& tree = dlg->Tree();
    QCOMPARE(TopLabels(tree), QStringList({"(1)", "A(1)", "B(2)"}));
    const QModelIndex b = Top(tree, 2);
    QCOMPARE(tree.model()->rowCount(b), 2);
    QCOMPARE(Text(tree.model()->index(0, 0, b)), QString("Music(1)"));
    QCOMPARE(Text(tree.model()->index(1, 0, b)), QString("News(1)"));
    QCOMPARE(Text(tree.model()->index(0, 0, tree.model()->index(0, 0, b))), QString("Bravo Two"));
    QCOMPARE(Text(tree.model()->index(0, 0, Top(tree, 0))), QString("(1)"));
    QVERIFY(ChannelOfIndex(b) == nullptr);
    QCOMPARE(ChannelOfIndex(tree.model()->index(0, 0, tree.model()->index(1, 0, b)))->name, std::u16string(u"Bravo Three"));
    QVERIFY(!tree.isExpanded(b) && tree.selectionModel()->selectedIndexes().isEmpty() && !tree.currentIndex().isValid());
    // A click on the first row, routed like a real one, reaches the tree.
    const QPoint firstRow = tree.viewport()->mapTo(dlg.get(), tree.visualRect(Top(tree, 0)).center());
    QTest::mouseClick(dlg->windowHandle(), Qt::LeftButton, {}, firstRow);
    QCOMPARE(tree.currentIndex(), Top(tree, 0));
    dlg->BuildTreeByCountries();

    QTest::mouseClick(&dlg->ByGenresRadio(), Qt::LeftButton);
    QCOMPARE(TopLabels(tree), QStringList({"(1)", "Music(1)", "News(2)"}));
    const QModelIndex news = Top(tree, 2);
    QCOMPARE(tree.model()->rowCount(news), 2);
    QCOMPARE(Text(tree.model()->index(0, 0, news)), QString("A(1)"));
    QCOMPARE(Text(tree.model()->index(0, 0, tree.model()->index(1, 0, news))), QString("Bravo Three"));

    QTest::mouseClick(&dlg->ByCountriesRadio(), Qt::LeftButton);
    QCOMPARE(TopLabels(tree), QStringList({"(1)", "A(1)", "B(2)"}));
    // A rebuild asked for by others keeps the radio buttons as they are.
    QTest::mouseClick(&dlg->ByGenresRadio(), Qt::LeftButton);
    dlg->BuildTreeByCountries();
    QCOMPARE(TopLabels(tree), QStringList({"(1)", "A(1)", "B(2)"}));
    QVERIFY(dlg->ByGenresRadio().isChecked());
  }

  // Selecting a channel shows its details; selecting a group keeps them. Double-clicking a
  // group only opens it; double-clicking a channel plays it and enables the heart.
  void detailsAndDoubleClicks() {
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    CChannelTreeView& tree = dlg->Tree();
    ClickItem(tree, FindItem(tree, "Alpha One"));
    QCOMPARE(dlg->DescriptionEdit().toPlainText(), QString("Новости А"));
    QCOMPARE(dlg->SiteUrlEdit().text(), QString("http://a.example/"));
    QCOMPARE(dlg->BitRateEdit().text(), QString("128 KBits/s"));
    ClickItem(tree, FindItem(tree, "B(2)"));
    QCOMPARE(dlg->BitRateEdit().text(), QString("128 KBits/s"));
    QVERIFY(dlg->AlwaysOnTopCheck().isVisible());

    const QModelIndex group = FindItem(tree, "B(2)");
    tree.collapse(group);
    DoubleClick(tree, tree.visualRect(group));
    QVERIFY(tree.isExpanded(group));
    QVERIFY(dlg->Player().GetURL().isEmpty());
    QVERIFY(!dlg->HeartButton().isEnabled());
    QCOMPARE(dlg->StatusLine().Text(), QString("Пожалуйста, выберите канал."));

    DoubleClick(tree, ShowItem(tree, FindItem(tree, "Bravo Three")));
    QCOMPARE(dlg->Player().GetURL(), Url("bravo3"));
    QCOMPARE(dlg->StatusLine().Text(), QString("Подключаемся к каналу, пожалуйста подождите..."));
    QVERIFY(dlg->HeartButton().isEnabled());
    QCOMPARE(dlg->BitRateEdit().text(), QString("64 KBits/s"));
  }

  // The heart adds the tree's channel and rewrites the file, also when the channel is there
  // already; a group adds nothing and leaves the file alone. The unheart removes the clicked
  // row, the rows below move up, the file follows and the button goes off again.
  void favourites() {
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    CChannelTreeView& tree = dlg->Tree();
    CFavoritesListView& list = dlg->FavoritesList();
    const QString file = m_folder->Path("favorites.xml");
    dlg->HeartButton().setEnabled(true);

    ClickItem(tree, FindItem(tree, "A(1)"));
    QTest::mouseClick(&dlg->HeartButton(), Qt::LeftButton);
    QVERIFY(!QFile::exists(file));
    QCOMPARE(list.rowCount(), 0);

    for (const char* name : {"Alpha One", "Bravo Two", "Bravo Three"}) {
      ClickItem(tree, FindItem(tree, name));
      QTest::mouseClick(&dlg->HeartButton(), Qt::LeftButton);
    }
    QCOMPARE(list.rowCount(), 3);
    QCOMPARE(FavoriteFileNames(file), QStringList({"Alpha One", "Bravo Two", "Bravo Three"}));

    QVERIFY(QFile::remove(file));
    ClickItem(tree, FindItem(tree, "Bravo Two"));
    QTest::mouseClick(&dlg->HeartButton(), Qt::LeftButton);
    QCOMPARE(list.rowCount(), 3);
    QCOMPARE(FavoriteFileNames(file), QStringList({"Alpha One", "Bravo Two", "Bravo Three"}));

    QVERIFY(!dlg->UnheartButton().isEnabled());
    Click(list, list.visualItemRect(list.item(1, 0)));
    QVERIFY(dlg->UnheartButton().isEnabled());
    QTest::mouseClick(&dlg->UnheartButton(), Qt::LeftButton);
    QCOMPARE(list.rowCount(), 2);
    QCOMPARE(list.item(1, 0)->text(), QString("Bravo Three"));
    QCOMPARE(FavoriteFileNames(file), QStringList({"Alpha One", "Bravo Three"}));
    QVERIFY(!dlg->UnheartButton().isEnabled());
    // With no selection mark left, a click below the rows keeps it off.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(20, list.viewport()->height() - 5));
    QVERIFY(!dlg->UnheartButton().isEnabled());

    // A double click plays the favourite at the selection mark.
    DoubleClick(list, list.visualItemRect(list.item(1, 0)));
    QCOMPARE(dlg->Player().GetURL(), Url("bravo3"));
    QCOMPARE(dlg->StatusLine().Text(), QString("Подключаемся к каналу, пожалуйста подождите..."));
  }

  // The favourites file is read at start-up, duplicates and all.
  void favouritesLoadedAtStartUp() {
    QFile file(m_folder->Path("favorites.xml"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<favorites><channel id=\"9\" name=\"Kept\" type=\"1\" URL=\"u\"/>"
               "<channel id=\"9\" name=\"Kept again\" type=\"1\" URL=\"u\"/></favorites>");
    file.close();
    auto dlg = OpenWindow(false);
    QVERIFY(dlg);
    QCOMPARE(dlg->FavoritesList().rowCount(), 2);
    QCOMPARE(dlg->FavoritesList().item(1, 0)->text(), QString("Kept again"));
  }

  // Each play state the window knows sets the status text and the record button; the others
  // change neither.
  void playStates() {
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    CMediaplayer& player = dlg->Player();
    emit player.PlayStateChange(3);
    QCOMPARE(dlg->StatusLine().Text(), QString("Начинаем воспроизведение."));
    QVERIFY(dlg->RecordButton().isEnabled());
    for (const int ignored : {1, 2, 11, 42}) {
      emit player.PlayStateChange(ignored);
      QCOMPARE(dlg->StatusLine().Text(), QString("Начинаем воспроизведение."));
      QVERIFY(dlg->RecordButton().isEnabled());
    }
    const struct {
      int state;
      const char* text;
    } disabling[] = {{6, "Буферизация потока данных..."}, {9, "Идет передача данных..."}, {10, "Готово."}};
    for (const auto& s : disabling) {
      emit player.PlayStateChange(3);
      emit player.PlayStateChange(s.state);
      QCOMPARE(dlg->StatusLine().Text(), QString::fromUtf8(s.text));
      QVERIFY(!dlg->RecordButton().isEnabled());
    }
  }
};

QTEST_MAIN(ChannelViewsTest)
#include "channel_views_test.moc"
