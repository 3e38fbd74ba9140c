// The channel views' models and the search field, on their own: the tree model over the
// Qt-free tree, the search over every source, and the keys of the search field.
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

#include "base/qt_strings.h"
#include "catalogue/channel_search_model.h"
#include "catalogue/channel_tree_model.h"
#include "catalogue/channel_views.h"

using namespace vantrel;

namespace {

CChannel Make(std::u16string name, std::u16string group, std::u16string country = {}) {
  CChannel c;
  c.name = std::move(name);
  c.genre = std::move(group);
  c.country = std::move(country);
  c.URL = u"http://127.0.0.1/" + c.name;
  return c;
}

QStringList Rows(const QAbstractItemModel& model, const QModelIndex& parent = {}) {
  QStringList rows;
  for (int i = 0; i < model.rowCount(parent); ++i) rows << model.index(i, 0, parent).data().toString();
  return rows;
}

// A matcher that answers what it is told, to see the model guard against bad answers.
class CFixedMatcher : public IChannelMatcher {
 public:
  explicit CFixedMatcher(std::vector<uint32_t> answer) : m_answer(std::move(answer)) {}
  void Index(std::span<const SearchItem>) override {}
  std::vector<uint32_t> Find(std::u16string_view) override { return m_answer; }

 private:
  std::vector<uint32_t> m_answer;
};

}  // namespace

class ChannelModelsTest : public QObject {
  Q_OBJECT

  std::vector<CChannel> m_catalogue{Make(u"Первый", u"Общие", u"Россия"), Make(u"Ёлка ТВ", u"Детские", u"Россия"),
                                    Make(u"BBC One", u"News", u"UK")};
  std::vector<CChannel> m_playlist{Make(u"Sport 1", u"Спорт"), Make(u"Новости 24", u"Новости"),
                                   Make(u"Sport 2", u"Спорт"), Make(u"Loose", u"")};

  std::vector<SearchItem> Items() const {
    std::vector<SearchItem> items;
    for (const CChannel& c : m_catalogue) items.push_back({&c, kCatalogueSource});
    for (const CChannel& c : m_playlist) items.push_back({&c, 0});
    return items;
  }

 private slots:
  // The model shows the nodes as they are, three levels deep, with parents found from the
  // indexes alone; Qt's model checker finds nothing wrong while it is filled and refilled.
  void treeModelShape() {
    CChannelTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const std::vector<ChannelSource> sources{{u"a.m3u", m_playlist}, {u"b.m3u", std::span(m_catalogue)}};
    model.Reset(BuildPlaylistTree(sources), true);
    QCOMPARE(Rows(model), QStringList({"a.m3u(4)", "b.m3u(3)"}));
    const QModelIndex a = model.index(0, 0);
    QCOMPARE(Rows(model, a), QStringList({"Спорт(2)", "Новости(1)", "Loose"}));
    const QModelIndex sport2 = model.index(1, 0, model.index(0, 0, a));
    QCOMPARE(sport2.data().toString(), QString("Sport 2"));
    QCOMPARE(sport2.parent(), model.index(0, 0, a));
    QCOMPARE(sport2.parent().parent(), a);
    QCOMPARE(ChannelOfIndex(sport2), &m_playlist[2]);
    QVERIFY(ChannelOfIndex(a) == nullptr);
    QVERIFY(!model.hasChildren(sport2) && !model.index(0, 0, sport2).isValid());
    // A channel's source is its playlist's row; in the catalogue's trees there is none.
    QCOMPARE(model.index(0, 0, model.index(1, 0)).data(kSourceRole).toInt(), 1);
    model.Reset({}, false);
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.index(0, 0).isValid());
  }

  // Name, group and country are searched; case does not matter and ё is е; Latin finds only
  // Latin. A query never matches across the end of one field and the start of the next.
  void searchMatching() {
    CChannelSearchModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.SetItems(Items(), "Каталог", {"my.m3u"});
    auto found = [&](const QString& query) {
      model.Search(query);
      return Rows(model);
    };
    QCOMPARE(found("ПЕРВ"), QStringList({"Первый — Каталог"}));
    QCOMPARE(found("елка"), QStringList({"Ёлка ТВ — Каталог"}));
    QCOMPARE(found("ЁЛ"), QStringList({"Ёлка ТВ — Каталог"}));
    QCOMPARE(found("россия"), QStringList({"Первый — Каталог", "Ёлка ТВ — Каталог"}));
    QCOMPARE(found("спорт"), QStringList({"Sport 1 — my.m3u", "Sport 2 — my.m3u"}));
    QCOMPARE(found("sport"), QStringList({"Sport 1 — my.m3u", "Sport 2 — my.m3u"}));
    QCOMPARE(found("news"), QStringList({"BBC One — Каталог"}));
    QCOMPARE(found("oneNews"), QStringList());
    QCOMPARE(found(""), QStringList());
    QCOMPARE(model.index(0, 0).isValid(), false);
    model.Search("Loose");
    QCOMPARE(model.index(0, 0).data(kSourceRole).toInt(), 0);
    QCOMPARE(ChannelOfIndex(model.index(0, 0)), &m_playlist[3]);
  }

  // Typing narrows what was found, deleting widens it again, and a new source list is
  // searched with the query standing: the answers are those of a fresh search each time.
  void searchWhileTyping() {
    CChannelSearchModel model;
    model.SetItems(Items(), "Каталог", {"my.m3u"});
    const QStringList sport{"Sport 1 — my.m3u", "Sport 2 — my.m3u"};
    QString typed;
    for (const QChar c : QString("sport 2")) {
      typed += c;
      model.Search(typed);
    }
    QCOMPARE(Rows(model), QStringList({"Sport 2 — my.m3u"}));
    model.Search("sport");
    QCOMPARE(Rows(model), sport);
    model.Search("o");  // a Latin o: "Новости" is not among them
    QCOMPARE(Rows(model).size(), 4);
    model.Search("sport");
    model.SetItems({{&m_playlist[0], 0}}, "Каталог", {"other.m3u"});
    QCOMPARE(Rows(model), QStringList({"Sport 1 — other.m3u"}));
    model.SetItems({}, {}, {});
    QCOMPARE(model.rowCount(), 0);
  }

  // Another matcher plugs in; positions it gives past the list are dropped, not read.
  void searchWithOtherMatcher() {
    CChannelSearchModel model;
    model.SetItems(Items(), "Каталог", {"my.m3u"});
    model.SetMatcher(std::make_unique<CFixedMatcher>(std::vector<uint32_t>{2, 99, 0}));
    model.Search("x");
    QCOMPARE(Rows(model), QStringList({"BBC One — Каталог", "Первый — Каталог"}));
    model.SetMatcher(nullptr);
    QCOMPARE(Rows(model), QStringList());
  }

  // The view swaps between the tree and the results without losing either; the first result
  // is current and selected, steps stay within the list, and a playlist's own row is told
  // from a channel's.
  void viewSwitching() {
    CChannelTreeView view;
    QSignalSpy selections(&view, &CChannelTreeView::SelectionChanged);
    const std::vector<ChannelSource> sources{{u"a.m3u", m_playlist}};
    view.Fill(BuildPlaylistTree(sources), true);
    view.setCurrentIndex(view.model()->index(0, 0));
    QCOMPARE(view.SelectedPlaylist(), 0);
    QVERIFY(view.SelectedChannel() == nullptr);

    view.SearchModel().SetItems(Items(), "Каталог", {"a.m3u"});
    view.SearchModel().Search("sport");
    view.ShowSearchResults(true);
    QVERIFY(view.IsShowingSearchResults() && !view.rootIsDecorated());
    QCOMPARE(view.SelectedChannel(), &m_playlist[0]);
    QCOMPARE(view.SelectedSource(), 0);
    QCOMPARE(view.SelectedPlaylist(), -1);
    view.StepResult(5);
    QCOMPARE(view.SelectedChannel(), &m_playlist[2]);
    view.StepResult(-1);
    view.StepResult(-1);
    QCOMPARE(view.SelectedChannel(), &m_playlist[0]);
    QVERIFY(selections.count() >= 3);

    view.ShowSearchResults(false);
    QVERIFY(!view.IsShowingSearchResults() && view.rootIsDecorated());
    QCOMPARE(Rows(*view.model()), QStringList({"a.m3u(4)"}));
    QVERIFY(view.SelectedChannel() == nullptr);
    view.StepResult(1);  // no results shown: nothing moves
    QVERIFY(!view.currentIndex().isValid());
  }

  // Enter, Escape and the arrows are the field's own: none reaches the window around it.
  void searchFieldKeys() {
    CChannelSearchField field;
    QSignalSpy accepted(&field, &CChannelSearchField::Accepted);
    QSignalSpy steps(&field, &CChannelSearchField::Step);
    field.setText("abc");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&field, &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(accepted.count(), 1);
    QTest::keyClick(&field, Qt::Key_Down);
    QTest::keyClick(&field, Qt::Key_Up);
    QTest::keyClick(&field, Qt::Key_PageDown);
    QCOMPARE(steps.count(), 3);
    QCOMPARE(steps.at(0).at(0).toInt(), 1);
    QCOMPARE(steps.at(1).at(0).toInt(), -1);
    QCOMPARE(steps.at(2).at(0).toInt(), 10);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&field, &escape);
    QVERIFY(escape.isAccepted());
    QVERIFY(field.text().isEmpty());
    QTest::keyClicks(&field, "news");
    QCOMPARE(field.text(), QString("news"));
  }
};

QTEST_MAIN(ChannelModelsTest)
#include "channel_models_test.moc"
