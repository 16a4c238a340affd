// The ferrant-replay script parser: what each line becomes, and which lines
// are rejected with their line numbers.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tools/replay_script.h"

namespace {

using replay::Action;
using replay::parse_script;

int error_line(std::string_view script) {
  const replay::Script parsed = parse_script(script);
  return parsed.error ? parsed.error->line : 0;
}

TEST(ReplayScript, WhatEachLineBecomes) {
  struct Case { const char* line; Action action; int gadget; std::int64_t number; const char* text; };
  // The one number of click, focus, openclose, clear and menu is both G and N.
  const Case cases[] = {
      // TEXT is the rest of the line after one blank, blanks and "#" kept.
      {"type 0 12", Action::Type, 0, 0, "12"},
      {"paste 2  -5 x ", Action::Paste, 2, 0, " -5 x "},
      {"type 1", Action::Type, 1, 0, ""},
      {"paste 0 $EE\r", Action::Paste, 0, 0, "$EE"},  // CR LF line end
      {"paste 0 \xE2\x80\xA2 # not a comment", Action::Paste, 0, 0, "\xE2\x80\xA2 # not a comment"},
      {"png out dir/chart 1.png", Action::Png, 0, 0, "out dir/chart 1.png"},
      {"type 0 ", Action::Type, 0, 0, ""},          {"pick 3 10", Action::Pick, 3, 10, ""},
      {"pick 4 -1", Action::Pick, 4, -1, ""},      {"move 250", Action::Move, 0, 250, ""},
      {"menu 3", Action::Menu, 3, 3, ""},          {"click 999", Action::Click, 999, 999, ""},
      {"openclose 4", Action::OpenClose, 4, 4, ""}, {"focus 2", Action::Focus, 2, 2, ""},
      {"clear 2", Action::Clear, 2, 2, ""},        {"tab", Action::Tab, 0, 0, ""},
      {"backtab", Action::Backtab, 0, 0, ""},      {"repaint", Action::Repaint, 0, 0, ""},
      {"close", Action::Close, 0, 0, ""},          {"dump", Action::Dump, 0, 0, ""},
  };
  for (const Case& c : cases) {
    const replay::Script script = parse_script(c.line);
    ASSERT_FALSE(script.error) << c.line << ": " << script.error->message;
    ASSERT_EQ(script.commands.size(), 1u) << c.line;
    const replay::Command& command = script.commands.front();
    EXPECT_EQ(std::tie(command.action, command.gadget, command.number, command.text),
              std::tuple(c.action, c.gadget, c.number, std::string(c.text))) << c.line;
  }
}

TEST(ReplayScript, LineNumbersAndMalformedLines) {
  const auto commented = parse_script("# start\n\n   \ndump\r\n  # indented comment\nclose\n");
  ASSERT_EQ(commented.commands.size(), 2u);
  EXPECT_EQ(commented.commands[1].line, 6);
  EXPECT_TRUE(parse_script("").commands.empty());
  EXPECT_EQ(error_line("dump\njump\n"), 2);
  EXPECT_EQ(error_line("dump\ntype x 12"), 2);  // G not a number
  // Upper case, an empty G, missing or surplus numbers, a gadget number past
  // the range, a mouse-move count out of range, no file name, a NUL byte.
  const std::vector<std::string> bad_lines = {
      "DUMP", "type", "type  12", "pick 3", "pick 3 1 2", "pick 3 1.5", "click", "click 99999999999",
      "move -1", "move 1000001", "move 12abc", "tab 2", "png", "png ", std::string("\0", 1)};
  for (const std::string& line : bad_lines) EXPECT_EQ(error_line(line), 1) << line;
  const auto script = parse_script("dump\nfrobnicate 1\ndump\n");
  ASSERT_TRUE(script.error);
  EXPECT_NE(script.error->message.find("frobnicate"), std::string::npos);
  EXPECT_NE(script.error->message.find("type"), std::string::npos);  // says what is accepted
}

}  // namespace
