#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <optional>

#include "cli/inputs.h"

namespace cli {
namespace {

std::string subcommand_list(std::span<const SubcommandSyntax> subcommands) {
  std::string list;
  for (std::size_t i = 0; i < subcommands.size(); ++i) {
    if (i > 0) list += i + 1 == subcommands.size() ? " or " : ", ";
    list += subcommands[i].name;
  }
  return list;
}

std::string accepted_options(const SubcommandSyntax& syntax) {
  std::string list;
  for (const auto& names : {syntax.options, syntax.flags}) {
    for (const auto option : names) {
      list += option;
      list += ", ";
    }
  }
  return list + "--help";
}

// The first argument that nothing took: an unknown option or a surplus
// argument. CLI11 keeps a "--" that ended the options among them; it is no
// argument of its own.
std::optional<std::string> first_left_over(const std::vector<std::string>& left_over) {
  const auto found = std::find_if(left_over.begin(), left_over.end(), [](const std::string& arg) { return arg != "--"; });
  if (found == left_over.end()) return std::nullopt;
  return *found;
}

// Whether the argument comes after a "--", where it is no option whatever it
// looks like.
bool after_options_end(std::span<const std::string_view> args, std::string_view arg) {
  const auto options_end = std::find(args.begin(), args.end(), std::string_view("--"));
  return options_end < std::find(args.begin(), args.end(), arg);
}

CommandLine failure(std::string message, std::string_view subcommand = {}) {
  CommandLine line;
  line.kind = CommandLine::Kind::kError;
  line.error = std::move(message);
  line.error_subcommand = subcommand;
  return line;
}

}  // namespace

CommandLine parse_command_line(std::span<const std::string_view> args,
                               std::span<const SubcommandSyntax> subcommands) {
  const std::string no_subcommand = "no subcommand; expected " + subcommand_list(subcommands) + " (see ferrant-reach --help)";
  if (args.empty()) return failure(no_subcommand);

  // CLI11 only takes the command line apart: its own help and error texts are
  // replaced by the tool's, and unknown arguments are collected, not thrown.
  CLI::App app;
  app.set_help_flag();
  app.allow_extras();
  // Windows builds of CLI11 take /name for an option by default; a path
  // such as /data/links.csv is a FILE on every platform.
  app.allow_windows_style_options(false);
  app.require_subcommand(0, 1);  // a second subcommand name is a surplus argument
  bool main_help = false;
  bool version = false;
  app.add_flag("-h,--help", main_help);
  app.add_flag("--version", version);

  CommandLine line;
  struct Parsed {
    CLI::App* app;
    bool help = false;
    std::vector<std::vector<std::string>> values;
    std::vector<int> flag_counts;
    std::vector<std::string> arguments;
  };
  std::vector<Parsed> parsed(subcommands.size());
  for (std::size_t i = 0; i < subcommands.size(); ++i) {
    const SubcommandSyntax& syntax = subcommands[i];
    Parsed& slot = parsed[i];
    slot.app = app.add_subcommand(std::string(syntax.name));
    slot.app->set_help_flag();
    slot.app->allow_extras();
    slot.app->allow_windows_style_options(false);
    slot.app->add_flag("-h,--help", slot.help);
    slot.values.resize(syntax.options.size());
    for (std::size_t o = 0; o < syntax.options.size(); ++o) {
      // One value each time the option is given; repeats are collected so
      // that the subcommand decides whether they are allowed.
      slot.app->add_option(std::string(syntax.options[o]), slot.values[o])
          ->expected(1)
          ->allow_extra_args(false)
          ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    }
    slot.flag_counts.resize(syntax.flags.size());
    for (std::size_t f = 0; f < syntax.flags.size(); ++f) {
      slot.app->add_flag(std::string(syntax.flags[f]), slot.flag_counts[f]);
    }
    if (syntax.max_arguments > 0) slot.app->add_option("arguments", slot.arguments);
  }

  const auto chosen_subcommand = [&parsed] {
    return std::find_if(parsed.begin(), parsed.end(), [](const Parsed& p) { return p.app->parsed(); });
  };
  // CLI11 reads the arguments from the back of the vector.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ArgumentMismatch& e) {
    // "--name: 1 required TEXT missing": an option at the end without a value.
    const std::string what = e.what();
    const auto chosen = chosen_subcommand();
    const std::string_view context =
        chosen == parsed.end() ? std::string_view{} : subcommands[static_cast<std::size_t>(chosen - parsed.begin())].name;
    return failure(what.substr(0, what.find(':')) + " needs a value", context);
  } catch (const CLI::Error& e) {
    return failure(e.what());
  }

  const auto chosen = chosen_subcommand();
  const std::optional<std::string> main_left_over = first_left_over(app.remaining());
  if (main_help || version) {
    const std::string_view flag = main_help ? "--help" : "--version";
    if (main_help && version) return failure("--help and --version cannot be given together");
    if (chosen != parsed.end()) {
      return failure(std::string(flag) + " takes no subcommand; got " + quote_for_message(chosen->app->get_name()));
    }
    if (main_left_over) {
      return failure(std::string(flag) + " takes no arguments; got " + quote_for_message(*main_left_over));
    }
    line.kind = main_help ? CommandLine::Kind::kMainHelp : CommandLine::Kind::kVersion;
    return line;
  }
  if (chosen == parsed.end()) {
    if (!main_left_over) return failure(no_subcommand);
    const std::string what = main_left_over && main_left_over->starts_with("-") ? "unknown option " : "unknown subcommand ";
    return failure(what + quote_for_message(*main_left_over) +
                   "; expected a subcommand (" + subcommand_list(subcommands) + "), --help or --version");
  }

  const auto index = static_cast<std::size_t>(chosen - parsed.begin());
  const SubcommandSyntax& syntax = subcommands[index];
  // Left over in the subcommand: unknown options and surplus arguments;
  // after "--" they are left over in the main command.
  std::optional<std::string> left_over = first_left_over(chosen->app->remaining());
  if (!left_over) left_over = main_left_over;
  if (left_over && left_over->starts_with("-") && left_over->size() > 1 && !after_options_end(args, *left_over)) {
    return failure("unknown option " + quote_for_message(left_over->substr(0, left_over->find('='))) +
                       "; accepted: " + accepted_options(syntax),
                   syntax.name);
  }
  if (!left_over && chosen->arguments.size() > syntax.max_arguments) left_over = chosen->arguments[syntax.max_arguments];
  if (left_over) {
    const std::string accepted = syntax.max_arguments > 0 ? "one FILE and the options " : "only the options ";
    return failure("unexpected argument " + quote_for_message(*left_over) + "; " + std::string(syntax.name) + " takes " +
                       accepted + accepted_options(syntax),
                   syntax.name);
  }

  line.kind = CommandLine::Kind::kSubcommand;
  line.subcommand = index;
  line.help = chosen->help;
  line.values = std::move(chosen->values);
  line.flag_counts = std::move(chosen->flag_counts);
  line.arguments = std::move(chosen->arguments);
  return line;
}

}  // namespace cli
