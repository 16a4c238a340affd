#include "base/strict_text.h"

#include <algorithm>

namespace base {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::optional<int> parse_whole_number(std::string_view text, int max) {
  if (text.empty() || !std::all_of(text.begin(), text.end(), is_digit)) return std::nullopt;
  const auto first = text.find_first_not_of('0');
  const std::string_view significant = first == std::string_view::npos ? std::string_view{} : text.substr(first);
  if (significant.size() > 9) return std::nullopt;  // beyond any limit; no overflow
  int value = 0;
  for (const char c : significant) value = value * 10 + (c - '0');
  if (value > max) return std::nullopt;
  return value;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

std::string quote_for_message(std::string_view text) {
  constexpr std::size_t kMaxShown = 40;
  std::string quoted = "\"";
  for (std::size_t i = 0; i < text.size() && i < kMaxShown; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte < 0x7F) {
      quoted += static_cast<char>(byte);
    } else {
      constexpr char kHex[] = "0123456789ABCDEF";
      quoted += "\\x";
      quoted += kHex[byte >> 4];
      quoted += kHex[byte & 0xF];
    }
  }
  quoted += text.size() > kMaxShown ? "...\"" : "\"";
  return quoted;
}

}  // namespace base
