#include "cli/inputs.h"

#include <algorithm>

#include "model/cable_catalogue.h"

namespace cli {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view strip_leading_zeros(std::string_view digits) {
  const auto first = digits.find_first_not_of('0');
  return first == std::string_view::npos ? std::string_view{} : digits.substr(first);
}

}  // namespace

std::optional<int> parse_whole_number(std::string_view text, int max) {
  if (text.empty() || !std::all_of(text.begin(), text.end(), is_digit)) return std::nullopt;
  const std::string_view significant = strip_leading_zeros(text);
  if (significant.size() > 9) return std::nullopt;  // beyond any limit; no overflow
  int value = 0;
  for (const char c : significant) value = value * 10 + (c - '0');
  if (value > max) return std::nullopt;
  return value;
}

std::optional<std::size_t> find_cable(std::string_view text) {
  const auto point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
  if (whole.empty() && fraction.empty()) return std::nullopt;
  if (!std::all_of(whole.begin(), whole.end(), is_digit) ||
      !std::all_of(fraction.begin(), fraction.end(), is_digit)) {
    return std::nullopt;
  }
  const std::string_view whole_digits = strip_leading_zeros(whole);
  if (whole_digits.size() > 1) return std::nullopt;
  // Tenths of a millimetre; digits after the tenths must be zeros.
  int tenths = whole_digits.empty() ? 0 : (whole_digits[0] - '0') * 10;
  if (!fraction.empty()) {
    tenths += fraction[0] - '0';
    if (fraction.find_first_not_of('0', 1) != std::string_view::npos) return std::nullopt;
  }
  constexpr int kFirstTenths = 4;
  const int index = tenths - kFirstTenths;
  if (index < 0 || index >= static_cast<int>(model::kCableCatalogue.size())) return std::nullopt;
  return static_cast<std::size_t>(index);
}

std::optional<std::size_t> find_model(std::string_view text) {
  for (std::size_t i = 0; i < model::kModemModels.size(); ++i) {
    const std::string_view name = model::kModemModels[i].name;
    if (name.size() == text.size() &&
        std::equal(name.begin(), name.end(), text.begin(),
                   [](char a, char b) { return lower(a) == lower(b); })) {
      return i;
    }
  }
  return std::nullopt;
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

}  // namespace cli
