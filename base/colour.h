// Colours as the window's drawing and the chart's pictures take them:
// r + 256 g + 65536 b, each component 0..255 (the platform's COLORREF layout).
#pragma once

#include <cstdint>

namespace base {

using Colour = std::int32_t;

constexpr Colour rgb(int r, int g, int b) {
  return static_cast<Colour>(r + 256 * g + 65536 * b);
}

}  // namespace base
