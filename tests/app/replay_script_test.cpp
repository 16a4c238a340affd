// The ferrant-replay script parser: what each line becomes, and which lines
// are rejected with their line numbers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/replay_script.h"

namespace {

using replay::Action;
using replay::parse_script;

replay::Command only_command(std::string_view line) {
  const replay::Script script = parse_script(line);
  EXPECT_FALSE(script.error) << line << ": " << script.error->message;
  EXPECT_EQ(script.commands.size(), 1u) << line;
  return script.commands.empty() ? replay::Command{} : script.commands.front();
}

int error_line(std::string_view script) {
  const replay::Script parsed = parse_script(script);
  return parsed.error ? parsed.error->line : 0;
}

TEST(ReplayScript, TextIsTheRestOfTheLineAfterOneBlank) {
  auto c = only_command("type 0 12");
  EXPECT_EQ(c.action, Action::Type);
  EXPECT_EQ(c.gadget, 0);
  EXPECT_EQ(c.text, "12");

  c = only_command("paste 2  -5 x ");  // a leading and a trailing blank kept
  EXPECT_EQ(c.action, Action::Paste);
  EXPECT_EQ(c.gadget, 2);
  EXPECT_EQ(c.text, " -5 x ");

  EXPECT_EQ(only_command("type 0 ").text, "");
  EXPECT_EQ(only_command("type 0").text, "");
  EXPECT_EQ(only_command("paste 0 $EE\r").text, "$EE");  // CR LF line end
  EXPECT_EQ(only_command("paste 0 \xE2\x80\xA2 # not a comment").text, "\xE2\x80\xA2 # not a comment");
  EXPECT_EQ(only_command("png out dir/chart 1.png").text, "out dir/chart 1.png");
}

TEST(ReplayScript, NumbersOfEveryAction) {
  auto c = only_command("pick 3 10");
  EXPECT_EQ(c.action, Action::Pick);
  EXPECT_EQ(c.gadget, 3);
  EXPECT_EQ(c.number, 10);
  c = only_command("pick 4 -1");  // out of range is the toolkit's to ignore
  EXPECT_EQ(c.number, -1);
  EXPECT_EQ(only_command("move 250").number, 250);
  EXPECT_EQ(only_command("menu 3").number, 3);
  EXPECT_EQ(only_command("click 999").gadget, 999);
  EXPECT_EQ(only_command("openclose 4").action, Action::OpenClose);
  EXPECT_EQ(only_command("focus 2").action, Action::Focus);
  EXPECT_EQ(only_command("clear 2").action, Action::Clear);
  for (auto [line, action] : {std::pair{"tab", Action::Tab}, {"backtab", Action::Backtab},
                              {"repaint", Action::Repaint}, {"close", Action::Close},
                              {"dump", Action::Dump}}) {
    EXPECT_EQ(only_command(line).action, action) << line;
  }
}

TEST(ReplayScript, CommentsBlankLinesAndLineNumbers) {
  const auto script = parse_script("# start\n\n   \ndump\r\n  # indented comment\nclose\n");
  ASSERT_FALSE(script.error);
  ASSERT_EQ(script.commands.size(), 2u);
  EXPECT_EQ(script.commands[0].line, 4);
  EXPECT_EQ(script.commands[1].line, 6);
  EXPECT_TRUE(parse_script("").commands.empty());
}

TEST(ReplayScript, MalformedLinesAreReportedWithTheirNumber) {
  EXPECT_EQ(error_line("dump\njump\n"), 2);
  EXPECT_EQ(error_line("dump\ntype x 12"), 2);  // G not a number
  // Upper case, an empty G, missing or surplus numbers, a gadget number past
  // the range, a mouse-move count out of range, no file name, a NUL byte.
  const std::vector<std::string> bad_lines = {
      "DUMP", "type", "type  12", "pick 3", "pick 3 1 2", "pick 3 1.5", "click", "click 99999999999",
      "move -1", "move 1000001", "move 12abc", "tab 2", "png", "png ", std::string("\0", 1)};
  for (const std::string& line : bad_lines) {
    EXPECT_EQ(error_line(line), 1) << line;
  }
  const auto script = parse_script("dump\nfrobnicate 1\ndump\n");
  ASSERT_TRUE(script.error);
  EXPECT_NE(script.error->message.find("frobnicate"), std::string::npos);
  EXPECT_NE(script.error->message.find("type"), std::string::npos);  // says what is accepted
}

}  // namespace
