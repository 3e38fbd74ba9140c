// skingen: draws the built-in skins, writes their bitmaps and skin packs, and on request
// pictures of the main window wearing them.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <cstdio>

#include "tools/skingen/preview.h"
#include "tools/skingen/skin_builder.h"
#include "tools/skingen/skin_files.h"
#include "tools/skingen/style.h"

using namespace vantrel::skingen;

int main(int argc, char** argv) {
  // Drawing needs fonts but no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QCommandLineParser args;
  args.setApplicationDescription("Draws the built-in skins.");
  args.addHelpOption();
  args.addOption({"out", "Write each skin's bitmaps into <dir>/<Name>/.", "dir"});
  args.addOption({"packs", "Write each skin's pack as <dir>/<Name>.zip.", "dir"});
  args.addOption({"preview", "Write pictures of the window in each skin into <dir>.", "dir"});
  args.addOption({"only", "Draw only the skin <name>.", "name"});
  args.process(app);

  std::vector<SkinStyle> styles;
  for (const SkinStyle& s : BuiltInStyles()) {
    if (!args.isSet("only") || args.value("only") == s.name) styles.push_back(s);
  }
  if (styles.empty()) {
    std::fprintf(stderr, "skingen: no skin named %s\n", qPrintable(args.value("only")));
    return 2;
  }

  int status = 0;
  std::vector<EncodedSkin> encoded;
  for (const SkinStyle& style : styles) {
    const SkinImages skin = BuildSkin(style);
    for (const QString& problem : CheckSkinLayout(style, skin)) {
      std::fprintf(stderr, "skingen: %s\n", qPrintable(problem));
      status = 1;
    }
    encoded.push_back(EncodeSkin(skin));
    if (args.isSet("out") && !WriteSkinFolder(QDir(args.value("out")).filePath(style.name), encoded.back())) return 1;
    if (args.isSet("packs")) {
      const QByteArray pack = BuildSkinPack(style, encoded.back());
      if (pack.isEmpty() || !QDir().mkpath(args.value("packs")) ||
          !WriteWholeFile(QDir(args.value("packs")).filePath(style.name + ".zip"), pack)) {
        std::fprintf(stderr, "skingen: cannot make the pack of %s\n", qPrintable(style.name));
        return 1;
      }
    }
  }
  if (args.isSet("preview")) {
    if (!QDir().mkpath(args.value("preview"))) return 1;
    for (size_t i = 0; i < styles.size(); ++i) {
      if (!WritePreviews(styles, encoded, i, args.value("preview"))) status = 1;
    }
  }
  return status;
}
