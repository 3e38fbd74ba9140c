#include "tools/skingen/skin_files.h"

#include <QDir>
#include <QSaveFile>
#include <cstdio>

#include "skin/dib.h"
#include "tools/skingen/button_art.h"
#include "tools/skingen/layout.h"
#include "updates/zip/zip_writer.h"

namespace vantrel::skingen {
namespace {

QString FileName(SkinFile file) { return QString::fromLatin1(kRequiredSkinFiles[file] + 1); }

QByteArray Encode(const QImage& image) {
  const std::vector<uint8_t> bytes = CDib::EncodeImage(image);
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

QString HexColour(const QColor& c) { return c.name(QColor::HexRgb); }

QByteArray Readme(const SkinStyle& s) {
  return QStringLiteral(
             "Шкурка «%1» для Vantrel 2.0.ru\r\n\r\n%2.\r\n\r\n"
             "Распакуйте архив в папку skins/%1 рядом с программой и выберите шкурку "
             "кнопкой на левой стороне окна.\r\n")
      .arg(s.name, s.tagline)
      .toUtf8();
}

QByteArray Ini(const SkinStyle& s) {
  return QStringLiteral("[Skin]\r\nName=%1\r\nVersion=2.0\r\nFiles=%2\r\nWindow=%3x%4\r\n")
      .arg(s.name)
      .arg(kSkinFileCount)
      .arg(kWindow.width())
      .arg(kWindow.height())
      .toUtf8();
}

QByteArray PaletteText(const SkinStyle& s) {
  const Palette& p = s.pal;
  const std::pair<const char*, QColor> colours[] = {
      {"frame-top", p.frameTop}, {"frame-bottom", p.frameBottom}, {"outline", p.outline},
      {"header", p.header},      {"accent", p.accent},            {"panel", p.panel},
      {"plate", p.plate},        {"screen", p.screen}};
  QByteArray text;
  for (const auto& [name, colour] : colours) text += QByteArray(name) + " = " + HexColour(colour).toLatin1() + "\r\n";
  return text;
}

QByteArray License() {
  return QByteArrayLiteral(
      "This skin is part of Vantrel and may be copied, changed and shared together with it\r\n"
      "or on its own, provided this notice stays with it.\r\n");
}

}  // namespace

EncodedSkin EncodeSkin(const SkinImages& skin) {
  EncodedSkin encoded;
  for (size_t i = 0; i < kSkinFileCount; ++i) encoded[i] = Encode(skin.images[i]);
  return encoded;
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) return true;
  std::fprintf(stderr, "skingen: cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
  return false;
}

bool WriteSkinFolder(const QString& folder, const EncodedSkin& skin) {
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "skingen: cannot make %s\n", qPrintable(folder));
    return false;
  }
  for (size_t i = 0; i < kSkinFileCount; ++i) {
    if (!WriteWholeFile(folder + '/' + FileName(static_cast<SkinFile>(i)), skin[i])) return false;
  }
  return true;
}

QByteArray BuildSkinPack(const SkinStyle& style, const EncodedSkin& skin) {
  ZipWriter zip(9);
  auto add = [&zip](const QString& name, const QByteArray& data) {
    ZipWriterEntry entry;
    entry.name = name.toStdString();
    entry.data = data.toStdString();
    entry.unixMode = 0100644;
    return zip.Add(entry);
  };
  bool ok = true;
  for (size_t i = 0; i < kSkinFileCount; ++i) ok = add(FileName(static_cast<SkinFile>(i)), skin[i]) && ok;
  ok = add("readme.txt", Readme(style)) && ok;
  ok = add("skin.ini", Ini(style)) && ok;
  ok = add("palette.txt", PaletteText(style)) && ok;
  ok = add("license.txt", License()) && ok;
  const QImage card = PreviewStrip(style, kPreviewFrame).copy(QRect(QPoint(0, 0), kPreviewFrame));
  ok = add("thumbnail.bmp", Encode(card.scaled(card.size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation))) && ok;
  if (!ok) return {};
  const std::string archive = zip.Finish();
  return QByteArray(archive.data(), static_cast<qsizetype>(archive.size()));
}

}  // namespace vantrel::skingen
