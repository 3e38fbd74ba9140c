// The desktop's media controls, driven as a desktop drives them: a second connection to a
// private session bus (the test runs under dbus-run-session) reads the MPRIS2 properties of the
// real main window, follows its PropertiesChanged signals and calls its methods while real
// streams play.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>

#include "playback/play_state.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/media_server.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

}  // namespace

class MprisTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  QList<MessageRequest> m_messages;
  std::unique_ptr<TestProgramFolder> m_folder;
  QDBusConnection m_client{QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("desktop"))};
  QString m_service;
  QList<QVariantMap> m_changes;

  // Calls wait in a local event loop: the window answering them runs on this thread.
  QDBusMessage Call(const QString& interface, const QString& method, const QVariantList& args = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(m_service, kPath, interface, method);
    call.setArguments(args);
    return m_client.call(call, QDBus::BlockWithGui, 5000);
  }
  QVariant Get(const QString& interface, const QString& name) {
    const QDBusMessage reply = Call(kProperties, QStringLiteral("Get"), {interface, name});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().front().value<QDBusVariant>().variant();
  }
  QVariantMap Metadata() { return qdbus_cast<QVariantMap>(Get(kPlayer, QStringLiteral("Metadata"))); }
  bool Changed(const QString& name) const {
    for (const QVariantMap& change : m_changes)
      if (change.contains(name)) return true;
    return false;
  }

 public slots:
  void OnPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&) {
    if (interface == kPlayer) m_changes << changed;
  }

 private slots:
  void initTestCase() {
    QVERIFY2(m_client.isConnected(), "no session bus: run under dbus-run-session");
    PrepareWindowTests(m_config, m_messages);
    m_folder = std::make_unique<TestProgramFolder>();
    QVERIFY(m_folder->IsValid());
  }

  // The window owns the well-known name once it is on screen and says who it is; with nothing
  // chosen it is stopped and can neither play nor step.
  void identityBeforeAnyChannel() {
    QVERIFY(m_folder->WriteCatalogue({{1, "Solo", "Aland", "News", "http://127.0.0.1:9/solo", 0, {}, {}}}));
    auto dlg = OpenWindow(false);
    QVERIFY(dlg);
    QTRY_VERIFY_WITH_TIMEOUT(dlg->MediaControls() != nullptr, kWait);
    m_service = dlg->MediaControls()->ServiceName();
    QCOMPARE(m_service, QStringLiteral("org.mpris.MediaPlayer2.vantrel"));
    QCOMPARE(Get(kRoot, QStringLiteral("Identity")).toString(), QStringLiteral("Vantrel"));
    QCOMPARE(Get(kRoot, QStringLiteral("DesktopEntry")).toString(), QStringLiteral("org.vantrel.Vantrel"));
    QCOMPARE(Get(kPlayer, QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Stopped"));
    QCOMPARE(Get(kPlayer, QStringLiteral("CanPlay")).toBool(), false);
    QCOMPARE(Get(kPlayer, QStringLiteral("CanGoNext")).toBool(), false);
    QVERIFY(Metadata().value(QStringLiteral("xesam:title")).isNull());
  }

  // Chosen from a group of three live channels: title and country in the metadata, play and
  // pause, next and previous within the group, volume both ways, stop; every change is
  // announced with PropertiesChanged.
  void drivesThePlayer() {
    MediaServer server;
    auto live = [&](const char* tag) { return QString::fromStdString(server.LiveUrl("h264_aac.ts", 30)) + "?" + tag; };
    QVERIFY(m_folder->WriteCatalogue({{1, "One", "Aland", "News", live("1"), 0, {}, {}},
                                      {2, "Two", "Aland", "News", live("2"), 0, {}, {}},
                                      {3, "Three", "Aland", "News", live("3"), 0, {}, {}}}));
    auto dlg = OpenWindow();
    QVERIFY(dlg);
    QTRY_VERIFY_WITH_TIMEOUT(dlg->MediaControls() != nullptr, kWait);
    m_service = dlg->MediaControls()->ServiceName();
    QVERIFY(m_client.connect(m_service, kPath, kProperties, QStringLiteral("PropertiesChanged"), this,
                             SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList))));
    m_changes.clear();

    QVERIFY(ChooseChannelInTree(dlg->Tree(), QStringLiteral("One")));
    QTRY_VERIFY_WITH_TIMEOUT(Changed(QStringLiteral("Metadata")), kWait);
    QVariantMap metadata = Metadata();
    QCOMPARE(metadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("One"));
    QCOMPARE(metadata.value(QStringLiteral("xesam:artist")).toStringList(), QStringList{"Aland"});
    QCOMPARE(metadata.value(QStringLiteral("xesam:genre")).toStringList(), QStringList{"News"});
    QVERIFY(Get(kPlayer, QStringLiteral("CanGoNext")).toBool());
    QVERIFY(Get(kPlayer, QStringLiteral("CanPause")).toBool());
    QTRY_COMPARE_WITH_TIMEOUT(dlg->Player().GetPlayState(), play_state::kPlaying, 2 * kWait);
    QCOMPARE(Get(kPlayer, QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));

    m_changes.clear();
    Call(kPlayer, QStringLiteral("PlayPause"));
    QTRY_COMPARE_WITH_TIMEOUT(dlg->Player().GetPlayState(), play_state::kPaused, kWait);
    QTRY_VERIFY_WITH_TIMEOUT(Changed(QStringLiteral("PlaybackStatus")), kWait);
    QCOMPARE(Get(kPlayer, QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Paused"));
    Call(kPlayer, QStringLiteral("Play"));
    QTRY_COMPARE_WITH_TIMEOUT(dlg->Player().GetPlayState(), play_state::kPlaying, 2 * kWait);

    // The group shows One, Three, Two (by name); previous wraps round from its first channel.
    Call(kPlayer, QStringLiteral("Next"));
    QCOMPARE(Metadata().value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Three"));
    QCOMPARE(dlg->Player().GetURL(), live("3"));
    Call(kPlayer, QStringLiteral("Previous"));
    Call(kPlayer, QStringLiteral("Previous"));
    QCOMPARE(Metadata().value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Two"));
    QCOMPARE(dlg->Player().GetURL(), live("2"));

    m_changes.clear();
    Call(kProperties, QStringLiteral("Set"), {kPlayer, QStringLiteral("Volume"), QVariant::fromValue(QDBusVariant(0.3))});
    QTRY_COMPARE_WITH_TIMEOUT(dlg->Player().Volume(), 30, kWait);
    QTRY_VERIFY_WITH_TIMEOUT(Changed(QStringLiteral("Volume")), kWait);
    QCOMPARE(Get(kPlayer, QStringLiteral("Volume")).toDouble(), 0.3);

    Call(kPlayer, QStringLiteral("Stop"));
    QTRY_COMPARE_WITH_TIMEOUT(Get(kPlayer, QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Stopped"), kWait);
  }
};

QTEST_MAIN(MprisTest)
#include "mpris_test.moc"
