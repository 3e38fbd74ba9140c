// Draws the program's icon into a hicolor icon tree:
//   vantrel-icongen OUTPUT_FOLDER NAME
// writes OUTPUT_FOLDER/scalable/apps/NAME.svg and OUTPUT_FOLDER/<n>x<n>/apps/NAME.png.
#include <QDir>
#include <QFile>
#include <cstdio>

#include "desktop/icon/icon_art.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER NAME\n", argv[0]);
    return 64;
  }
  const QString root = QString::fromLocal8Bit(argv[1]);
  const QString name = QString::fromLocal8Bit(argv[2]);
  const QString scalable = root + QStringLiteral("/scalable/apps");
  QFile svg(scalable + '/' + name + QStringLiteral(".svg"));
  if (!QDir().mkpath(scalable) || !svg.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      svg.write(vantrel::icon::IconSvg().toUtf8()) < 0) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(svg.fileName()));
    return 1;
  }
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString folder = root + QStringLiteral("/%1x%1/apps").arg(size);
    if (!QDir().mkpath(folder) || !vantrel::icon::IconImage(size).save(folder + '/' + name + QStringLiteral(".png"))) {
      std::fprintf(stderr, "cannot write the %dx%d icon under %s\n", size, size, qPrintable(root));
      return 1;
    }
  }
  return 0;
}
