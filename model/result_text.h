// The plain-text answers of the two queries, line by line: what
// `ferrant-reach distance` and `ferrant-reach baserate` print, and what the
// window copies as its results. One place, so the two can never differ.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace model {

// The highest baserate a modem model runs at; with no model, the highest
// baserate of all.
int model_limit(std::optional<std::size_t> modem);

// The pieces of the answers' lines, for answers built elsewhere: a line's
// label padded to the width of the longest, "K x 64kbit/s = Rkbit/s", and
// the model line with its limit.
void append_label(std::string& out, std::string_view label);
void append_rate(std::string& out, int baserate);
void append_model_line(std::string& out, std::optional<std::size_t> modem);

// What a link at `baserate` reaches on catalogue cable `cable`: the cable,
// the line rate, both models' distances and the loop resistance.
void append_distance_text(std::string& out, std::size_t cable, int baserate);

// The highest baserate that reaches `distance_m` on catalogue cable `cable`
// within the model's limit, with the distance in feet and the loop
// resistance.
void append_baserate_text(std::string& out, std::int64_t distance_m, std::size_t cable,
                          std::optional<std::size_t> modem);

}  // namespace model
