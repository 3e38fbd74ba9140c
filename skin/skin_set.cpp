#include "skin/skin_set.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "skin/file_attributes.h"

namespace vantrel {

const std::array<const char*, kSkinFileCount> kRequiredSkinFiles = {
    "/skin_11.bmp",         "/skin_12.bmp",         "/skin_13.bmp",        "/skin_21.bmp",
    "/skin_22.bmp",         "/skin_23.bmp",         "/skin_31.bmp",        "/skin_32.bmp",
    "/skin_33.bmp",         "/skin_34.bmp",         "/button_close.bmp",   "/button_maximize.bmp",
    "/button_minimize.bmp", "/button_question.bmp", "/button_record.bmp",  "/arraw_down.bmp",
    "/skin_move_down.bmp",  "/arraw_right.bmp",     "/skin_move_right.bmp", "/button_heart.bmp",
    "/button_unheart.bmp",  "/about_back.bmp",      "/button_download.bmp", "/button_ok.bmp",
    "/button_cancel.bmp",   "/message_back.bmp",    "/preview.bmp",
};

const std::array<BuiltInSkin, 7> kBuiltInSkins = {{
    {u"Classic", kCmdSkinClassic, 65},
    {u"Metall", kCmdSkinMetall, 395},
    {u"Crossy", kCmdSkinCrossy, 120},
    {u"Panels", kCmdSkinPanels, 175},
    {u"Liquid", kCmdSkinLiquid, 230},
    {u"Flowers", kCmdSkinFlowers, 285},
    {u"Glamour", kCmdSkinGlamour, 340},
}};

std::filesystem::path SkinFilePath(const std::filesystem::path& skinFolder, SkinFile file) {
  return std::filesystem::path(skinFolder.native() + kRequiredSkinFiles[file]);
}

bool IsButtonStrip(SkinFile file) {
  switch (file) {
    case kButtonClose: case kButtonMaximize: case kButtonMinimize: case kButtonQuestion:
    case kButtonRecord: case kArrowDown: case kArrowRight: case kButtonHeart: case kButtonUnheart:
    case kButtonDownload: case kButtonOk: case kButtonCancel: case kPreview:
      return true;
    default:
      return false;
  }
}

const BuiltInSkin* FindBuiltInSkin(std::u16string_view name) {
  for (const BuiltInSkin& skin : kBuiltInSkins) {
    if (skin.name == name) return &skin;
  }
  return nullptr;
}

const BuiltInSkin* BuiltInSkinForCommand(int command) {
  for (const BuiltInSkin& skin : kBuiltInSkins) {
    if (skin.command == command) return &skin;
  }
  return nullptr;
}

std::u16string SkinName(const std::filesystem::path& skinFolder) { return skinFolder.filename().u16string(); }

bool SkinFileAttributesPass(std::uint32_t attributes) {
  return attributes == kAttrArchive || attributes == (kAttrArchive | kAttrReadOnly);
}

SkinFile FirstFailingSkinFile(const std::filesystem::path& skinFolder) {
  for (std::size_t i = 0; i < kSkinFileCount; ++i) {
    const auto file = static_cast<SkinFile>(i);
    if (!SkinFileAttributesPass(GetFileAttributes(SkinFilePath(skinFolder, file)))) return file;
  }
  return kSkinFileCount;
}

namespace {

std::string FoldAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

bool ListingOrder(const std::string& a, const std::string& b) {
  const std::string fa = FoldAscii(a), fb = FoldAscii(b);
  return fa != fb ? fa < fb : a < b;
}

}  // namespace

SkinCandidates ListSkinCandidates(const std::filesystem::path& skinsFolder) {
  SkinCandidates result;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(skinsFolder.c_str()), ::closedir);
  if (!dir) {
    result.error = errno != 0 ? errno : EIO;
    return result;
  }
  std::vector<std::string> names;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir.get());
    if (entry == nullptr) {
      if (errno != 0) {
        result.error = errno;
        return result;
      }
      break;
    }
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (GetFileAttributes(skinsFolder / name) == kAttrDirectory) names.push_back(name);
  }
  std::sort(names.begin(), names.end(), ListingOrder);
  for (const std::string& name : names) result.folders.push_back(skinsFolder / name);
  return result;
}

SkinDiscovery DiscoverSkins(const std::filesystem::path& skinsFolder) { return DiscoverSkins(skinsFolder, {}); }

SkinDiscovery DiscoverSkins(const std::filesystem::path& builtInFolder, const std::filesystem::path& userFolder) {
  SkinDiscovery result;
  SkinCandidates candidates = ListSkinCandidates(builtInFolder);
  if (candidates.error != 0) {
    result.status = SkinDiscovery::Status::kListingFailed;
    result.error = candidates.error;
    return result;
  }
  std::vector<std::filesystem::path> complete;
  for (std::filesystem::path& folder : candidates.folders) {
    if (FirstFailingSkinFile(folder) == kSkinFileCount) complete.push_back(std::move(folder));
  }
  if (!userFolder.empty() && userFolder != builtInFolder) {
    for (std::filesystem::path& folder : ListSkinCandidates(userFolder).folders) {
      if (FirstFailingSkinFile(folder) != kSkinFileCount) continue;
      const auto same = std::find_if(complete.begin(), complete.end(),
                                     [&](const auto& skin) { return SkinName(skin) == SkinName(folder); });
      if (same != complete.end())
        *same = std::move(folder);
      else
        complete.push_back(std::move(folder));
    }
    std::stable_sort(complete.begin(), complete.end(), [](const auto& a, const auto& b) {
      return ListingOrder(a.filename().string(), b.filename().string());
    });
  }
  result.skins = std::move(complete);
  if (result.skins.empty()) result.status = SkinDiscovery::Status::kNoValidSkin;
  return result;
}

const std::filesystem::path* FindSkinByName(const std::vector<std::filesystem::path>& skins, std::u16string_view name) {
  for (const std::filesystem::path& skin : skins) {
    if (SkinName(skin) == name) return &skin;
  }
  return nullptr;
}

const std::filesystem::path& ChooseSkin(const std::vector<std::filesystem::path>& skins, std::u16string_view setting) {
  const std::filesystem::path* named = FindSkinByName(skins, setting);
  return named != nullptr ? *named : skins.front();
}

}  // namespace vantrel
