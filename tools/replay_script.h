// The script language of ferrant-replay: one user action per line.
//
//   type G TEXT    paste G TEXT    clear G        pick G INDEX
//   openclose G    click G         focus G        tab     backtab
//   menu N         move N          repaint        close   dump
//   png FILE       # comment       (blank lines are skipped)
//
// TEXT is the rest of the line after the one blank that follows G, as it
// stands (empty, or holding blanks); FILE likewise after "png". A line ending
// in CR LF loses its CR. The whole script is parsed before anything runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace replay {

enum class Action {
  Type, Paste, Clear, Pick, OpenClose, Click, Focus, Tab, Backtab,
  Menu, Move, Repaint, Close, Dump, Png,
};

// Upper bound of "move N", so that a typo cannot make a script run for hours.
inline constexpr std::int64_t kMaxMoves = 1'000'000;

struct Command {
  Action action = Action::Dump;
  int line = 0;          // 1-based line number in the script
  int gadget = 0;        // G
  std::int64_t number = 0;  // INDEX of pick, N of menu and move
  std::string text;      // TEXT of type and paste, FILE of png
};

struct ParseError {
  int line = 0;
  std::string message;  // what was wrong and what is accepted
};

struct Script {
  std::vector<Command> commands;
  std::optional<ParseError> error;  // the first malformed line, if any
};

Script parse_script(std::string_view script);

// The name of an action as scripts spell it.
std::string_view action_name(Action action);

}  // namespace replay
