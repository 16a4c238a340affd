// The page address's share of the program: a link that carries both panels'
// inputs, and the address following them as they change.
//
// The query's names and values are ferrant-reach's: baserate (as
// --baserate takes it), diameter (panel 1's, as --diameter), distance (as
// --distance, up to the window field's 30000), diameter2 (panel 2's) and
// model (as --model, in any case). At start-up each valid one is entered as
// the user would type or choose it, in the address's order, and the answers
// show before the first wait. A value the window would not take as it
// stands is refused with one line on standard error (in the browser, its
// console) saying which, why and what is accepted; the others still apply.
// Names the program does not know (`arg`, the page's command line) are left
// alone.
#pragma once

#include <array>
#include <string_view>

#include "app/state.h"

namespace app {

// The inputs' names, in the order new ones are added to the address.
inline constexpr std::array<std::string_view, kAddressInputs> kAddressNames = {"baserate", "diameter", "distance",
                                                                               "diameter2", "model"};

// Enters the address's parameters and notes the inputs the window then has.
void apply_address(ProgramState& state);

// When the window's inputs differ from those noted, shows them in the
// address: each known name where it stood (once), new ones after the rest,
// other parameters kept in place; a model box without a choice has no
// `model`.
void follow_address(ProgramState& state);

}  // namespace app
