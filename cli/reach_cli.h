// ferrant-reach: the reach model's answers on the command line.
#pragma once

#include <istream>
#include <ostream>
#include <span>
#include <string_view>

namespace cli {

// Runs the tool with its arguments (without the program name); returns the
// exit code: 0 fine, 1 a batch row was bad, 2 bad arguments or batch header.
int run_reach(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
              std::ostream& err);

}  // namespace cli
