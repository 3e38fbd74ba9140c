#pragma once
// The QApplication a Qt benchmark needs, made once, on the offscreen platform unless the
// environment names another.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace vantrel::bench {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "vantrel_bench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

// Copies the files of `from` (a skin folder, say) into `to`, made when missing.
inline bool CopyFolder(const QString& from, const QString& to) {
  QDir().mkpath(to);
  for (const QFileInfo& entry : QDir(from).entryInfoList(QDir::Files | QDir::NoDotAndDotDot))
    if (!QFile::copy(entry.filePath(), to + '/' + entry.fileName())) return false;
  return true;
}

// Sleeps until the next event, or at most `wakeMs`, then handles what came. processEvents
// with a time limit ignores WaitForMoreEvents and spins, taking a core from the very threads
// being measured.
inline void WaitForEvents(int wakeMs) {
  QTimer wake;
  wake.setSingleShot(true);
  wake.start(wakeMs);
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace vantrel::bench
