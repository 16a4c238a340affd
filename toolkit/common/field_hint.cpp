#include "toolkit/common/field_hint.h"

#include <algorithm>
#include <string>

#include "base/utf8.h"
#include "toolkit/common/backend.h"
#include "toolkit/common/typing.h"

namespace tk::common {
namespace {

int& hint_gadget() {
  static int gadget = -1;
  return gadget;
}

void show(int gadget) {
  hint_gadget() = gadget;
  backend::show_field_hint(gadget, kRefusedHintTitle, kRefusedHintText, kHintMilliseconds);
}

}  // namespace

bool typed_into_field(int gadget, std::uint32_t flags, char32_t character) {
  if (field_takes_typed(flags, character)) {
    dismiss_field_hint();
    return true;
  }
  show(gadget);
  return false;
}

void pasted_into_field(int gadget, std::uint32_t flags, std::string_view text) {
  const std::u32string characters = base::decode_utf8(text);
  if (std::all_of(characters.begin(), characters.end(),
                  [flags](char32_t c) { return field_takes_typed(flags, c); })) {
    dismiss_field_hint();
  } else {
    show(gadget);
  }
}

void dismiss_field_hint() {
  if (hint_gadget() < 0) return;
  hint_gadget() = -1;
  backend::hide_field_hint();
}

void forget_field_hint() { hint_gadget() = -1; }

int field_hint_gadget() { return hint_gadget(); }

}  // namespace tk::common
