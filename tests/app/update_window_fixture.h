#pragma once
// What the update tests of the main window share: the update server running in-process on a
// folder of the test's own, scripted message-box answers, and a record of the status texts
// as they reach the screen.
#include <QEvent>
#include <QLabel>
#include <QQueue>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "base/message_box.h"
#include "base/settings.h"
#include "app/vantrel_dlg.h"
#include "tests/app/main_window_fixture.h"
#include "tests/updates/scripted_server.h"
#include "tools/server/update_server.h"

namespace vantrel::test {

// The real update server on a free loopback port, answering from a folder the test fills.
class TestUpdateServer {
 public:
  TestUpdateServer() {
    server::UpdateServerOptions options;
    options.root = m_root.path().toStdString();
    options.log = &m_log;
    // Offers are split at "4096", so an address holding it cannot be offered.
    for (int attempt = 0; attempt < 10 && !m_started; ++attempt) {
      m_server = std::make_unique<server::UpdateServer>(options);
      m_started = m_root.isValid() && m_server->Start() && m_server->BaseAddress().find("4096") == std::string::npos;
    }
  }

  bool IsValid() const { return m_started; }
  QString Base() const { return QString::fromStdString(m_server->BaseAddress()); }
  // The window asks this server from now on.
  void UseForUpdates() const { WriteProfileString(kUpdateSection, kServerEntry, Base()); }

  // Writes `bytes` to `name` under the server's folder, making the folders on the way.
  bool Put(const QString& name, const QByteArray& bytes) const {
    const std::filesystem::path file = m_root.filePath(name).toStdString();
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.constData(), bytes.size());
    return static_cast<bool>(out);
  }
  bool Put(const QString& name, const QString& utf8Text) const { return Put(name, utf8Text.toUtf8()); }
  bool CopyIn(const QString& name, const QString& from) const {
    QFile source(from);
    return source.open(QIODevice::ReadOnly) && Put(name, source.readAll());
  }

  // Stops serving and gives the request lines seen, one per request.
  QString StopAndLog() {
    m_server->Stop();
    return QString::fromStdString(m_log.str());
  }

 private:
  QTemporaryDir m_root;
  std::ostringstream m_log;  // read only once the server has stopped
  std::unique_ptr<server::UpdateServer> m_server;
  bool m_started = false;
};

// A scripted server whose address can stand in an offer.
inline std::unique_ptr<ScriptedServer> OfferSafeScriptedServer() {
  auto server = std::make_unique<ScriptedServer>();
  while (server->Base().find("4096") != std::string::npos) server = std::make_unique<ScriptedServer>();
  return server;
}

// The built-in skin packs the build made for the update server.
inline QString SkinPack(const QString& name) { return QStringLiteral(VANTREL_SKIN_PACK_DIR "/") + name + ".zip"; }

// Answers each message with the next queued answer, OK once the queue is empty, and keeps
// the texts in the order they were shown.
class MessageAnswers {
 public:
  MessageAnswers() {
    SetMessageBoxHookForTesting([this](const MessageRequest& request) {
      shown << request.text;
      return answers.isEmpty() ? MsgResult::Ok : answers.dequeue();
    });
  }
  // A message after the test must neither block nor start anything.
  ~MessageAnswers() {
    SetMessageBoxHookForTesting([](const MessageRequest&) { return MsgResult::Cancel; });
  }
  MessageAnswers(const MessageAnswers&) = delete;
  MessageAnswers& operator=(const MessageAnswers&) = delete;

  QStringList shown;
  QQueue<MsgResult> answers;
};

// Every status text as it is painted on the window, each once per change.
class StatusPaints : public QObject {
 public:
  explicit StatusPaints(CVantrelDlg& dlg) : m_label(dlg.findChild<QLabel*>(QStringLiteral("statusLine"))) {
    if (m_label != nullptr) m_label->installEventFilter(this);
  }
  bool IsValid() const { return m_label != nullptr; }
  QStringList texts;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == m_label && event->type() == QEvent::Paint && (texts.isEmpty() || texts.back() != m_label->text()))
      texts << m_label->text();
    return false;
  }

 private:
  QLabel* m_label;
};

// A main window, initialised and shown with its status texts recorded from the first paint
// on. The checks run in one go from that paint, before timer 1 can open the bottom panel; an
// accepted restart ends the window instead.
struct CheckedWindow {
  std::unique_ptr<CVantrelDlg> dlg = std::make_unique<CVantrelDlg>();
  std::unique_ptr<StatusPaints> paints;

  bool Open() {
    if (!dlg->OnInitDialog()) return false;
    paints = std::make_unique<StatusPaints>(*dlg);
    dlg->show();
    return paints->IsValid() &&
           QTest::qWaitFor([&] { return dlg->IsEnding() || dlg->IsBottomPanelOpen(); }, kWait);
  }
  // Through the start-up timers: the window is enabled with both panels open.
  bool WaitForStartUp() {
    return QTest::qWaitFor([&] { return dlg->isEnabled() && dlg->IsRightPanelOpen() && !dlg->IsSliding(); }, kWait);
  }
};

// The button's own state: the window around it stays disabled until its start-up is over.
inline bool DownloadEnabled(CVantrelDlg& dlg) { return dlg.DownloadButton().isEnabledTo(&dlg); }

inline QString NewChannelsText(const QString& count) { return QStringLiteral("Доступно новых каналов: ") + count; }

}  // namespace vantrel::test
