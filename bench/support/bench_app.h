#pragma once
// The QApplication a Qt benchmark needs, made once, on the offscreen platform unless the
// environment names another.
#include <QApplication>

namespace vantrel::bench {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "vantrel_bench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

}  // namespace vantrel::bench
