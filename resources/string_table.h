#pragma once
#include <string>
#include <string_view>

namespace vantrel {

// The Russian string table, by resource id (129..162, and the texts added since: 180..182,
// 240..241 and, in a table of their own, 400 on). An unknown id gives an empty text.
// Id 145, the update server's base address, is the build-time default, empty when the build
// names none; the settings or the command line may name one (see updates/).
std::u16string_view LoadResString(int id);

}  // namespace vantrel
