// ferrant-calc's command line: without arguments the window opens; --help and
// --version print and end; anything else is a usage error. A pure function of
// the arguments, so that main() only prints what it returns.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace app {

struct CommandLine {
  bool open_window = true;
  int exit_code = 0;    // when the window is not opened: 0, or 2 for a usage error
  std::string output;   // for standard output
  std::string error;    // for standard error, one line
};

// `arguments` without the program name.
CommandLine read_command_line(std::span<const std::string_view> arguments);

}  // namespace app
