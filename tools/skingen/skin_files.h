#pragma once
#include <QByteArray>
#include <QString>
#include <array>

#include "skin/skin_set.h"
#include "tools/skingen/skin_builder.h"
#include "tools/skingen/style.h"

namespace vantrel::skingen {

// The skin's bitmaps as file bytes, in the order of the required names.
using EncodedSkin = std::array<QByteArray, kSkinFileCount>;
EncodedSkin EncodeSkin(const SkinImages& skin);

// Writes the bitmaps into `folder` (created when missing). False, with the reason on
// standard error, when a file cannot be written.
bool WriteSkinFolder(const QString& folder, const EncodedSkin& skin);

// The skin pack the update server hands out: the 27 bitmaps and five files about the skin,
// 32 entries in all.
QByteArray BuildSkinPack(const SkinStyle& style, const EncodedSkin& skin);
inline constexpr int kSkinPackEntries = 32;

// Writes `bytes` to `path` whole or not at all.
bool WriteWholeFile(const QString& path, const QByteArray& bytes);

}  // namespace vantrel::skingen
