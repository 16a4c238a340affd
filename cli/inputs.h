// Strict readings of what a planner types on the command line or puts in a
// batch file: whole numbers, diameters and model names (the readers
// themselves live below, shared with the window), and loops of sections.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/strict_text.h"
#include "model/catalogue_names.h"
#include "model/loop.h"
#include "model/result_text.h"

namespace cli {

using base::equal_ignoring_case;
using base::parse_whole_number;
using base::quote_for_message;
using model::find_cable;
using model::find_model;
using model::kAcceptedModelNames;

// The longest distance the command line answers for, in metres; the
// window's field stops at 30000, but heavy cable reaches further.
inline constexpr int kMaxDistanceM = 100000;

inline constexpr std::string_view kAcceptedDistance = "a whole number of metres 0..100000";

using model::model_limit;

// The sections of one loop, held without allocation.
class SectionList {
 public:
  std::span<const model::LoopSection> view() const { return {items_.data(), count_}; }
  void clear() {
    count_ = 0;
    total_m_ = 0;
  }
  // Reads "D:M" (a diameter as find_cable reads it, a whole number of
  // metres) and adds it; the problem, if the text is no such section or the
  // loop would grow beyond 16 sections or 100000 m.
  std::optional<std::string> add(std::string_view text, bool decimal_comma);

 private:
  std::array<model::LoopSection, model::kMaxLoopSections> items_{};
  std::size_t count_ = 0;
  std::int64_t total_m_ = 0;
};

// Reads a loop written as sections separated by blanks ("0.4:2000 0.6:3000")
// into list; the problem, if any.
std::optional<std::string> parse_sections(std::string_view text, bool decimal_comma, SectionList& list);

}  // namespace cli
