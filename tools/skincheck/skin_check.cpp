#include "tools/skincheck/skin_check.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "skin/bmp_format.h"
#include "skin/file_attributes.h"
#include "skin/skin_set.h"

namespace vantrel {
namespace {

constexpr std::uintmax_t kLargestSkinFile = 64u << 20;

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

std::string FolderAttributeProblem(std::uint32_t attrs) {
  if (attrs == kInvalidFileAttributes) return "папки нет";
  if (attrs & kAttrReparsePoint) return "это ссылка, а не папка";
  if (!(attrs & kAttrDirectory)) return "это не папка";
  if (attrs & kAttrHidden) return "имя папки начинается с точки";
  if (attrs & kAttrReadOnly) return "папка только для чтения";
  return "у папки лишние атрибуты " + Hex(attrs);
}

std::string FileAttributeProblem(std::uint32_t attrs) {
  if (attrs == kInvalidFileAttributes) return "файла нет";
  if (attrs & kAttrReparsePoint) return "это ссылка, а не обычный файл";
  if (attrs & kAttrDirectory) return "это папка, а не файл";
  return "это не обычный файл (атрибуты " + Hex(attrs) + ")";
}

bool ReadWhole(const std::filesystem::path& path, std::vector<uint8_t>& bytes) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kLargestSkinFile) return false;
  std::ifstream in(path, std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return in.good() || in.eof();
}

class Reporter {
 public:
  explicit Reporter(SkinCheckReport& report) : m_report(report) {}
  void Problem(const std::string& file, const std::string& text) {
    const std::string line = file + ": " + text;
    m_report.lines.push_back(line);
    m_report.problems.push_back(line);
  }
  void Note(const std::string& file, const std::string& text) { m_report.lines.push_back(file + ": " + text); }

 private:
  SkinCheckReport& m_report;
};

void CheckBitmap(const std::string& name, SkinFile file, const std::vector<uint8_t>& bytes, Reporter& out) {
  BmpLayout layout;
  if (ParseBmpFile(bytes, layout) != BmpStatus::Ok) {
    out.Problem(name, "не правильный BMP-файл, программа не сможет его показать");
    return;
  }
  if (IsButtonStrip(file) && (layout.width < kStripPictures || layout.width % kStripPictures != 0)) {
    out.Problem(name, "ширина " + std::to_string(layout.width) + " не делится на пять одинаковых картинок");
  }
  if (file == kSkinMoveDown || file == kSkinMoveRight) {
    if (layout.imageSize < kPanelMinPixelBytes) {
      out.Problem(name, "всего " + std::to_string(layout.imageSize) + " байт пикселей, а цвет фона панели читается из байтов " +
                            std::to_string(kPanelColourOffset) + "-" + std::to_string(kPanelMinPixelBytes - 1));
    } else {
      const uint8_t* pixels = bytes.data() + kBmpFileHeaderSize + layout.pixelOffset;
      char colour[8];
      std::snprintf(colour, sizeof colour, "#%02X%02X%02X", pixels[kPanelColourOffset + 1], pixels[kPanelColourOffset],
                    pixels[kPanelColourOffset + 2]);
      out.Note(name, std::string("цвет фона панели ") + colour);
    }
  }
}

}  // namespace

SkinCheckReport CheckSkinFolder(const std::filesystem::path& folder) {
  SkinCheckReport report;
  Reporter out(report);
  const std::uint32_t folderAttrs = GetFileAttributes(folder);
  if (folderAttrs != kAttrDirectory) {
    report.dropped = true;
    out.Problem(folder.filename().string(), FolderAttributeProblem(folderAttrs) + ": программа не примет её как шкурку");
    // A folder with extra attributes still gets its files checked; anything else has none.
    const bool isFolder = folderAttrs != kInvalidFileAttributes && (folderAttrs & kAttrDirectory) != 0;
    if (!isFolder) return report;
  }
  for (std::size_t i = 0; i < kSkinFileCount; ++i) {
    const auto file = static_cast<SkinFile>(i);
    const std::string name = kRequiredSkinFiles[i] + 1;
    const std::filesystem::path path = SkinFilePath(folder, file);
    const std::uint32_t attrs = GetFileAttributes(path);
    if (!SkinFileAttributesPass(attrs)) {
      report.dropped = true;
      out.Problem(name, FileAttributeProblem(attrs) + ": шкурка будет отброшена");
      continue;
    }
    std::vector<uint8_t> bytes;
    if (!ReadWhole(path, bytes)) {
      out.Problem(name, "файл не читается или слишком велик");
      continue;
    }
    CheckBitmap(name, file, bytes, out);
  }
  return report;
}

}  // namespace vantrel
