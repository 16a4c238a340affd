// Whole-text comparison as a pick-only list's exact search does it: equal
// length, ASCII letters compared without case, every other byte as it is.
#pragma once

#include <algorithm>
#include <string_view>

namespace tk::common {

inline bool equal_ignoring_case(std::string_view a, std::string_view b) {
  const auto fold = [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [&](char x, char y) { return fold(x) == fold(y); });
}

}  // namespace tk::common
