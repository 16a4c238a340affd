#include "base/text_conv.h"

#include <charconv>
#include <limits>

namespace base {
namespace {

// Value of a digit in the given base, or -1 when the character is none.
int digit_value(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') {
    value = c - '0';
  } else if (c >= 'A' && c <= 'F') {
    value = c - 'A' + 10;
  } else if (c >= 'a' && c <= 'f') {
    value = c - 'a' + 10;
  }
  return value < base ? value : -1;
}

}  // namespace

std::int64_t parse_int(std::string_view text) { return parse_int_prefix(text).value; }

ParsedInt parse_int_prefix(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;

  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
    negative = text[pos] == '-';
    ++pos;
  }

  int base = 10;
  if (pos < text.size() && text[pos] == '$') {
    base = 16;
    ++pos;
  } else if (pos < text.size() && text[pos] == '%') {
    base = 2;
    ++pos;
  }

  // The magnitude saturates instead of wrapping: digits past the 64-bit
  // range read as the largest value.
  constexpr std::uint64_t kMaxMagnitude = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t magnitude = 0;
  const std::size_t first_digit = pos;
  for (; pos < text.size(); ++pos) {
    const int digit = digit_value(text[pos], base);
    if (digit < 0) break;
    const auto d = static_cast<std::uint64_t>(digit);
    const auto b = static_cast<std::uint64_t>(base);
    magnitude = magnitude > (kMaxMagnitude - d) / b ? kMaxMagnitude : magnitude * b + d;
  }

  const std::size_t length = pos > first_digit ? pos : 0;

  constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  if (negative) {
    if (magnitude > kMax) return {std::numeric_limits<std::int64_t>::min(), length};
    return {-static_cast<std::int64_t>(magnitude), length};
  }
  return {magnitude > kMax ? std::numeric_limits<std::int64_t>::max()
                           : static_cast<std::int64_t>(magnitude),
          length};
}

std::string format_int(std::int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return std::string(digits, result.ptr);
}

}  // namespace base
