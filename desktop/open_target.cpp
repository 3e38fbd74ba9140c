#include "desktop/open_target.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace vantrel {

OpenTarget ResolveOpenTarget(const QString& argument, const QString& workingFolder) {
  OpenTarget target;
  if (argument.trimmed().isEmpty()) return target;
  // A scheme is letters, digits, "+", "-" or "." after a first letter, then "://".
  static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
  QString path = argument;
  if (scheme.match(argument).hasMatch()) {
    const QUrl url(argument);
    if (!url.isLocalFile()) {
      target.kind = OpenTarget::Kind::kStreamAddress;
      target.location = argument;
      target.name = argument;
      return target;
    }
    path = url.toLocalFile();
  }
  const QFileInfo file(QDir(workingFolder), path);
  target.location = QDir::cleanPath(file.absoluteFilePath());
  target.name = file.fileName();
  target.kind = file.isFile() ? OpenTarget::Kind::kLocalFile : OpenTarget::Kind::kMissingFile;
  return target;
}

QString MissingFileText(const QString& path) { return QStringLiteral("Файл не найден: %1").arg(path); }

}  // namespace vantrel
