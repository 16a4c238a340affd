// Strict readings of command-line and batch values, and the output spellings
// (model names are read in the tool's tests).
#include <gtest/gtest.h>

#include <utility>

#include "cli/inputs.h"
#include "cli/output.h"

namespace {

TEST(ParseWholeNumber, DigitsOnlyWithinTheLimit) {
  for (const auto& [text, value] : {std::pair{"0", 0}, {"238", 238}, {"0050", 50}, {"000000000000000000000007", 7}}) {
    EXPECT_EQ(cli::parse_whole_number(text, 238), value) << text;
  }
  for (const char* bad : {"", "239", "-1", "+1", " 1", "1 ", "1.0", "$EE", "%101", "abc", "99999999999999999999"}) {
    EXPECT_EQ(cli::parse_whole_number(bad, 238), std::nullopt) << bad;
  }
}

TEST(FindCable, BoxItemsAndEqualNumbers) {
  for (const auto& [text, index] : {std::pair{"0.4", 0u}, {"0.40", 0u}, {".4", 0u}, {"1", 6u}, {"1.0", 6u},
                                    {"1.", 6u}, {"01.400", 10u}}) {
    EXPECT_EQ(cli::find_cable(text), index) << text;
  }
  for (const char* bad : {"", ".", "0.3", "1.5", "0.45", "0.401", "4", "10", "-0.4", "0,4", " 0.4", "0.4mm", "1e0"}) {
    EXPECT_EQ(cli::find_cable(bad), std::nullopt) << bad;
  }
  // A decimal comma only where the caller allows it (semicolon or tab files).
  EXPECT_EQ(cli::find_cable("0,4", true), 0u);
  EXPECT_EQ(cli::find_cable("1,40", true), 10u);
  EXPECT_EQ(cli::find_cable("0,4.0", true), std::nullopt);
}

TEST(Sections, BlankSeparatedPairsWithinTheLoopLimits) {
  cli::SectionList list;
  EXPECT_EQ(cli::parse_sections(" 0.4:2000\t 0,6:3000 ", true, list), std::nullopt);
  ASSERT_EQ(list.view().size(), 2u);
  EXPECT_EQ(list.view()[1].cable, 2u);
  EXPECT_EQ(list.view()[1].length_m, 3000);

  std::string seventeen_sections;
  for (int i = 0; i < 17; ++i) seventeen_sections += "1.4:1 ";
  const std::pair<std::string, std::string_view> bad[] = {
      {"", "no section"},
      {"0.4", "is not D:M"},
      {"0.4:2000 0,6:3000", "is not D:M"},  // no decimal comma in comma files
      {"0.45:10", "is not D:M"},
      {"0.4:-1", "is not D:M"},
      {"0.4:60000 1.4:40001", "more than 100000 m"},
      {seventeen_sections, "more than 16 sections"},
  };
  for (const auto& [text, message] : bad) {
    const auto problem = cli::parse_sections(text, false, list);
    ASSERT_TRUE(problem.has_value()) << text;
    EXPECT_NE(problem->find(message), std::string::npos) << *problem;
  }
  // Reused for the next row: the totals start again.
  EXPECT_EQ(cli::parse_sections("0.4:100000", false, list), std::nullopt);
}

TEST(Output, CsvAndJsonSpellings) {
  std::string out;
  cli::append_csv_field(out, "plain");
  out += '|';
  cli::append_csv_field(out, "a,\"b\"\n");
  EXPECT_EQ(out, "plain|\"a,\"\"b\"\"\n\"");
  out.clear();
  cli::append_csv_field(out, "a,b", ';');
  cli::append_csv_field(out, "c;d", ';');
  EXPECT_EQ(out, "a,b\"c;d\"");


  const auto json = [](std::string_view text) {
    std::string quoted;
    cli::append_json_string(quoted, text);
    return quoted;
  };
  EXPECT_EQ(json(std::string("q\"\\\n\x01\x7F", 6)), "\"q\\\"\\\\\\n\\u0001\\u007f\"");
  EXPECT_EQ(json("\xC3\xA9\xFF\xE2\x82"), "\"\xC3\xA9\\ufffd\\ufffd\\ufffd\"");  // é, a stray byte, a cut sequence
  EXPECT_EQ(json("\xED\xA0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");            // an encoded surrogate

  EXPECT_EQ(cli::quote_for_message(std::string("a\0\xFF", 3)), "\"a\\x00\\xFF\"");
  EXPECT_EQ(cli::quote_for_message(std::string(50, 'x')), "\"" + std::string(40, 'x') + "...\"");
}

}  // namespace
