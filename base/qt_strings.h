#pragma once
#include <QString>
#include <string>
#include <string_view>

#include "resources/string_table.h"

namespace vantrel {

// The seam between the core's UTF-16 text and Qt's.
inline QString ToQString(std::u16string_view s) {
  return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::u16string ToU16(const QString& s) {
  return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size()));
}
inline QString ResString(int id) { return ToQString(LoadResString(id)); }

}  // namespace vantrel
