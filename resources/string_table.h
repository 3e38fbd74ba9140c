#pragma once
#include <string>
#include <string_view>

namespace vantrel {

// The Russian string table, by resource id (129..162, and the texts added since from 240 on).
// An unknown id gives an empty text.
// Id 145, the update server's base address, is the build-time default; the settings may
// override it (see updates/).
std::u16string_view LoadResString(int id);

}  // namespace vantrel
