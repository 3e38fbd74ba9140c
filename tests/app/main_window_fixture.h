#pragma once
// A program folder of the test's own for the main-window tests: a fake program file beside
// copies of the built-in skins, a catalogue written by the test, and the settings in a
// temporary folder. Messages are answered instead of shown.
#include <QDir>
#include <QList>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <memory>

#include "base/message_box.h"
#include "base/program_path.h"
#include "base/qt_strings.h"
#include "base/settings.h"
#include "base/text_codec.h"
#include "app/vantrel_dlg.h"
#include "catalogue/catalogue_file.h"
#include "catalogue/channel_list.h"
#include "playback/mpv_engine.h"
#include "tools/server/update_server.h"

namespace vantrel::test {

// Start-up lasts about two seconds (two one-second timers); this bounds waits, never timing.
inline constexpr int kWait = 10000;

inline bool CopyFolder(const QString& from, const QString& to) {
  QDir().mkpath(to);
  const QDir source(from);
  for (const QFileInfo& entry : source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
    const QString target = to + '/' + entry.fileName();
    if (entry.isDir() ? !CopyFolder(entry.filePath(), target) : !QFile::copy(entry.filePath(), target)) return false;
  }
  return true;
}

// One catalogue entry.
struct TestChannel {
  int id;
  QString name, country, genre, url;
  int bps = 0;
  QString description, site;
};

inline QString CatalogueXml(const QList<TestChannel>& channels) {
  QString xml = QStringLiteral("<channels version=\"7\">");
  for (const TestChannel& c : channels) {
    xml += QStringLiteral("<channel id=\"%1\" name=\"%2\" type=\"1\" URL=\"%3\"><country>%4</country>"
                          "<genre>%5</genre><BPS>%6</BPS><description>%7</description><site_URL>%8</site_URL>"
                          "</channel>")
               .arg(c.id)
               .arg(c.name.toHtmlEscaped(), c.url.toHtmlEscaped(), c.country.toHtmlEscaped(),
                    c.genre.toHtmlEscaped())
               .arg(c.bps)
               .arg(c.description.toHtmlEscaped(), c.site.toHtmlEscaped());
  }
  return xml + QStringLiteral("</channels>");
}

// The update server of PrepareWindowTests; until it runs, an address that refuses at once.
inline QString& QuietServerAddress() {
  static QString address = QStringLiteral("http://127.0.0.1:1/");
  return address;
}

class TestProgramFolder {
 public:
  // `skins`: the built-in skins to copy beside the program; none leaves the folder without one.
  explicit TestProgramFolder(const QStringList& skins = {QStringLiteral("Classic"), QStringLiteral("Metall")}) {
    const QString built = qEnvironmentVariable("VANTREL_BIN_DIR") + QStringLiteral("/skins/");
    for (const QString& skin : skins) m_ok = m_ok && CopyFolder(built + skin, Path(QStringLiteral("skins/") + skin));
    SetProgramPathForTesting(Path(QStringLiteral("Vantrel")).toStdString());
    // The update checks ask the tests' own server (PrepareWindowTests), never one running on
    // this machine; the setting lives under the program's name, known only from here on.
    WriteProfileString(kUpdateSection, kServerEntry, QuietServerAddress());
    // The store is made once per process; it must read this folder's files.
    GetChannelList().catalogPath = ProgramFolderFile(kCatalogueFile);
    GetChannelList().favoritesPath = ProgramFolderFile(kFavoritesFile);
  }

  bool IsValid() const { return m_dir.isValid() && m_ok; }
  QString Path(const QString& name = {}) const { return name.isEmpty() ? m_dir.path() : m_dir.filePath(name); }

  bool WriteCatalogue(const QList<TestChannel>& channels) const {
    std::string archive;
    if (!PackCatalogue(Utf16ToCp1251(ToU16(CatalogueXml(channels))), archive)) return false;
    std::ofstream out(Path(QStringLiteral("channels.dat")).toStdString(), std::ios::binary);
    out << archive;
    return static_cast<bool>(out);
  }

 private:
  QTemporaryDir m_dir;
  bool m_ok = true;
};

// Process-wide set-up: settings in a folder of the test's own, no sound device, and every message recorded and answered with OK.
inline void PrepareWindowTests(QTemporaryDir& config, QList<MessageRequest>& messages) {
  QVERIFY(config.isValid());
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  SetAudioOutputForTesting("null");
  SetMessageBoxHookForTesting([&messages](const MessageRequest& request) {
    messages << request;
    return MsgResult::Ok;
  });
  // The first paint asks the update server: one of the tests' own says nothing is new.
  static std::ostream discard(nullptr);
  static const std::unique_ptr<server::UpdateServer> quiet = [&] {
    server::UpdateServerOptions options;
    options.root = config.filePath(QStringLiteral("no-updates")).toStdString();
    options.log = &discard;
    auto started = std::make_unique<server::UpdateServer>(options);
    return started->Start() ? std::move(started) : nullptr;
  }();
  QVERIFY(quiet);
  QuietServerAddress() = QString::fromStdString(quiet->BaseAddress());
  WriteProfileString(kUpdateSection, kServerEntry, QuietServerAddress());
}

// A main window initialised and shown; with `waitForStartUp` also through its start-up timers.
inline std::unique_ptr<CVantrelDlg> OpenWindow(bool waitForStartUp = true) {
  auto dlg = std::make_unique<CVantrelDlg>();
  if (!dlg->OnInitDialog()) return nullptr;
  dlg->show();
  if (!QTest::qWaitForWindowExposed(dlg.get())) return nullptr;
  if (waitForStartUp && !QTest::qWaitFor([&] { return dlg->isEnabled() && dlg->IsRightPanelOpen() && !dlg->IsSliding(); },
                                         kWait))
    return nullptr;
  return dlg;
}

// Waits for a running slide to end.
// Chooses the channel named `name` in the tree as a double click on its row does.
inline bool ChooseChannelInTree(CChannelTreeView& tree, const QString& name) {
  const QModelIndexList found = tree.model()->match(tree.model()->index(0, 0), Qt::DisplayRole, name, 1,
                                                    Qt::MatchExactly | Qt::MatchRecursive);
  if (found.isEmpty() || ChannelOfIndex(found.front()) == nullptr) return false;
  tree.setCurrentIndex(found.front());
  emit tree.doubleClicked(found.front());
  return true;
}

inline bool WaitForSlide(const CVantrelDlg& dlg) {
  return QTest::qWaitFor([&] { return !dlg.IsSliding(); }, kWait);
}

}  // namespace vantrel::test
