// The programme guide in the main window: a playlist's url-tvg fetched after the import (gzip
// and plain), now and next in the details, the tree's tooltips, the day's list from yesterday to
// a week ahead, recording from it, refreshing (304, a broken transfer, the timer), the user's own
// sources, and a start-up and a close that never wait for a guide server.
#include <httplib.h>

#include <QAction>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <ctime>
#include <mutex>

#include "tests/app/main_window_fixture.h"
#include "resources/resource.h"
#include "tests/guide/guide_test_support.h"

using namespace vantrel;
using namespace vantrel::test;
using namespace vantrel::testing;

namespace {

constexpr int kGuideWait = 20000;
constexpr std::int64_t kHour = 3600;

// Serves two playlists and their guides on 127.0.0.1: a gzip guide with an ETag (304 when it
// is current; it can break off half-way or hold its answer back) and a plain one.
class GuideHttp {
 public:
  GuideHttp() {
    m_server.Get("/list.m3u", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(List(), "audio/x-mpegurl");
    });
    m_server.Get("/plain.m3u", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content("#EXTM3U x-tvg-url=\"" + Url("/plain.xml") +
                          "\"\n#EXTINF:-1 tvg-id=\"three\",Третий\nhttp://127.0.0.1:1/three\n",
                      "audio/x-mpegurl");
    });
    // Sent as it is: not a type the server compresses on the way.
    m_server.Get("/plain.xml", [this](const httplib::Request&, httplib::Response& res) {
      std::lock_guard<std::mutex> lock(m_mutex);
      res.set_content(m_plain, "application/octet-stream");
    });
    m_server.Get("/guide.xml.gz", [this](const httplib::Request& req, httplib::Response& res) {
      std::unique_lock<std::mutex> lock(m_mutex);
      ++m_requests;
      m_wake.wait(lock, [this] { return !m_held || m_stopping; });
      res.set_header("ETag", m_etag);
      if (req.get_header_value("If-None-Match") == m_etag) {
        ++m_notModified;
        res.status = 304;
        return;
      }
      const std::string body = Gzip(m_xml);
      if (!m_broken) {
        res.set_content(body, "application/gzip");
        return;
      }
      res.set_content_provider(body.size(), "application/gzip",
                               [body](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                 if (offset > 0) return false;
                                 sink.write(body.data(), body.size() / 2);
                                 return true;
                               });
    });
    m_port = m_server.bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (!m_server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~GuideHttp() {
    Hold(false);
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_stopping = true;
    }
    m_wake.notify_all();
    m_server.stop();
    m_thread.join();
  }

  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }
  QString QtUrl(const std::string& path) const { return QString::fromStdString(Url(path)); }
  void Publish(std::string xml, std::string etag) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_xml = std::move(xml);
    m_etag = std::move(etag);
  }
  void PublishPlain(std::string xml) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_plain = std::move(xml);
  }
  void Break(bool broken) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_broken = broken;
  }
  // Held answers wait until released (or the server stops).
  void Hold(bool held) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_held = held;
    }
    m_wake.notify_all();
  }
  int Requests() const { return Read(m_requests); }
  int NotModified() const { return Read(m_notModified); }

 private:
  std::string List() const {
    return "#EXTM3U url-tvg=\"" + Url("/guide.xml.gz") +
           "\"\n"
           "#EXTINF:-1 tvg-id=\"ONE\",Первый по списку\nhttp://127.0.0.1:1/one\n"
           "#EXTINF:-1,Второй канал\nhttp://127.0.0.1:1/two\n"
           "#EXTINF:-1 tvg-id=\"nobody\",Без программы\nhttp://127.0.0.1:1/none\n";
  }
  int Read(const int& counter) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return counter;
  }

  httplib::Server m_server;
  std::thread m_thread;
  int m_port = 0;
  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  std::string m_xml, m_plain, m_etag = "\"v1\"";
  bool m_broken = false, m_held = false, m_stopping = false;
  int m_requests = 0, m_notModified = 0;
};

QModelIndex Row(const QAbstractItemModel& model, const QString& text) {
  const QModelIndexList found =
      model.match(model.index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly | Qt::MatchRecursive);
  return found.isEmpty() ? QModelIndex() : found.front();
}

}  // namespace

class GuideWindowTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  QList<MessageRequest> m_messages;
  std::unique_ptr<TestProgramFolder> m_folder;
  GuideHttp m_http;
  std::int64_t m_base = 0;  // the current minute when the test began

  // Every four hours, from two days back to nine days ahead; number 0 is on now.
  GuideProgramme Programme(const QString& prefix, int k) const {
    GuideProgramme programme;
    programme.start = m_base - 2 * kHour + 4 * kHour * k;
    programme.stop = programme.start + 4 * kHour;
    programme.title = (prefix + ' ' + QString::number(k)).toStdString();
    return programme;
  }
  std::string Channel(const std::string& id, const QString& name, const QString& prefix) const {
    std::string xml = ChannelXml(id, name.toStdString());
    for (int k = -12; k <= 54; ++k) {
      const GuideProgramme p = Programme(prefix, k);
      xml += ProgrammeXml(id, p.start, p.stop, p.title, 180);
    }
    return xml;
  }
  std::string Guide(const QString& edition = {}) const {
    return GuideDoc(Channel("one", "Канал Один", edition + "Один") + Channel("two", "Второй канал", edition + "Второй") +
                    Channel("news", "Новости 24", edition + "Новости"));
  }
  QString Line(const char* label, const QString& prefix, int k) const {
    const GuideProgramme p = Programme(prefix, k);
    return label + GuideTimeRange(p) + ' ' + QString::fromStdString(p.title);
  }
  static bool Select(CVantrelDlg& dlg, const QString& name) {
    const QModelIndex row = Row(*dlg.Tree().model(), name);
    if (!row.isValid()) return false;
    dlg.Tree().setCurrentIndex(row);
    return dlg.GuidePane().Channel() && ToQString(dlg.GuidePane().Channel()->name) == name;
  }
  // A window with the gzip playlist imported and its guide in.
  std::unique_ptr<CVantrelDlg> WindowWithGuide() {
    auto dlg = OpenWindow();
    if (!dlg) return nullptr;
    dlg->OpenPlaylist(m_http.QtUrl("/list.m3u"));
    if (!QTest::qWaitFor([&] { return Row(*dlg->Tree().model(), "Второй канал").isValid(); }, kGuideWait)) return nullptr;
    if (!QTest::qWaitFor([&] { return !dlg->Guide().ToolTip(ChannelNamed(*dlg, "Второй канал")).isEmpty(); }, kGuideWait))
      return nullptr;
    return dlg;
  }
  static CChannel ChannelNamed(CVantrelDlg& dlg, const QString& name) {
    const CChannel* channel = ChannelOfIndex(Row(*dlg.Tree().model(), name));
    return channel != nullptr ? *channel : CChannel{};
  }

 private slots:
  void initTestCase() {
    PrepareWindowTests(m_config, m_messages);
    m_folder = std::make_unique<TestProgramFolder>(QStringList{"Classic"});
    QVERIFY(m_folder->IsValid());
    QVERIFY(m_folder->WriteCatalogue({{1, "Новости 24", "Россия", "Новости", "http://127.0.0.1:1/news", 128, "", ""},
                                      {2, "Без гида", "Россия", "Новости", "http://127.0.0.1:1/other", 128, "", ""}}));
    const std::int64_t now = std::time(nullptr);
    m_base = now - now % 60;
    m_http.Publish(Guide(), "\"v1\"");
    m_http.PublishPlain(GuideDoc(Channel("three", "Третий", "Третий")));
  }

  void init() {
    QDir(m_folder->Path("playlists")).removeRecursively();
    QDir(m_folder->Path("guide")).removeRecursively();
    m_http.Publish(Guide(), "\"v1\"");
    m_http.Break(false);
    m_messages.clear();
  }

  // After the import of a playlist naming a gzip guide, its channels show now and next in the
  // details: by tvg-id, by name, and nothing for a channel the guide does not have. The guide
  // is kept in the user data folder. A playlist naming a plain guide works the same.
  void importShowsNowAndNext() {
    auto dlg = WindowWithGuide();
    QVERIFY(dlg);
    CGuideNowPane& pane = dlg->GuidePane();
    QVERIFY(Select(*dlg, "Первый по списку"));
    QVERIFY(pane.HasGuide());
    QVERIFY(pane.isVisible());
    QCOMPARE(pane.NowText(), Line("Сейчас: ", "Один", 0));
    QCOMPARE(pane.NextText(), Line("Далее: ", "Один", 1));
    QVERIFY(pane.Progress().value() > 400 && pane.Progress().value() < 600);
    QVERIFY(pane.IsTicking());
    QVERIFY(dlg->DescriptionEdit().geometry().bottom() < pane.geometry().top());

    QVERIFY(Select(*dlg, "Второй канал"));
    QCOMPARE(pane.NowText(), Line("Сейчас: ", "Второй", 0));
    const int descriptionHeight = dlg->DescriptionEdit().height();
    QVERIFY(Select(*dlg, "Без программы"));
    QVERIFY(!pane.HasGuide());
    QVERIFY(!pane.isVisible());
    QVERIFY(dlg->DescriptionEdit().height() > descriptionHeight);
    QVERIFY(QFile::exists(m_folder->Path("guide/guide.sqlite")));

    dlg->OpenPlaylist(m_http.QtUrl("/plain.m3u"));
    QTRY_VERIFY_WITH_TIMEOUT(Row(*dlg->Tree().model(), "Третий").isValid(), kGuideWait);
    QVERIFY(Select(*dlg, "Третий"));
    QTRY_COMPARE_WITH_TIMEOUT(pane.NowText(), Line("Сейчас: ", "Третий", 0), kGuideWait);
    QVERIFY(m_messages.isEmpty());
  }

  // The details follow the clock while the channel stays chosen: at the next whole minute the
  // programme that has begun takes the place of the one that ended.
  void nowAndNextFollowTheClock() {
    static std::atomic<std::int64_t> clock{0};
    clock = m_base + 2 * kHour - 1;  // a second before programme 0 ends
    SetGuideClockForTesting([] { return clock.load(); });
    {
      auto dlg = WindowWithGuide();
      QVERIFY(dlg);
      QVERIFY(Select(*dlg, "Второй канал"));
      CGuideNowPane& pane = dlg->GuidePane();
      QCOMPARE(pane.NowText(), Line("Сейчас: ", "Второй", 0));
      QCOMPARE(pane.Progress().value(), 999);
      clock = m_base + 2 * kHour + 60;
      QTRY_COMPARE_WITH_TIMEOUT(pane.NowText(), Line("Сейчас: ", "Второй", 1), kGuideWait);
      QCOMPARE(pane.NextText(), Line("Далее: ", "Второй", 2));
      QCOMPARE(pane.Progress().value(), 4);  // one minute of 240
    }
    SetGuideClockForTesting({});
  }

  // The tree's tooltip of a channel says what is on now and next; groups and channels without
  // a guide have none. Catalogue channels find their guide by name.
  void treeTooltips() {
    auto dlg = WindowWithGuide();
    QVERIFY(dlg);
    const QAbstractItemModel& model = *dlg->Tree().model();
    QCOMPARE(model.data(Row(model, "Второй канал"), Qt::ToolTipRole).toString(),
             Line("Сейчас: ", "Второй", 0) + '\n' + Line("Далее: ", "Второй", 1));
    QVERIFY(!model.data(Row(model, "Без программы"), Qt::ToolTipRole).isValid());
    QVERIFY(!model.data(model.index(0, 0), Qt::ToolTipRole).isValid());

    QTest::mouseClick(&dlg->ByCountriesRadio(), Qt::LeftButton);
    const QAbstractItemModel& catalogue = *dlg->Tree().model();
    QCOMPARE(catalogue.data(Row(catalogue, "Новости 24"), Qt::ToolTipRole).toString(),
             Line("Сейчас: ", "Новости", 0) + '\n' + Line("Далее: ", "Новости", 1));
    QVERIFY(!catalogue.data(Row(catalogue, "Без гида"), Qt::ToolTipRole).isValid());
  }

  // The day's list opens from the details; it offers yesterday to a week ahead, lists each
  // day's programmes in local time, and marks the one on now.
  void dayListFromYesterdayToAWeekAhead() {
    auto dlg = WindowWithGuide();
    QVERIFY(dlg);
    QVERIFY(Select(*dlg, "Первый по списку"));
    QTest::mouseClick(&dlg->GuidePane().DayButton(), Qt::LeftButton);
    CGuideDayWindow* day = dlg->GuideDayWindow();
    QVERIFY(day);
    QVERIFY(day->isVisible());
    QCOMPARE(day->DaySelector().count(), 9);
    QVERIFY(day->DaySelector().itemText(0).startsWith("Вчера, "));
    QVERIFY(day->DaySelector().itemText(1).startsWith("Сегодня, "));
    QVERIFY(day->DaySelector().itemText(2).startsWith("Завтра, "));
    QCOMPARE(day->Day(), 0);
    QVERIFY(day->CurrentRow() >= 0);
    QTreeWidgetItem* current = day->List().topLevelItem(day->CurrentRow());
    QCOMPARE(current->text(1), QString("Один 0"));
    QCOMPARE(current->text(0), GuideTimeRange(Programme("Один", 0)));
    QVERIFY(current->isSelected());
    QVERIFY(current->font(1).bold());

    for (int offset = CGuideDayWindow::kFirstDay; offset <= CGuideDayWindow::kLastDay; ++offset) {
      day->ShowDay(offset);
      const TimeRange range = LocalDay(CGuideService::Now(), offset);
      const std::vector<GuideProgramme>& listed = day->Programmes();
      // Four-hour programmes: six or seven of them touch every day.
      QVERIFY2(listed.size() >= 6 && listed.size() <= 8, qPrintable(QString::number(offset)));
      QCOMPARE(day->List().topLevelItemCount(), static_cast<int>(listed.size()));
      for (std::size_t i = 0; i < listed.size(); ++i) {
        QVERIFY(listed[i].stop > range.from && listed[i].start < range.to);
        QCOMPARE(day->List().topLevelItem(static_cast<int>(i))->text(0), GuideTimeRange(listed[i]));
      }
      const std::int64_t now = CGuideService::Now();
      const bool onNow = std::any_of(listed.begin(), listed.end(), [now](const GuideProgramme& p) {
        return p.start <= now && now < p.stop;
      });
      QCOMPARE(day->CurrentRow() >= 0, onNow);
      if (offset == 0) QVERIFY(onNow);
    }
    // Another channel chosen while the list is open: the list follows it.
    QVERIFY(Select(*dlg, "Второй канал"));
    QCOMPARE(day->Day(), 0);
    QCOMPARE(day->List().topLevelItem(day->CurrentRow())->text(1), QString("Второй 0"));
  }

  // "Записать передачу" asks the main window to record the chosen programme, from its start to
  // its stop, with its title; a programme that has ended cannot be recorded.
  void recordFromTheDayList() {
    auto dlg = WindowWithGuide();
    QVERIFY(dlg);
    QVERIFY(Select(*dlg, "Второй канал"));
    dlg->OpenGuideDayList();
    CGuideDayWindow* day = dlg->GuideDayWindow();
    QVERIFY(day);
    // The window's own recording entry is what the list calls.
    QVERIFY(QObject::disconnect(day, &CGuideDayWindow::RecordRequested, dlg.get(), &CVantrelDlg::RecordProgramme));
    struct Asked {
      QString channel, title;
      QDateTime start, stop;
    };
    QList<Asked> asked;
    connect(day, &CGuideDayWindow::RecordRequested, this,
            [&asked](const CChannel& channel, const QDateTime& start, const QDateTime& stop, const QString& title) {
              asked << Asked{ToQString(channel.name), title, start, stop};
            });
    QVERIFY(day->RecordButton().isEnabled());  // the programme on now
    QTest::mouseClick(&day->RecordButton(), Qt::LeftButton);
    QCOMPARE(asked.size(), 1);
    const GuideProgramme now = Programme("Второй", 0);
    QCOMPARE(asked[0].channel, QString("Второй канал"));
    QCOMPARE(asked[0].title, QString("Второй 0"));
    QCOMPARE(asked[0].start.toSecsSinceEpoch(), now.start);
    QCOMPARE(asked[0].stop.toSecsSinceEpoch(), now.stop);
    QCOMPARE(asked[0].start.timeSpec(), Qt::UTC);

    day->ShowDay(-1);
    day->List().setCurrentItem(day->List().topLevelItem(0));
    QVERIFY(!day->RecordButton().isEnabled());
    day->RecordSelected();
    QCOMPARE(asked.size(), 1);
    day->ShowDay(3);
    day->List().setCurrentItem(day->List().topLevelItem(1));
    // A guide that comes in meanwhile leaves the choice as it was.
    day->Reload();
    QCOMPARE(day->List().indexOfTopLevelItem(day->List().currentItem()), 1);
    QVERIFY(day->RecordButton().isEnabled());
    day->RecordSelected();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[1].start.toSecsSinceEpoch(), day->Programmes()[1].start);
  }

  // A refresh sends the guide's ETag; a 304 keeps the guide as it is. A transfer that breaks
  // off keeps the previous guide too; the next good one replaces it.
  void refreshKeepsTheGuideUnlessANewOneArrives() {
    auto dlg = WindowWithGuide();
    QVERIFY(dlg);
    CGuideService& guide = dlg->Guide();
    const std::string address = m_http.Url("/guide.xml.gz");
    QVERIFY(Select(*dlg, "Второй канал"));
    const QString shown = dlg->GuidePane().NowText();

    const int notModified = m_http.NotModified();
    guide.RefreshAll();
    QTRY_VERIFY_WITH_TIMEOUT(m_http.NotModified() == notModified + 1 && guide.PendingRefreshes() == 0, kGuideWait);
    QCOMPARE(guide.SourceState(address)->fetch, GuideFetchStatus::kNotModified);
    QCOMPARE(dlg->GuidePane().NowText(), shown);

    m_http.Publish(Guide("Новый "), "\"v2\"");
    m_http.Break(true);
    guide.RefreshAll();
    QTRY_VERIFY_WITH_TIMEOUT(guide.SourceState(address)->done &&
                                 guide.SourceState(address)->fetch == GuideFetchStatus::kBroken,
                             kGuideWait);
    QCOMPARE(dlg->GuidePane().NowText(), shown);
    QCOMPARE(dlg->Guide().ToolTip(ChannelNamed(*dlg, "Второй канал")).section('\n', 0, 0), shown);

    m_http.Break(false);
    guide.RefreshAll();
    QTRY_COMPARE_WITH_TIMEOUT(dlg->GuidePane().NowText(), Line("Сейчас: ", "Новый Второй", 0), kGuideWait);
  }

  // The timer refreshes every source again, on the interval it was given.
  void refreshTimerFires() {
    QVERIFY(WindowWithGuide());  // imports the playlist; the guide is then in the folder
    SetGuideRefreshIntervalForTesting(std::chrono::milliseconds(200));
    auto dlg = OpenWindow();
    SetGuideRefreshIntervalForTesting(std::chrono::milliseconds(0));
    QVERIFY(dlg);
    QCOMPARE(dlg->Guide().RefreshTimer().interval(), 200);
    const int before = m_http.NotModified();
    // Unchanged: each is a conditional GET answered 304.
    QTRY_VERIFY_WITH_TIMEOUT(m_http.NotModified() >= before + 3, kGuideWait);
    auto normal = OpenWindow();
    QVERIFY(normal);
    QCOMPARE(std::chrono::milliseconds(normal->Guide().RefreshTimer().interval()), CGuideService::kRefreshInterval);
  }

  // The user adds a guide file of their own in the sources window: it is kept in the user's
  // folder, read at once, and a catalogue channel it names shows it; removing it takes its
  // guide away. What names no guide is refused with a reason. The playlists' guides are listed.
  void usersOwnSources() {
    QTemporaryDir files;
    const QString file = files.filePath("мой гид.xml");
    {
      QFile out(file);
      QVERIFY(out.open(QIODevice::WriteOnly));
      out.write(QByteArray::fromStdString(GuideDoc(Channel("mine", "Без гида", "Свой"))));
    }
    auto dlg = WindowWithGuide();
    QVERIFY(dlg);
    QAction* open = dlg->SearchField().findChild<QAction*>("guideSources");
    QVERIFY(open);
    open->trigger();
    CGuideSourcesDialog* sources = dlg->GuideSourcesWindow();
    QVERIFY(sources);
    QVERIFY(sources->isVisible());
    QCOMPARE(sources->List().topLevelItemCount(), 1);
    QCOMPARE(sources->List().topLevelItem(0)->text(0), m_http.QtUrl("/guide.xml.gz"));
    QVERIFY(sources->List().topLevelItem(0)->text(1).startsWith("из списка «list.m3u»"));

    sources->SourceEdit().setText("ftp://example/guide.xml");
    QTest::mouseClick(&sources->AddButton(), Qt::LeftButton);
    QCOMPARE(sources->Message().text(), ResString(res::IDS_GUIDE_SOURCE_BAD));
    sources->SourceEdit().setText(QUrl::fromLocalFile(file).toString());
    QTest::mouseClick(&sources->AddButton(), Qt::LeftButton);
    QVERIFY(sources->Message().text().isEmpty());
    QCOMPARE(sources->List().topLevelItemCount(), 2);
    QCOMPARE(sources->List().topLevelItem(0)->text(0), file);
    QFile kept(m_folder->Path("guide/sources.txt"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(kept.readAll()), file + '\n');

    QTest::mouseClick(&dlg->ByCountriesRadio(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(sources->List().topLevelItem(0)->text(1).contains("обновлена"), kGuideWait);
    const CChannel mine = ChannelNamed(*dlg, "Без гида");
    QTRY_COMPARE_WITH_TIMEOUT(dlg->Guide().ToolTip(mine).section('\n', 0, 0), Line("Сейчас: ", "Свой", 0), kGuideWait);
    {
      // The next start reads the user's list again.
      auto next = OpenWindow();
      QVERIFY(next);
      QCOMPARE(next->Guide().UserSources(), std::vector<std::string>{file.toStdString()});
    }

    sources->List().setCurrentItem(sources->List().topLevelItem(1));
    QVERIFY(!sources->RemoveButton().isEnabled());  // the playlist's own stays
    sources->List().setCurrentItem(sources->List().topLevelItem(0));
    QVERIFY(sources->RemoveButton().isEnabled());
    QTest::mouseClick(&sources->RemoveButton(), Qt::LeftButton);
    QCOMPARE(sources->List().topLevelItemCount(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(dlg->Guide().ToolTip(mine).isEmpty(), kGuideWait);
    QVERIFY(dlg->Guide().UserSources().empty());
  }

  // A guide server that does not answer holds up neither the start nor the close of the window.
  void slowServerHoldsNothingUp() {
    QVERIFY(WindowWithGuide());
    m_http.Hold(true);
    {
      auto dlg = OpenWindow();
      QVERIFY(dlg);
      QTest::mouseClick(&dlg->ByPlaylistsRadio(), Qt::LeftButton);
      QVERIFY(Select(*dlg, "Второй канал"));
      QVERIFY(dlg->isEnabled());
      QTRY_VERIFY_WITH_TIMEOUT(m_http.Requests() > 0 && dlg->Guide().PendingRefreshes() > 0, kGuideWait);
      // The previous guide answers meanwhile.
      QTRY_VERIFY_WITH_TIMEOUT(dlg->GuidePane().HasGuide(), kGuideWait);
    }  // closes with the transfer still waiting
    m_http.Hold(false);
  }
};

QTEST_MAIN(GuideWindowTest)
#include "guide_window_test.moc"
