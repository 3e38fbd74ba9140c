#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The files every skin folder must hold, in the order they are checked. The index of a name
// is how the windows address a skin image: current skin folder + name.
enum SkinFile : std::size_t {
  kSkin11, kSkin12, kSkin13, kSkin21, kSkin22, kSkin23, kSkin31, kSkin32, kSkin33, kSkin34,
  kButtonClose, kButtonMaximize, kButtonMinimize, kButtonQuestion, kButtonRecord,
  kArrowDown, kSkinMoveDown, kArrowRight, kSkinMoveRight,
  kButtonHeart, kButtonUnheart, kAboutBack, kButtonDownload,
  kButtonOk, kButtonCancel, kMessageBack, kPreview,
  kSkinFileCount
};
extern const std::array<const char*, kSkinFileCount> kRequiredSkinFiles;

// The skin folder followed by one of the names above.
std::filesystem::path SkinFilePath(const std::filesystem::path& skinFolder, SkinFile file);

// Button strips hold five pictures side by side.
bool IsButtonStrip(SkinFile file);
inline constexpr int kStripPictures = 5;
// The panels keep their background colour in these bytes of their pixel data.
inline constexpr std::size_t kPanelColourOffset = 50002;
inline constexpr std::size_t kPanelMinPixelBytes = kPanelColourOffset + 3;

// The skins that have a preview button and a switch command.
struct BuiltInSkin {
  std::u16string_view name;
  int command;
  int previewY;
};
inline constexpr int kPreviewX = 10;
// What an empty "Current Skin" setting becomes.
inline constexpr std::u16string_view kDefaultSkinName = u"Classic";
inline constexpr int kCmdSkinClassic = 37839;
inline constexpr int kCmdSkinMetall = 37840;
inline constexpr int kCmdSkinFlowers = 37841;
inline constexpr int kCmdSkinGlamour = 37852;
inline constexpr int kCmdSkinCrossy = 37854;
inline constexpr int kCmdSkinLiquid = 37855;
inline constexpr int kCmdSkinPanels = 37856;
// In the order their preview buttons join the main window.
extern const std::array<BuiltInSkin, 7> kBuiltInSkins;
const BuiltInSkin* FindBuiltInSkin(std::u16string_view name);  // exact, case-sensitive
const BuiltInSkin* BuiltInSkinForCommand(int command);

// A skin's name: its folder's last component.
std::u16string SkinName(const std::filesystem::path& skinFolder);

// The attribute words a required file may have: archive, or archive and read-only.
bool SkinFileAttributesPass(std::uint32_t attributes);
// Index of the first required file that fails the attribute rule, or kSkinFileCount when
// the folder is a complete skin.
SkinFile FirstFailingSkinFile(const std::filesystem::path& skinFolder);

// Direct subfolders of `skinsFolder` whose attribute word is exactly "directory", sorted by
// name (case-insensitively first, as the listing on the original platform comes).
struct SkinCandidates {
  int error = 0;  // errno of a listing that could not start or broke off; 0 otherwise
  std::vector<std::filesystem::path> folders;
};
SkinCandidates ListSkinCandidates(const std::filesystem::path& skinsFolder);

// The complete skins, in listing order.
struct SkinDiscovery {
  enum class Status { kOk, kListingFailed, kNoValidSkin };
  Status status = Status::kOk;
  int error = 0;
  std::vector<std::filesystem::path> skins;
};
SkinDiscovery DiscoverSkins(const std::filesystem::path& skinsFolder);
// The shipped skins and the user's together, in listing order: a complete user skin takes the
// place of the shipped one of the same name. The user's folder may be missing or unreadable
// (it only adds skins); the shipped folder's failures are reported as above.
SkinDiscovery DiscoverSkins(const std::filesystem::path& builtInFolder, const std::filesystem::path& userFolder);

// The skin whose name equals `name` exactly, or nullptr.
const std::filesystem::path* FindSkinByName(const std::vector<std::filesystem::path>& skins, std::u16string_view name);
// The skin named by the setting, else the first one (`skins` must not be empty).
const std::filesystem::path& ChooseSkin(const std::vector<std::filesystem::path>& skins, std::u16string_view setting);

}  // namespace vantrel
