#include "desktop/open_target.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace vantrel {
namespace {

// By the name's extension; for an address, of its path, without query or fragment.
bool NamedAsPlaylist(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  return suffix == QLatin1String("m3u") || suffix == QLatin1String("m3u8") || suffix == QLatin1String("pls");
}

}  // namespace

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
      target.playlist = NamedAsPlaylist(url.path());
      return target;
    }
    path = url.toLocalFile();
  }
  const QFileInfo file(QDir(workingFolder), path);
  target.location = QDir::cleanPath(file.absoluteFilePath());
  target.name = file.fileName();
  target.kind = file.isFile() ? OpenTarget::Kind::kLocalFile : OpenTarget::Kind::kMissingFile;
  target.playlist = NamedAsPlaylist(target.location);
  return target;
}

QString MissingFileText(const QString& path) { return QStringLiteral("Файл не найден: %1").arg(path); }

}  // namespace vantrel
