#pragma once
// The QApplication a Qt benchmark needs, made once, on the offscreen platform unless the
// environment names another.
#include <QApplication>
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
