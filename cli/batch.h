// ferrant-reach batch: the possible baserate for every row of a CSV file.
#pragma once

#include <istream>
#include <ostream>

#include "cli/output.h"

namespace cli {

// Reads CSV with a header naming distance_m and diameter (and optionally
// model) from in, writes every row with baserate, line_rate_kbps and error
// appended (CSV or JSON Lines). Returns 0, 1 when a row was bad, or 2 when
// the header is missing or unusable (then nothing is written to out).
int run_batch(std::istream& in, std::ostream& out, std::ostream& err, Format format);

}  // namespace cli
