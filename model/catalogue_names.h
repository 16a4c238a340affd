// The catalogue's cables and modem models as a person names them, read
// strictly, and what each reading accepts, for the messages that refuse a
// value. Shared by the command line and the window's page address.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace model {

// The catalogue index of a diameter in mm, written as in the diameter box
// ("0.4" .. "1.4") or as an equal decimal number ("0.40", "1", ".5"); with
// decimal_comma also with a comma for the point ("0,4"), as spreadsheets
// write it in locales that separate fields with semicolons.
std::optional<std::size_t> find_cable(std::string_view text, bool decimal_comma = false);

// The index in the model table of a model name, ignoring case.
std::optional<std::size_t> find_model(std::string_view text);

inline constexpr std::string_view kAcceptedBaserate = "a whole number 0..238";
inline constexpr std::string_view kAcceptedDiameter = "0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0, 1.1, 1.2, 1.3 or 1.4";
inline constexpr std::string_view kAcceptedModelNames = "Pellion, Ferrant_II, Ferrant_III or Ferrant_IV";
inline constexpr std::string_view kAcceptedModel = "Pellion, Ferrant_II, Ferrant_III or Ferrant_IV (in any case)";

}  // namespace model
