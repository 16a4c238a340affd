// Strict readings of values a person writes (a command line, a batch file,
// a page address), and their quoting in messages. Pure functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace base {

// Plain decimal digits (leading zeros allowed; no sign, blank or fraction)
// with a value in 0..max.
std::optional<int> parse_whole_number(std::string_view text, int max);

// ASCII letters compared without regard to case.
bool equal_ignoring_case(std::string_view a, std::string_view b);

// A value as it may be quoted in a message: at most 40 characters, bytes
// outside printable ASCII written as \xNN.
std::string quote_for_message(std::string_view text);

}  // namespace base
