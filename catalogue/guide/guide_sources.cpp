#include "catalogue/guide/guide_sources.h"

#include <algorithm>

namespace vantrel {

std::vector<std::string> SplitGuideAddresses(std::string_view urlTvg) {
  std::vector<std::string> addresses;
  std::size_t from = 0;
  while (from <= urlTvg.size()) {
    std::size_t end = urlTvg.find(',', from);
    if (end == std::string_view::npos) end = urlTvg.size();
    std::string_view address = urlTvg.substr(from, end - from);
    while (!address.empty() && std::string_view(" \t\r\n").find(address.front()) != std::string_view::npos)
      address.remove_prefix(1);
    while (!address.empty() && std::string_view(" \t\r\n").find(address.back()) != std::string_view::npos)
      address.remove_suffix(1);
    if (!address.empty() && std::find(addresses.begin(), addresses.end(), address) == addresses.end())
      addresses.emplace_back(address);
    from = end + 1;
  }
  return addresses;
}

}  // namespace vantrel
