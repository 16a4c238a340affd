// ferrant-reach: the reach model's answers on the command line.
#pragma once

#include <istream>
#include <ostream>
#include <span>
#include <string_view>

namespace cli {

inline constexpr int kExitFine = 0;
inline constexpr int kExitBadRows = 1;        // batch: some rows had errors; all were written
inline constexpr int kExitUsage = 2;          // bad arguments, or input that cannot be read
inline constexpr int kExitWriteFailed = 3;    // the output could not be written

// Runs the tool with its arguments (without the program name) and returns
// the exit code. `in` is standard input, read by batch without a FILE.
int run_reach(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
              std::ostream& err);

}  // namespace cli
