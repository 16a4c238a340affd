// ferrant-reach's output formats, exit codes and messages; the model's numbers
// (checked in the model tests) only show that the right answer reaches them.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/reach_cli.h"

namespace {

struct Outcome {
  int exit_code;
  std::string out;
  std::string err;
};

Outcome run(const std::vector<std::string_view>& args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  const int exit_code = cli::run_reach(args, in, out, err);
  return {exit_code, out.str(), err.str()};
}

TEST(ReachCli, ExactOutputs) {
  struct Case { std::vector<std::string_view> args; std::string input; int exit_code; std::string out; };
  const Case cases[] = {
      {{"distance", "--baserate", "3", "--format", "csv"}, "", 0,
       "diameter,baserate,line_rate_kbps,ferrant_m,ferrant_ft,pellion_m,pellion_ft,loop_ohm\n"
       "0.4,3,192,8512,27928,8300,27229,1166\n"},
      {{"baserate", "--distance", "5000", "--model", "PELLION", "--format", "csv"}, "", 0,
       "distance_m,diameter,model,baserate,line_rate_kbps,loop_ohm\n5000,0.4,Pellion,17,1088,685\n"},
      {{"baserate", "--distance", "30000", "--diameter", "1.4", "--format", "JSON"}, "", 0,
       "{\"distance_m\":30000,\"diameter\":1.4,\"model\":null,\"baserate\":12,\"line_rate_kbps\":768,"
       "\"loop_ohm\":336}\n"},
      // Beyond the window's 30000 m: heavy cable's longest reach is 48415 m.
      {{"baserate", "--distance=48414", "--diameter=1.4", "--format=csv"}, "", 0,
       "distance_m,diameter,model,baserate,line_rate_kbps,loop_ohm\n48414,1.4,,1,64,542\n"},
      {{"baserate", "--distance", "100000", "--format", "Csv"}, "", 0,
       "distance_m,diameter,model,baserate,line_rate_kbps,loop_ohm\n100000,0.4,,0,0,13700\n"},
      // No baserate carries 20 km of 0.4 mm: length and share at baserate 1.
      {{"loop", "--section", "0.4:20000", "--format", "csv"}, "", 0,
       "baserate,line_rate_kbps,equivalent_m,loop_ohm\n0,0,20000,2740\n"},
      // Tabs, and loops in a sections column.
      {{"batch", "--delimiter", "TAB"}, "link\tsections\tmodel\nA\t0.4:2000 0,6:3000\tpellion\n", 0,
       "link\tsections\tmodel\tbaserate\tline_rate_kbps\tequivalent_m\tloop_ohm\terror\n"
       "A\t0.4:2000 0,6:3000\tpellion\t26\t1664\t4054\t456\t\n"},
  };
  for (const Case& c : cases) {
    const Outcome result = run(c.args, c.input);
    EXPECT_EQ(result.exit_code, c.exit_code) << c.args[0];
    EXPECT_EQ(result.out, c.out);
  }
}

TEST(ReachCli, OtherForms) {
  EXPECT_EQ(run({"--version"}).out, "ferrant-reach " FERRANT_VERSION "\n");
  for (const std::string_view subcommand : {"distance", "baserate", "loop", "table", "batch", "psd"}) {
    const auto help = run({subcommand, "--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_NE(help.out.find("Usage: ferrant-reach " + std::string(subcommand)), std::string::npos);
  }
  const auto json = run({"distance", "--baserate=0036", "--diameter=1", "--format=json"});
  EXPECT_TRUE(json.out.starts_with("{\"diameter\":1.0,\"baserate\":36,\"line_rate_kbps\":2304,")) << json.out;
  const auto text = run({"baserate", "--distance", "0", "--model", "ferrant_ii"});
  EXPECT_NE(text.out.find("89 x 64kbit/s = 5696kbit/s"), std::string::npos) << text.out;

  const auto table = run({"table", "--diameter", "all", "--format", "csv"});
  EXPECT_EQ(std::count(table.out.begin(), table.out.end(), '\n'), 1 + 11 * 239);
  EXPECT_TRUE(table.out.ends_with("\n1.4,238,15232,593,1945,0,0,7\n"));
  EXPECT_NE(table.out.find("\n0.7,37,2368,6752,22151,0,0,301\n"), std::string::npos);  // no Pellion above 36
  EXPECT_TRUE(run({"table"}).out.starts_with("Diameter"));

  const auto absurd = run({"batch"}, "distance_m,diameter\n" + std::string(200000, 'x') + "\n100,0.4\n");
  EXPECT_EQ(absurd.exit_code, 1);
  EXPECT_NE(absurd.out.find("\n,,,,,line 2: row longer than 65536 bytes\n100,0.4,"), std::string::npos);
}

// Exit code 2, nothing on standard output, and a message naming the problem.
TEST(ReachCli, BadArgumentsAndHeadersAreRefused) {
  struct Case { std::vector<std::string_view> args; std::string input; std::string_view message_part; };
  const Case cases[] = {
      {{}, "", "no subcommand"},
      {{"reach"}, "", "unknown subcommand \"reach\""},
      {{"distance", "--baserate", "abc"}, "", "a whole number 0..238"},
      {{"distance", "--baserate", "239"}, "", "--baserate \"239\""},
      {{"distance"}, "", "missing --baserate"},
      {{"distance", "--baserate", "3", "--speed", "1"}, "", "unknown option \"--speed\""},
      {{"baserate", "--distance", "100001"}, "", "0..100000"},
      {{"--version", "extra"}, "", "--version takes no arguments"},
      {{"--help", "distance"}, "", "--help takes no subcommand"},
      {{"distance", "--help", "extra"}, "", "unexpected argument \"extra\""},
      {{"distance", "--", "--baserate", "3"}, "", "unexpected argument \"--baserate\""},
      {{"distance", "--baserate", "3", "--baserate", "3"}, "", "--baserate given twice"},
      {{"distance", "--baserate"}, "", "--baserate needs a value"},
      {{"psd", "--baserate", "3", "--format", "text"}, "", "csv, json or svg"},
      {{"loop"}, "", "missing --section"},
      {{"loop", "--section", "0.4:60000", "--section", "0.5:40001"}, "", "more than 100000 m"},
      {{"batch", "--delimiter", "|"}, "a|b\n", ", or ; or tab"},
      {{"batch", "a.csv", "b.csv"}, "", "unexpected argument \"b.csv\""},
      {{"batch", "/nonexistent/links.csv"}, "", "cannot read \"/nonexistent/links.csv\": "},
      {{"baserate", "--distance", "100", "--diameter", "0.45"}, "", "1.3 or 1.4"},
      {{"baserate", "--distance", "100", "--model", "Ferrant_V"}, "", "Ferrant_IV"},
      {{"table", "--format", "xml"}, "", "text, csv or json"},
      {{"batch", "--format", "text"}, "", "csv or json"},
      {{"batch"}, "", "no header"},
      {{"batch"}, "distance;Durchmesser\n100;0.4\n",
       "no delimiter (comma, semicolon or tab) gives the header the required columns; split at commas it holds "
       "\"distance;Durchmesser\"; required: distance_m and diameter, or sections; optional: model"},
      {{"batch", "--delimiter", ";"}, "distance_m,diameter\n", "split at semicolons, the header holds"},
      {{"batch"}, "sections,distance_m,diameter\n", "both sections and distance_m"},
      {{"batch"}, "distance_m,diameter,distance_m\n", "twice"},
      {{"batch"}, "distance_m,diameter, BaseRate\n", "already has a column \" BaseRate\""},
      {{"batch", "--encoding", "utf-16"}, "", "--encoding \"utf-16\": expected utf-8, cp1252 or latin1"},
      {{"batch"}, std::string(70000, 'h') + "\n1,2\n", "unusable header"},
  };
  for (const Case& c : cases) {
    const Outcome result = run(c.args, c.input);
    EXPECT_EQ(result.exit_code, 2) << c.message_part;
    EXPECT_EQ(result.out, "") << c.message_part;
    EXPECT_NE(result.err.find(c.message_part), std::string::npos) << result.err;
  }
}

}  // namespace
