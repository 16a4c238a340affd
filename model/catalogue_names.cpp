#include "model/catalogue_names.h"

#include <algorithm>

#include "base/strict_text.h"
#include "model/cable_catalogue.h"

namespace model {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

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
  const auto first = whole.find_first_not_of('0');
  const std::string_view whole_digits = first == std::string_view::npos ? std::string_view{} : whole.substr(first);
  if (whole_digits.size() > 1) return std::nullopt;
  // Tenths of a millimetre; digits after the tenths must be zeros.
  int tenths = whole_digits.empty() ? 0 : (whole_digits[0] - '0') * 10;
  if (!fraction.empty()) {
    tenths += fraction[0] - '0';
    if (fraction.find_first_not_of('0', 1) != std::string_view::npos) return std::nullopt;
  }
  constexpr int kFirstTenths = 4;
  const int index = tenths - kFirstTenths;
  if (index < 0 || index >= static_cast<int>(kCableCatalogue.size())) return std::nullopt;
  return static_cast<std::size_t>(index);
}

std::optional<std::size_t> find_model(std::string_view text) {
  for (std::size_t i = 0; i < kModemModels.size(); ++i) {
    if (base::equal_ignoring_case(kModemModels[i].name, text)) return i;
  }
  return std::nullopt;
}

}  // namespace model
