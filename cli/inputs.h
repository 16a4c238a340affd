// Strict readings of what a planner types on the command line or puts in a
// batch file: whole numbers, diameters and model names.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/loop.h"
#include "model/result_text.h"

namespace cli {

// Plain decimal digits (leading zeros allowed; no sign, blank or fraction)
// with a value in 0..max.
std::optional<int> parse_whole_number(std::string_view text, int max);

// The longest distance the command line answers for, in metres; the
// window's field stops at 30000, but heavy cable reaches further.
inline constexpr int kMaxDistanceM = 100000;

// The catalogue index of a diameter in mm, written as in the diameter box
// ("0.4" .. "1.4") or as an equal decimal number ("0.40", "1", ".5"); with
// decimal_comma also with a comma for the point ("0,4"), as spreadsheets
// write it in locales that separate fields with semicolons.
std::optional<std::size_t> find_cable(std::string_view text, bool decimal_comma = false);

inline constexpr std::string_view kAcceptedDistance = "a whole number of metres 0..100000";
inline constexpr std::string_view kAcceptedModelNames = "Pellion, Ferrant_II, Ferrant_III or Ferrant_IV";

// The index in the model table of a model name, ignoring case.
std::optional<std::size_t> find_model(std::string_view text);

using model::model_limit;

// ASCII letters compared without regard to case.
bool equal_ignoring_case(std::string_view a, std::string_view b);

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

// A value as it may be quoted in a message: at most 40 characters, bytes
// outside printable ASCII written as \xNN.
std::string quote_for_message(std::string_view text);

}  // namespace cli
