// The channel check in the main window, against loopback servers: the tree's menu starts it
// over the selected group or the whole view, the status line counts, unreachable channels
// are greyed with their reason, and stopping it, or closing the window, drops the open probes.
#include <QMenu>
#include <QRegularExpression>
#include <QTimer>

#include "tests/app/main_window_fixture.h"
#include "tests/support/media_server.h"
#include "tests/support/probe_server.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

std::string TransportPackets(int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes += '\x47' + std::string(187, '\x11');
  return bytes;
}

QModelIndex Find(const QAbstractItemModel& model, const QString& label) {
  const QModelIndexList found =
      model.match(model.index(0, 0), Qt::DisplayRole, label, 1, Qt::MatchExactly | Qt::MatchRecursive);
  return found.isEmpty() ? QModelIndex() : found.front();
}

// Opens the tree's menu and triggers its check entry; returns the entry's text.
QString TriggerCheckEntry(CVantrelDlg& dlg) {
  QString text;
  QTimer::singleShot(0, &dlg, [&text] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    if (auto* check = menu->findChild<QAction*>(QStringLiteral("checkChannels"))) {
      text = check->text();
      menu->close();
      check->trigger();
    }
    menu->close();
  });
  emit dlg.Tree().customContextMenuRequested(QPoint(5, 5));
  return text;
}

}  // namespace

class ChannelCheckWindowTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  QList<MessageRequest> m_messages;
  std::unique_ptr<TestProgramFolder> m_folder;
  MediaServer m_media;
  ProbeServer m_server;

  QString Url(const std::string& path) const { return QString::fromStdString(m_server.Url(path)); }

 private slots:
  void initTestCase() {
    PrepareWindowTests(m_config, m_messages);
    m_folder = std::make_unique<TestProgramFolder>(QStringList{"Classic"});
    QVERIFY(m_folder->IsValid());
    m_server.Answer("/ts", ProbeServer::Http("200 OK", "video/mp2t", TransportPackets(10)));
    m_server.Answer("/missing", ProbeServer::Http("404 Not Found", "text/html", "<html>gone</html>"));
    m_server.Answer("/page", ProbeServer::Http("200 OK", "text/html", "<!DOCTYPE html><html></html>"));
    const QString refused = QStringLiteral("http://127.0.0.1:%1/live").arg(ProbeServer::ClosedPort());
    QList<TestChannel> channels = {
        {1, "Live", "A", "News", QString::fromStdString(m_media.LiveUrl("h264_aac.ts", 10)), 0, "", ""},
        {2, "Packets", "A", "News", Url("/ts"), 0, "", ""},
        {3, "Missing", "A", "News", Url("/missing"), 0, "", ""},
        {4, "Page", "A", "Music", Url("/page"), 0, "", ""},
        {5, "Refused", "A", "Music", refused, 0, "", ""},
    };
    // Channels whose server accepts and never answers.
    for (int i = 0; i < 12; ++i)
      channels.push_back({10 + i, QStringLiteral("Silent %1").arg(i), "B", "News", Url("/silent/" + std::to_string(i)), 0, "", ""});
    QVERIFY(m_folder->WriteCatalogue(channels));
  }

  // The selected country alone is checked: the bad channels turn grey with their reason and
  // the time, the good ones stay as they were; the marks stay when the view is regrouped.
  void marksUnreachableChannels() {
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    CChannelTreeView& tree = dlg->Tree();
    QVERIFY(dlg->ByCountriesRadio().isChecked());
    tree.setCurrentIndex(Find(*tree.model(), "A(5)"));
    QCOMPARE(TriggerCheckEntry(*dlg), QString("Проверить каналы"));
    QVERIFY(dlg->ChannelCheck().IsRunning());
    QCOMPARE(dlg->StatusLine().Text(), QString("Проверка каналов: 0 из 5"));
    QTRY_VERIFY_WITH_TIMEOUT(!dlg->ChannelCheck().IsRunning(), 20000);
    QCOMPARE(dlg->StatusLine().Text(), QString("Проверка каналов завершена: недоступно 3 из 5"));
    QCOMPARE(m_server.Requests().size(), 3u);  // nothing of country B was asked

    const QRegularExpression checkedAt(QStringLiteral(" \\(проверено в \\d\\d:\\d\\d\\)$"));
    const std::pair<const char*, const char*> bad[] = {
        {"Missing", "Канал недоступен: HTTP 404"},
        {"Page", "Канал недоступен: по адресу нет потока"},
        {"Refused", "Канал недоступен: соединение отклонено"},
    };
    for (bool regrouped : {false, true}) {
      if (regrouped) QTest::mouseClick(&dlg->ByGenresRadio(), Qt::LeftButton);
      for (const auto& [name, reason] : bad) {
        const QModelIndex row = Find(*tree.model(), name);
        QVERIFY(row.isValid());
        QCOMPARE(row.data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::gray));
        const QString tip = row.data(Qt::ToolTipRole).toString();
        QVERIFY2(tip.startsWith(reason) && checkedAt.match(tip).hasMatch(), qPrintable(tip));
      }
      for (const char* name : {"Live", "Packets", "Silent 1"}) {
        const QModelIndex row = Find(*tree.model(), name);
        QVERIFY(row.isValid());
        QVERIFY(!row.data(Qt::ForegroundRole).isValid() && !row.data(Qt::ToolTipRole).isValid());
      }
    }
    // A later check replaces the results of the channels it probes and keeps the others.
    m_server.Answer("/page", ProbeServer::Http("200 OK", "application/octet-stream", TransportPackets(10)));
    tree.setCurrentIndex(Find(*tree.model(), "Music(2)"));
    dlg->OnCheckChannels();
    QTRY_VERIFY_WITH_TIMEOUT(!dlg->ChannelCheck().IsRunning(), 20000);
    QCOMPARE(dlg->StatusLine().Text(), QString("Проверка каналов завершена: недоступно 1 из 2"));
    QVERIFY(!Find(*tree.model(), "Page").data(Qt::ForegroundRole).isValid());
    QVERIFY(Find(*tree.model(), "Refused").data(Qt::ForegroundRole).isValid());
    QVERIFY(Find(*tree.model(), "Missing").data(Qt::ToolTipRole).toString().startsWith("Канал недоступен: HTTP 404"));
    QVERIFY(m_messages.isEmpty());
  }

  // The whole view (nothing selected): at most eight channels are probed at once; the menu
  // entry then stops the check, and closing the window stops the next one, both without
  // waiting for the silent servers.
  void stopsAndStaysBounded() {
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    CChannelTreeView& tree = dlg->Tree();
    tree.clearSelection();
    const int before = m_server.Accepted();
    QCOMPARE(TriggerCheckEntry(*dlg), QString("Проверить каналы"));
    QCOMPARE(dlg->ChannelCheck().Total(), 17);
    QTRY_COMPARE_WITH_TIMEOUT(m_server.OpenNow(), 8, 20000);
    QTest::qWait(200);
    QCOMPARE(m_server.MostOpen(), 8);
    QVERIFY(dlg->StatusLine().Text().startsWith("Проверка каналов: "));
    QVERIFY(dlg->ChannelCheck().IsRunning());

    const int done = dlg->ChannelCheck().Done();
    QCOMPARE(TriggerCheckEntry(*dlg), QString("Остановить проверку (%1 из 17)").arg(done));
    QVERIFY(!dlg->ChannelCheck().IsRunning());
    QVERIFY(dlg->StatusLine().Text().startsWith("Проверка каналов остановлена: проверено "));
    QTRY_COMPARE_WITH_TIMEOUT(m_server.OpenNow(), 0, 20000);
    // A silent channel never answered: it is not marked.
    QVERIFY(!Find(*tree.model(), "Silent 0").data(Qt::ToolTipRole).isValid());
    QVERIFY(m_server.Accepted() - before < 12);

    QCOMPARE(TriggerCheckEntry(*dlg), QString("Проверить каналы"));
    QTRY_COMPARE_WITH_TIMEOUT(m_server.OpenNow(), 8, 20000);
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Escape);  // ends the dialog, as always
    QVERIFY(!dlg->isVisible());
    QVERIFY(!dlg->ChannelCheck().IsRunning());
    QTRY_COMPARE_WITH_TIMEOUT(m_server.OpenNow(), 0, 20000);
    QCOMPARE(m_server.MostOpen(), 8);
  }
};

QTEST_MAIN(ChannelCheckWindowTest)
#include "channel_check_window_test.moc"
