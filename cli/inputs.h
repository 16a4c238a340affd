// Strict readings of what a planner types on the command line or puts in a
// batch file: whole numbers, diameters and model names.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cli {

// Plain decimal digits (leading zeros allowed; no sign, blank or fraction)
// with a value in 0..max.
std::optional<int> parse_whole_number(std::string_view text, int max);

// The catalogue index of a diameter in mm, written as in the diameter box
// ("0.4" .. "1.4") or as an equal decimal number ("0.40", "1", ".5").
std::optional<std::size_t> find_cable(std::string_view text);

// The index in the model table of a model name, ignoring case.
std::optional<std::size_t> find_model(std::string_view text);

// A value as it may be quoted in a message: at most 40 characters, bytes
// outside printable ASCII written as \xNN.
std::string quote_for_message(std::string_view text);

}  // namespace cli
