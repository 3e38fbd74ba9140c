#include "skin/skin_selection.h"

#include <cstring>

#include "base/message_box.h"
#include "base/program_path.h"
#include "base/qt_strings.h"
#include "base/restart.h"
#include "base/settings.h"
#include "resources/resource.h"
#include "skin/dib.h"

namespace vantrel {
namespace {

QString CurrentSkinSetting() { return GetProfileString(kSkinsSection, kCurrentSkinEntry); }

QString SystemErrorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

}  // namespace

std::optional<SkinChoice> SelectSkinAtStartup(const QString& skinForRun) {
  SkinDiscovery found = DiscoverSkins(FileLocation(DataFile::kShippedSkins), FileLocation(DataFile::kUserSkins));
  switch (found.status) {
    case SkinDiscovery::Status::kListingFailed:
      ShowSystemError(SystemErrorText(found.error), ResString(res::IDS_SKIN_SEARCH_ERROR));
      return std::nullopt;
    case SkinDiscovery::Status::kNoValidSkin:
      ShowSystemError(ResString(res::IDS_NO_SKINS), ResString(res::IDS_SKIN_SEARCH_ERROR));
      return std::nullopt;
    case SkinDiscovery::Status::kOk:
      break;
  }
  SkinChoice choice;
  const bool runSkinFound = FindSkinByName(found.skins, ToU16(skinForRun)) != nullptr;
  choice.current = ChooseSkin(found.skins, ToU16(runSkinFound ? skinForRun : CurrentSkinSetting()));
  choice.skins = std::move(found.skins);
  return choice;
}

std::vector<SkinPreviewButton> PreviewButtons(const SkinChoice& choice) {
  std::vector<SkinPreviewButton> buttons;
  for (const BuiltInSkin& skin : kBuiltInSkins) {
    const std::filesystem::path* folder = FindSkinByName(choice.skins, skin.name);
    if (folder == nullptr) continue;
    buttons.push_back({ToQString(skin.name), SkinFilePath(*folder, kPreview), skin.command, kPreviewX, skin.previewY});
  }
  return buttons;
}

QString ConfirmSkinSetting(SkinChoice& choice, const QString& skinForRun) {
  QString value = CurrentSkinSetting();
  if (value.isEmpty()) {
    value = ToQString(kDefaultSkinName);
    WriteProfileString(kSkinsSection, kCurrentSkinEntry, value);
  }
  if (!skinForRun.isEmpty() && FindSkinByName(choice.skins, ToU16(skinForRun)) != nullptr) value = skinForRun;
  if (const std::filesystem::path* named = FindSkinByName(choice.skins, ToU16(value))) choice.current = *named;
  return value;
}

QColor ReadPanelColour(const std::filesystem::path& panelImage) {
  CDib dib;
  if (!dib.LoadMapped(QString::fromStdString(panelImage.string()))) return Qt::white;
  const std::span<const uint8_t> pixels = dib.PixelBytes();
  if (pixels.size() >= kPanelMinPixelBytes) {
    return QColor(pixels[kPanelColourOffset + 1], pixels[kPanelColourOffset], pixels[kPanelColourOffset + 2]);
  }
  const QImage& image = dib.Image();
  return image.pixelColor(image.width() / 2, image.height() / 2);
}

std::optional<int> SwitchSkinCommand(int command) {
  const BuiltInSkin* skin = BuiltInSkinForCommand(command);
  if (skin == nullptr) return std::nullopt;
  WriteProfileString(kSkinsSection, kCurrentSkinEntry, ToQString(skin->name));
  if (ProgramFile().empty()) return kSkinErrorExitCode;
  StartNewProgramInstance();
  return 0;
}

}  // namespace vantrel
