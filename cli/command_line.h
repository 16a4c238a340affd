// The command line taken apart: which subcommand, every value given for each
// of its options, and its plain arguments. CLI11 does the taking apart
// (--name VALUE, --name=VALUE, -- ending the options, repeated options); the
// subcommands check the values themselves, so that each message can say
// what is accepted.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct SubcommandSyntax {
  std::string_view name;
  std::span<const std::string_view> options;  // long names with "--", each takes one value
  std::size_t max_arguments;                  // plain arguments accepted (a FILE)
  std::span<const std::string_view> flags = {};  // long names with "--" that take no value
};

struct CommandLine {
  enum class Kind { kMainHelp, kVersion, kSubcommand, kError };
  Kind kind = Kind::kError;
  std::size_t subcommand = 0;  // index into the syntax table
  bool help = false;           // --help or -h given to the subcommand
  std::vector<std::vector<std::string>> values;  // per option, in the order given
  std::vector<int> flag_counts;                  // per flag, how often it was given
  std::vector<std::string> arguments;
  std::string error;  // for kError: what was wrong, and what is accepted
  std::string_view error_subcommand;  // for kError: the subcommand it concerns, if any
};

// The arguments without the program name.
CommandLine parse_command_line(std::span<const std::string_view> args,
                               std::span<const SubcommandSyntax> subcommands);

}  // namespace cli
