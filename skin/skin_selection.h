#pragma once
#include <QColor>
#include <QString>
#include <filesystem>
#include <optional>
#include <vector>

#include "skin/skin_set.h"

namespace vantrel {

// The skins of this run, as the main window keeps them.
struct SkinChoice {
  std::vector<std::filesystem::path> skins;  // complete skin folders, in listing order
  std::filesystem::path current;             // the skin in use
  std::filesystem::path File(SkinFile file) const { return SkinFilePath(current, file); }
};

// The exit code after a skin error at start-up, and after a switch when the program's own
// path is unknown.
inline constexpr int kSkinErrorExitCode = -1;

// Finds the shipped and the user's skins (merged, see DiscoverSkins) and picks the one the setting names, else the first.
// When there is no skins folder, the listing fails or no skin is complete, the system's
// error box has been shown and nothing comes back: the caller ends with kSkinErrorExitCode.
// `skinForRun`, when it names a skin, is taken ahead of the setting and leaves it alone.
std::optional<SkinChoice> SelectSkinAtStartup(const QString& skinForRun = {});

// One preview button of the main window.
struct SkinPreviewButton {
  QString name;
  std::filesystem::path image;  // the skin's preview strip
  int command;
  int x;
  int y;
};
// The preview buttons for the built-in names among the skins, in the order they join the
// window. Skins of other names have none.
std::vector<SkinPreviewButton> PreviewButtons(const SkinChoice& choice);

// The second read of the setting, once the preview buttons exist: an empty value becomes
// "Classic" and is written back; a skin of that name becomes the current folder (the
// message box and the about window then use it). Answers the value: the preview button of
// that name is the one switched on. A `skinForRun` that names a skin stays current and is the
// answer; the setting is still defaulted.
QString ConfirmSkinSetting(SkinChoice& choice, const QString& skinForRun = {});

// A panel's background colour, for the channel tree and the favourites list: the bytes at
// 50003, 50002 and 50004 of its pixel data are red, green and blue. A panel with less pixel
// data than that takes the colour of its centre pixel; an image that cannot be loaded (the
// bitmap messages have been shown) gives white.
QColor ReadPanelColour(const std::filesystem::path& panelImage);

// A skin switch command: stores the skin's name and starts the kept program file as a new
// process, also when the skin is already current. Answers nothing for other commands, else
// the code the caller ends this process with: 0, or kSkinErrorExitCode when the program's
// own path is unknown.
std::optional<int> SwitchSkinCommand(int command);

}  // namespace vantrel
