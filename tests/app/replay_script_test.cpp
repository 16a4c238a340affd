// The ferrant-replay script parser: what each line becomes. (The fuzz target
// replay_script checks that no line breaks it.)
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tools/replay_script.h"

namespace {

using replay::Action;
using replay::parse_script;

TEST(ReplayScript, WhatEachLineBecomes) {
  struct Case { const char* line; Action action; int gadget; std::int64_t number; const char* text; };
  // TEXT is the rest of the line after one blank, blanks and "#" kept. (The
  // other actions' lines run in the golden replays and the program test.)
  const Case cases[] = {
      {"paste 2  -5 x ", Action::Paste, 2, 0, " -5 x "},   {"type 1", Action::Type, 1, 0, ""},
      {"type 0 ", Action::Type, 0, 0, ""},                 {"paste 0 $EE\r", Action::Paste, 0, 0, "$EE"},  // CR LF
      {"paste 0 \xE2\x80\xA2 # not a comment", Action::Paste, 0, 0, "\xE2\x80\xA2 # not a comment"},
      {"png out dir/chart 1.png", Action::Png, 0, 0, "out dir/chart 1.png"},
      {"pick 4 -1", Action::Pick, 4, -1, ""},      {"tab", Action::Tab, 0, 0, ""},
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

}  // namespace
