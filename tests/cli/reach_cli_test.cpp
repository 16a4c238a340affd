// ferrant-reach end to end: the built tool run with arguments and input.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

namespace {

struct Run {
  int exit_code;
  std::string out;
  std::string err;
};

std::string shell_quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string slurp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

Run run(std::initializer_list<std::string> args, const std::string& input = "") {
  // Tests may run in parallel: one set of files per test.
  const std::string base = testing::TempDir() + "ferrant_reach_" +
                           testing::UnitTest::GetInstance()->current_test_info()->name();
  const std::string in = base + ".in", out = base + ".out", err = base + ".err";
  std::ofstream(in, std::ios::binary) << input;
  std::string command = shell_quote(FERRANT_REACH_PATH);
  for (const auto& arg : args) {
    command += ' ';
    command += shell_quote(arg);
  }
  command += " <" + shell_quote(in) + " >" + shell_quote(out) + " 2>" + shell_quote(err);
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
}

// Exit code 2, nothing on stdout, and a message naming the problem.
void expect_usage_error(const Run& result, const std::string& message_part) {
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find(message_part), std::string::npos) << result.err;
}

TEST(ReachCli, VersionAndHelp) {
  const auto version = run({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out, "ferrant-reach 1.0\n");
  for (const char* subcommand : {"distance", "baserate", "table", "batch"}) {
    const auto help = run({subcommand, "--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_NE(help.out.find(std::string("Usage: ferrant-reach ") + subcommand), std::string::npos);
  }
  EXPECT_EQ(run({"--help"}).exit_code, 0);
}

TEST(ReachCli, DistanceInEveryFormat) {
  const auto csv = run({"distance", "--baserate", "3", "--format", "csv"});
  EXPECT_EQ(csv.exit_code, 0);
  EXPECT_EQ(csv.out,
            "diameter,baserate,line_rate_kbps,ferrant_m,ferrant_ft,pellion_m,pellion_ft,loop_ohm\n"
            "0.4,3,192,8512,27928,8300,27229,1166\n");
  const auto json = run({"distance", "--baserate=0036", "--diameter=1", "--format=json"});
  EXPECT_TRUE(json.out.starts_with("{\"diameter\":1.0,\"baserate\":36,\"line_rate_kbps\":2304,")) << json.out;
  EXPECT_TRUE(json.out.ends_with("}\n")) << json.out;
  const auto text = run({"distance", "--baserate", "1"});
  EXPECT_NE(text.out.find("8567 Meter = 28108 Feet"), std::string::npos);
  EXPECT_NE(text.out.find("8496 Meter = 27873 Feet"), std::string::npos);
}

TEST(ReachCli, BaserateAnswers) {
  const auto pellion = run({"baserate", "--distance", "5000", "--model", "PELLION", "--format", "csv"});
  EXPECT_EQ(pellion.out, "distance_m,diameter,model,baserate,line_rate_kbps\n5000,0.4,Pellion,17,1088\n");
  const auto none = run({"baserate", "--distance", "30000", "--diameter", "1.4", "--format", "json"});
  EXPECT_EQ(none.out,
            "{\"distance_m\":30000,\"diameter\":1.4,\"model\":null,\"baserate\":12,\"line_rate_kbps\":768}\n");
  const auto text = run({"baserate", "--distance", "0", "--model", "ferrant_ii"});
  EXPECT_NE(text.out.find("89 x 64kbit/s = 5696kbit/s"), std::string::npos) << text.out;
}

TEST(ReachCli, TableOfEveryCable) {
  const auto table = run({"table", "--diameter", "all", "--format", "csv"});
  EXPECT_EQ(table.exit_code, 0);
  std::istringstream lines(table.out);
  std::string line;
  int count = 0;
  std::string pellion_above_36, cable_14_row_3;
  while (std::getline(lines, line)) {
    ++count;
    if (line.starts_with("0.7,37,")) pellion_above_36 = line;
    if (line.starts_with("1.4,3,")) cable_14_row_3 = line;
  }
  EXPECT_EQ(count, 1 + 11 * 239);
  EXPECT_TRUE(pellion_above_36.ends_with(",0,0," + pellion_above_36.substr(pellion_above_36.rfind(',') + 1)));
  EXPECT_EQ(cable_14_row_3, "1.4,3,192,46802,153549,46607,152909,524");
  EXPECT_EQ(run({"table"}).out.substr(0, 8), "Diameter");
}

TEST(ReachCli, BadArgumentsAreRefused) {
  expect_usage_error(run({}), "no subcommand");
  expect_usage_error(run({"reach"}), "unknown subcommand \"reach\"");
  expect_usage_error(run({"distance", "--baserate", "abc"}), "a whole number 0..238");
  expect_usage_error(run({"distance", "--baserate", "239"}), "--baserate \"239\"");
  expect_usage_error(run({"distance", "--baserate", "-1"}), "--baserate \"-1\"");
  expect_usage_error(run({"distance"}), "missing --baserate");
  expect_usage_error(run({"distance", "--baserate", "3", "--speed", "1"}), "unknown option \"--speed\"");
  expect_usage_error(run({"baserate", "--distance", "30001"}), "0..30000");
  expect_usage_error(run({"baserate", "--distance", "100", "--diameter", "0.45"}), "1.3 or 1.4");
  expect_usage_error(run({"baserate", "--distance", "100", "--model", "Ferrant_V"}), "Ferrant_IV");
  expect_usage_error(run({"table", "--format", "xml"}), "text, csv or json");
  expect_usage_error(run({"batch", "--format", "text"}), "csv or json");
}

TEST(ReachCli, BatchKeepsEveryRowInPlace) {
  const auto result = run({"batch"},
                          "\xEF\xBB\xBFlink,diameter,distance_m,model\r\n"
                          "\"A, north\",0.4,5000,\r\n"
                          "B,0.4,5000,pellion\r\n"
                          "C,0.45,5000,\r\n"
                          "D,1.4,abc,\r\n"
                          "E,1.4,30000\r\n"
                          "F,1.0,0,Ferrant_II\r\n");
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.out,
            "link,diameter,distance_m,model,baserate,line_rate_kbps,error\n"
            "\"A, north\",0.4,5000,,29,1856,\n"
            "B,0.4,5000,pellion,17,1088,\n"
            "C,0.45,5000,,,,\"diameter \"\"0.45\"\" is not one of 0.4, 0.5, ..., 1.4\"\n"
            "D,1.4,abc,,,,\"distance_m \"\"abc\"\" is not a whole number 0..30000\"\n"
            "E,1.4,30000,,,,\"row has 3 fields, the header 4\"\n"
            "F,1.0,0,Ferrant_II,89,5696,\n");
}

TEST(ReachCli, BatchAsJsonLines) {
  const auto result = run({"batch", "--format", "json"}, "distance_m,diameter,note\n8550,0.4,x\n1,9,\"\"\n");
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.out,
            "{\"distance_m\":\"8550\",\"diameter\":\"0.4\",\"note\":\"x\",\"baserate\":1,\"line_rate_kbps\":64,"
            "\"error\":null}\n"
            "{\"distance_m\":\"1\",\"diameter\":\"9\",\"note\":\"\",\"baserate\":null,\"line_rate_kbps\":null,"
            "\"error\":\"diameter \\\"9\\\" is not one of 0.4, 0.5, ..., 1.4\"}\n");
}

TEST(ReachCli, BatchAllGoodRowsExitZero) {
  const auto result = run({"batch"}, "distance_m,diameter\n5042,0.4\n5043,0.4");
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.out, "distance_m,diameter,baserate,line_rate_kbps,error\n5042,0.4,29,1856,\n5043,0.4,28,1792,\n");
}

TEST(ReachCli, BatchHeaderProblems) {
  expect_usage_error(run({"batch"}, ""), "no header");
  expect_usage_error(run({"batch"}, "distance,diameter\n100,0.4\n"), "lacks \"distance_m\"");
  expect_usage_error(run({"batch"}, "distance_m,diameter,distance_m\n"), "twice");
  expect_usage_error(run({"batch"}, "distance_m,diameter,baserate\n"), "already has a column \"baserate\"");
  expect_usage_error(run({"batch"}, std::string(70000, 'h') + "\n1,2\n"), "unusable header");
}

TEST(ReachCli, BatchAbsurdLineIsAnErrorRow) {
  const auto result = run({"batch"}, "distance_m,diameter\n" + std::string(200000, 'x') + "\n100,0.4\n");
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.out.find("\n,,,,row longer than 65536 bytes\n100,0.4,"), std::string::npos);
}

}  // namespace
