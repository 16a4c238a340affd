// Text to integer and integer to text, as the program's number fields and
// labels use them. Pure functions, shared by the toolkit, the program and the
// command-line tool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace base {

// Leading blanks and tabs skipped, one optional sign, then "$" hexadecimal,
// "%" binary or decimal digits up to the first other character; no digits
// give 0. Digits past the 64-bit range saturate (to INT64_MAX, or INT64_MIN
// after a minus sign) so that an absurd paste reads as huge, never wraps.
std::int64_t parse_int(std::string_view text);

// parse_int's value together with how much of the text the number took: the
// characters up to and including its last digit, 0 when it has no digits. A
// length short of the text's means the text holds more than the number.
struct ParsedInt {
  std::int64_t value = 0;
  std::size_t length = 0;
};
ParsedInt parse_int_prefix(std::string_view text);

// Plain decimal digits, no grouping, no leading zeros; a negative value gets
// a leading minus sign.
std::string format_int(std::int64_t value);

}  // namespace base
