// What typing into a text field may insert, the same on every backend.
#pragma once

#include <cstdint>

#include "toolkit/toolkit.h"

namespace tk::common {

// Whether a text field with these flags takes a typed printable character:
// a digits-only field (kFlagNumber) refuses everything but 0-9. Pasted text
// is not typed and is not filtered.
constexpr bool field_takes_typed(std::uint32_t flags, char32_t character) {
  return (flags & kFlagNumber) == 0 || (character >= U'0' && character <= U'9');
}

}  // namespace tk::common
