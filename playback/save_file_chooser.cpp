#include "playback/save_file_chooser.h"

#include <QFileDialog>

namespace vantrel {
namespace {
std::function<QString()>& Hook() {
  static std::function<QString()> hook;
  return hook;
}
}  // namespace

QString ChooseRecordingFile() {
  if (Hook()) return Hook()();
  // No default suffix is set: the dialog leaves the typed name alone, and the overwrite
  // question is the dialog's default.
  return QFileDialog::getSaveFileName(nullptr, QString(), QString(), QStringLiteral("AVI Video file(*.avi)"));
}

void SetSaveFileChooserForTesting(std::function<QString()> chooser) { Hook() = std::move(chooser); }

}  // namespace vantrel
