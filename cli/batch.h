// ferrant-reach batch: the possible baserate for every row of a CSV file, the
// file given back with every field, line end and its encoding as it came.
#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string_view>

#include "cli/output.h"
#include "cli/text_input.h"

namespace cli {

struct BatchOptions {
  Format format = Format::kCsv;        // kCsv or kJson (one object per line)
  std::optional<char> delimiter;       // none: a "sep=" first line's, else found from the header
  Encoding unmarked = Encoding::kUtf8; // the input's encoding when it has no byte-order mark
  bool replace = false;                // result columns anywhere in the header are written over
  std::string_view input_name = "standard input";  // for messages
};

// Reads CSV whose header names distance_m and diameter, or sections, and
// optionally model; writes every row with its results (baserate,
// line_rate_kbps, equivalent_m for loops, loop_ohm, error) in columns of
// their own, written over the header's columns of those names when batch
// wrote them, else appended. CSV goes out in the input's delimiter, line
// ends and encoding; JSON Lines in UTF-8. Returns 0; 1 when a row was bad
// (said once on err); 2 when the header is missing or unusable (then
// nothing is written to out), the input cannot be read or is not text in
// its encoding; 3 when out fails, at once and without a message (the caller
// says so).
int run_batch(std::istream& in, std::ostream& out, std::ostream& err, const BatchOptions& options);

}  // namespace cli
