#pragma once
// Channel names as the guide compares them: "Первый канал HD", "первый-канал hd" and
// "ПЕРВЫЙ КАНАЛ (HD)" are one name. Letters fold to lower case (Latin, Latin-1 and Cyrillic;
// ё counts as е), digits stay, and blanks, punctuation and symbols go.
#include <string>
#include <string_view>

namespace vantrel {

// The comparison key of a UTF-8 name; malformed bytes are left out.
std::string GuideNameKey(std::string_view utf8Name);

}  // namespace vantrel
