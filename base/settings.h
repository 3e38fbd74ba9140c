#pragma once
#include <QString>
#include <optional>

namespace vantrel {

// The per-user settings store: company "Vantrel Applications", application the program
// file's name without extension, one section per group. On Linux this is
// $XDG_CONFIG_HOME/Vantrel Applications/<name>.conf; tests point XDG_CONFIG_HOME elsewhere.
inline constexpr const char* kSettingsCompany = "Vantrel Applications";

// The value, or `defaultValue` when it is absent or the store cannot be read.
QString GetProfileString(const QString& section, const QString& entry, const QString& defaultValue = {});
// Writes the value; std::nullopt deletes it. Returns false when the store cannot be written.
bool WriteProfileString(const QString& section, const QString& entry, const std::optional<QString>& value);

// Settings names used across the program.
inline constexpr const char* kSkinsSection = "Skins";
inline constexpr const char* kCurrentSkinEntry = "Current Skin";
inline constexpr const char* kUpdateSection = "Update";
inline constexpr const char* kUserNameEntry = "User Name";
inline constexpr const char* kServerEntry = "Server";

}  // namespace vantrel
