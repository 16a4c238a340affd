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

std::optional<std::size_t> find_cable(std::string_view text, bool decimal_comma) {
  const auto point = text.find_first_of(decimal_comma ? ".," : ".");
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

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

std::optional<std::size_t> find_model(std::string_view text) {
  for (std::size_t i = 0; i < model::kModemModels.size(); ++i) {
    if (equal_ignoring_case(model::kModemModels[i].name, text)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> SectionList::add(std::string_view text, bool decimal_comma) {
  const auto colon = text.find(':');
  const auto cable = colon == std::string_view::npos ? std::nullopt : find_cable(text.substr(0, colon), decimal_comma);
  const auto length = colon == std::string_view::npos ? std::nullopt
                                                      : parse_whole_number(text.substr(colon + 1), kMaxDistanceM);
  if (!cable || !length) {
    return quote_for_message(text) + " is not D:M, a diameter 0.4, 0.5, ..., 1.4 and " +
           std::string(kAcceptedDistance);
  }
  // The messages are appended piece by piece: for "text" + std::to_string,
  // GCC 12 gives a wrong overlap warning in 32-bit builds.
  std::string too_much;
  if (count_ == items_.size()) {
    too_much = "more than ";
    too_much += std::to_string(items_.size());
    too_much += " sections";
    return too_much;
  }
  if (total_m_ + *length > model::kMaxLoopLengthM) {
    too_much = "the sections add up to more than ";
    too_much += std::to_string(model::kMaxLoopLengthM);
    too_much += " m";
    return too_much;
  }
  items_[count_++] = {*cable, *length};
  total_m_ += *length;
  return std::nullopt;
}

std::optional<std::string> parse_sections(std::string_view text, bool decimal_comma, SectionList& list) {
  list.clear();
  constexpr std::string_view kBlanks = " \t";
  for (auto start = text.find_first_not_of(kBlanks); start != std::string_view::npos;
       start = text.find_first_not_of(kBlanks, start)) {
    const auto end = std::min(text.find_first_of(kBlanks, start), text.size());
    if (auto problem = list.add(text.substr(start, end - start), decimal_comma)) return problem;
    start = end;
  }
  if (list.view().empty()) return std::string("no section; expected D:M pairs separated by blanks");
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
