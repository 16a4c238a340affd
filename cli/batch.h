// ferrant-reach batch: the possible baserate for every row of a CSV file.
#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string_view>

#include "cli/output.h"

namespace cli {

struct BatchOptions {
  Format format = Format::kCsv;        // kCsv or kJson (one object per line)
  std::optional<char> delimiter;       // ',', ';' or '\t'; none: found from the header
  std::string_view input_name = "standard input";  // for messages
};

// Reads CSV whose header names distance_m and diameter, or sections, and
// optionally model; writes every row with baserate, line_rate_kbps and error
// appended, CSV in the input's delimiter or JSON Lines. Returns 0; 1 when a
// row was bad; 2 when the header is missing or unusable (then nothing is
// written to out) or the input cannot be read; 3 when out fails, at once
// and without a message (the caller says so).
int run_batch(std::istream& in, std::ostream& out, std::ostream& err, const BatchOptions& options);

}  // namespace cli
