#pragma once
// The guide addresses a playlist names: url-tvg / x-tvg-url may hold several, separated by
// commas.
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The addresses in order, trimmed of blanks, without empties or repeats.
std::vector<std::string> SplitGuideAddresses(std::string_view urlTvg);

}  // namespace vantrel
