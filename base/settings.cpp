#include "base/settings.h"

#include <QSettings>

#include "base/program_path.h"

namespace vantrel {
namespace {
// Opened per call: the store is touched a handful of times per run, and a fresh object
// always sees the file as it is now (another instance may just have written it).
QSettings Store() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, kSettingsCompany,
                   QString::fromStdString(ProgramName()));
}
}  // namespace

QString GetProfileString(const QString& section, const QString& entry, const QString& defaultValue) {
  QSettings s = Store();
  const QVariant v = s.value(section + '/' + entry);
  return v.isValid() ? v.toString() : defaultValue;
}

bool WriteProfileString(const QString& section, const QString& entry, const std::optional<QString>& value) {
  QSettings s = Store();
  if (value)
    s.setValue(section + '/' + entry, *value);
  else
    s.remove(section + '/' + entry);
  s.sync();
  return s.status() == QSettings::NoError;
}

}  // namespace vantrel
