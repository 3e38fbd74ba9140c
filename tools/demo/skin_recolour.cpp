#include "tools/demo/skin_recolour.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "base/text_codec.h"
#include "skin/bmp_format.h"
#include "updates/zip/zip_archive.h"
#include "updates/zip/zip_writer.h"

namespace vantrel::demo {
namespace {

std::optional<std::string> ReadEntry(ZipArchive& zip, int index) {
  std::string data;
  std::string chunk(65'536, '\0');
  for (;;) {
    std::size_t got = 0;
    const ZipResult result = zip.ExtractToMemory(index, chunk.data(), chunk.size(), &got);
    if (result == kZipOk) return data;
    if (result != kZipMore) return std::nullopt;
    data.append(chunk.data(), got);
  }
}

std::string Replaced(std::string text, std::string_view from, std::string_view to) {
  if (from.empty()) return text;
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

bool EndsWith(std::string_view name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  return std::equal(suffix.begin(), suffix.end(), name.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                    [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? char(b - 'A' + 'a') : b); });
}

}  // namespace

std::uint32_t RotateHue(std::uint32_t rgb, double degrees) {
  rgb &= 0xFFFFFF;
  if (rgb == kKeyColour) return rgb;
  const double r = double(rgb >> 16 & 0xFF), g = double(rgb >> 8 & 0xFF), b = double(rgb & 0xFF);
  const double high = std::max({r, g, b}), low = std::min({r, g, b}), chroma = high - low;
  if (chroma == 0) return rgb;
  double hue = high == r ? std::fmod((g - b) / chroma, 6.0) : high == g ? (b - r) / chroma + 2 : (r - g) / chroma + 4;
  hue = std::fmod(hue * 60 + degrees, 360.0);
  if (hue < 0) hue += 360;
  // Back from hue, chroma and the lowest channel, which the turn leaves as they were.
  const double sector = hue / 60;
  const double middle = chroma * (1 - std::fabs(std::fmod(sector, 2.0) - 1));
  double channels[3] = {0, 0, 0};
  switch (static_cast<int>(sector) % 6) {
    case 0: channels[0] = chroma; channels[1] = middle; break;
    case 1: channels[0] = middle; channels[1] = chroma; break;
    case 2: channels[1] = chroma; channels[2] = middle; break;
    case 3: channels[1] = middle; channels[2] = chroma; break;
    case 4: channels[0] = middle; channels[2] = chroma; break;
    default: channels[0] = chroma; channels[2] = middle; break;
  }
  std::uint32_t turned = 0;
  for (double c : channels) turned = turned << 8 | static_cast<std::uint32_t>(std::clamp(std::lround(c + low), 0L, 255L));
  return turned == kKeyColour ? 0xFE00FF : turned;
}

std::optional<std::string> RecolourBitmap(std::string_view bmp, double degrees) {
  const std::span<const uint8_t> file(reinterpret_cast<const uint8_t*>(bmp.data()), bmp.size());
  BmpLayout layout;
  if (ParseBmpFile(file, layout) != BmpStatus::Ok) return std::nullopt;
  std::vector<uint32_t> pixels(std::size_t(layout.width) * std::size_t(layout.height));
  DecodeBmpPixels(layout, file.data() + kBmpFileHeaderSize, pixels.data(), std::size_t(layout.width) * 4);
  for (uint32_t& pixel : pixels) pixel = RotateHue(pixel, degrees);
  const std::vector<uint8_t> encoded =
      EncodeBmp24(layout.width, layout.height, pixels.data(), std::size_t(layout.width) * 4);
  if (encoded.empty()) return std::nullopt;
  return std::string(encoded.begin(), encoded.end());
}

std::optional<std::string> DeriveSkinPack(const std::filesystem::path& source, std::string_view newName,
                                          double degrees, std::string& problem) {
  const auto zip = ZipArchive::Open(source);
  if (!zip) {
    problem = source.string() + ": cannot be opened as a zip archive";
    return std::nullopt;
  }
  const std::string oldName = source.stem().string();
  ZipWriter writer(9);
  for (int i = 0; i < zip->EntryCount(); ++i) {
    ZipEntryInfo info;
    if (zip->GetEntry(i, info) != kZipOk) {
      problem = source.string() + ": entry " + std::to_string(i) + " cannot be read";
      return std::nullopt;
    }
    const std::string name = Utf16ToCp1251(info.name);
    std::optional<std::string> data = ReadEntry(*zip, i);
    if (data && EndsWith(name, ".bmp")) data = RecolourBitmap(*data, degrees);
    if (!data) {
      problem = source.string() + ": " + name + " cannot be read";
      return std::nullopt;
    }
    ZipWriterEntry entry;
    entry.name = name;
    entry.data = EndsWith(name, ".txt") || EndsWith(name, ".ini") ? Replaced(*data, oldName, newName) : *data;
    entry.unixMode = 0100644;
    if (!writer.Add(entry)) {
      problem = name + ": cannot be stored";
      return std::nullopt;
    }
  }
  return writer.Finish();
}

}  // namespace vantrel::demo
