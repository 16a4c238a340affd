#include "cli/inputs.h"

#include <algorithm>

namespace cli {

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

}  // namespace cli
