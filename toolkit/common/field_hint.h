// The hint a digits-only field shows when it refuses what was typed or
// pasted, decided once for the backends: when it shows, and what ends it.
// The backend presents it (show_field_hint / hide_field_hint in backend.h)
// and ends it by itself after kHintMilliseconds.
#pragma once

#include <cstdint>
#include <string_view>

namespace tk::common {

// A character typed into the text field `gadget` with these flags: whether
// the field takes it (toolkit/common/typing.h). A refused one shows the
// hint at the field; a taken one ends a hint that shows.
bool typed_into_field(int gadget, std::uint32_t flags, char32_t character);

// Text pasted into the field: the hint shows when the field would refuse a
// character of it typed (the paste itself goes in unfiltered).
void pasted_into_field(int gadget, std::uint32_t flags, std::string_view text);

// Ends a hint that shows: any other key, a click, a focus move. A focus
// event recorded through record_event() ends it too.
void dismiss_field_hint();

// The backend's timer ended the hint, or the toolkit closed: forget it
// without asking the backend to hide it.
void forget_field_hint();

// The field whose hint shows, -1 for none.
int field_hint_gadget();

}  // namespace tk::common
