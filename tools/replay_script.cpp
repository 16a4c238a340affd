#include "tools/replay_script.h"

#include <array>
#include <charconv>
#include <limits>

namespace replay {
namespace {

// What follows the action word.
enum class Arguments {
  None,         // tab, backtab, repaint, close, dump
  Gadget,       // clear G, openclose G, click G, focus G
  GadgetText,   // type G TEXT, paste G TEXT
  GadgetIndex,  // pick G INDEX
  Number,       // menu N
  Count,        // move N
  File,         // png FILE
};

struct ActionInfo {
  std::string_view name;
  Action action;
  Arguments arguments;
  std::string_view usage;
};

constexpr std::array<ActionInfo, 15> kActions{{
    {"type", Action::Type, Arguments::GadgetText, "type G TEXT"},
    {"paste", Action::Paste, Arguments::GadgetText, "paste G TEXT"},
    {"clear", Action::Clear, Arguments::Gadget, "clear G"},
    {"pick", Action::Pick, Arguments::GadgetIndex, "pick G INDEX"},
    {"openclose", Action::OpenClose, Arguments::Gadget, "openclose G"},
    {"click", Action::Click, Arguments::Gadget, "click G"},
    {"focus", Action::Focus, Arguments::Gadget, "focus G"},
    {"tab", Action::Tab, Arguments::None, "tab"},
    {"backtab", Action::Backtab, Arguments::None, "backtab"},
    {"menu", Action::Menu, Arguments::Number, "menu N"},
    {"move", Action::Move, Arguments::Count, "move N"},
    {"repaint", Action::Repaint, Arguments::None, "repaint"},
    {"close", Action::Close, Arguments::None, "close"},
    {"dump", Action::Dump, Arguments::None, "dump"},
    {"png", Action::Png, Arguments::File, "png FILE"},
}};

constexpr std::size_t kMaxQuotedLength = 40;

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim_blanks(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

// Splits at runs of blanks.
std::vector<std::string_view> split_blanks(std::string_view text) {
  std::vector<std::string_view> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && is_blank(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && !is_blank(text[i])) ++i;
    if (i > start) tokens.push_back(text.substr(start, i - start));
  }
  return tokens;
}

// A whole token of decimal digits with an optional minus sign.
std::optional<std::int64_t> parse_integer(std::string_view token) {
  std::int64_t value = 0;
  const char* end = token.data() + token.size();
  const auto [ptr, ec] = std::from_chars(token.data(), end, value);
  if (token.empty() || ec != std::errc{} || ptr != end) return std::nullopt;
  return value;
}

std::optional<int> parse_gadget(std::string_view token) {
  const auto value = parse_integer(token);
  if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(*value);
}

std::string quoted(std::string_view text) {
  std::string out = "\"";
  out += text.substr(0, kMaxQuotedLength);
  if (text.size() > kMaxQuotedLength) out += "...";
  out += '"';
  return out;
}

std::string known_actions() {
  std::string names;
  for (const ActionInfo& info : kActions) {
    if (!names.empty()) names += ", ";
    names += info.name;
  }
  return names;
}

// Parses the arguments of one action; an error message on failure.
std::optional<std::string> parse_arguments(const ActionInfo& info, std::string_view arguments,
                                           Command& command) {
  const std::string expected = "expected \"" + std::string(info.usage) + "\"";
  switch (info.arguments) {
    case Arguments::None:
      if (!trim_blanks(arguments).empty()) {
        // Built by appending: GCC 12 misreads "literal" + string here as an
        // overlapping copy (-Wrestrict).
        std::string message = "\"";
        message.append(info.name).append("\" takes no argument");
        return message;
      }
      return std::nullopt;
    case Arguments::Gadget:
    case Arguments::Number: {
      const auto tokens = split_blanks(arguments);
      const auto value = tokens.size() == 1 ? parse_gadget(tokens[0]) : std::nullopt;
      if (!value) return expected + " with a whole number";
      command.gadget = *value;
      command.number = *value;
      return std::nullopt;
    }
    case Arguments::Count: {
      const auto tokens = split_blanks(arguments);
      const auto value = tokens.size() == 1 ? parse_integer(tokens[0]) : std::nullopt;
      if (!value || *value < 0 || *value > kMaxMoves) {
        return expected + " with N from 0 to " + std::to_string(kMaxMoves);
      }
      command.number = *value;
      return std::nullopt;
    }
    case Arguments::GadgetIndex: {
      const auto tokens = split_blanks(arguments);
      const auto gadget = tokens.size() == 2 ? parse_gadget(tokens[0]) : std::nullopt;
      const auto index = tokens.size() == 2 ? parse_integer(tokens[1]) : std::nullopt;
      if (!gadget || !index) return expected + " with two whole numbers";
      command.gadget = *gadget;
      command.number = *index;
      return std::nullopt;
    }
    case Arguments::GadgetText: {
      // G ends at the first blank; TEXT is everything after that one blank.
      const std::size_t blank = arguments.find(' ');
      const auto gadget = parse_gadget(arguments.substr(0, blank));
      if (!gadget) return expected + ": G a whole number, then one blank and the text";
      command.gadget = *gadget;
      if (blank != std::string_view::npos) command.text = arguments.substr(blank + 1);
      return std::nullopt;
    }
    case Arguments::File:
      if (arguments.empty()) return expected + " with a file name";
      command.text = arguments;
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

std::string_view action_name(Action action) {
  for (const ActionInfo& info : kActions) {
    if (info.action == action) return info.name;
  }
  return {};
}

Script parse_script(std::string_view script) {
  Script result;
  int line_number = 0;
  while (!script.empty()) {
    ++line_number;
    const std::size_t newline = script.find('\n');
    std::string_view line = script.substr(0, newline);
    script.remove_prefix(newline == std::string_view::npos ? script.size() : newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    std::size_t start = 0;
    while (start < line.size() && is_blank(line[start])) ++start;
    line.remove_prefix(start);
    if (line.empty() || line.front() == '#') continue;

    const std::size_t word_end = line.find_first_of(" \t");
    const std::string_view word = line.substr(0, word_end);
    // The action word is followed by one blank (or tab) before its arguments.
    const std::string_view arguments =
        word_end == std::string_view::npos ? std::string_view{} : line.substr(word_end + 1);

    const ActionInfo* info = nullptr;
    for (const ActionInfo& candidate : kActions) {
      if (candidate.name == word) info = &candidate;
    }
    if (info == nullptr) {
      result.error = ParseError{line_number, "unknown action " + quoted(word) +
                                                 "; known actions: " + known_actions()};
      return result;
    }
    Command command;
    command.action = info->action;
    command.line = line_number;
    if (auto message = parse_arguments(*info, arguments, command)) {
      result.error = ParseError{line_number, std::move(*message)};
      return result;
    }
    result.commands.push_back(std::move(command));
  }
  return result;
}

}  // namespace replay
