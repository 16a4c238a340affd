// Strict readings of command-line and batch values (model names are read in
// the tool's tests; the output's spellings in its exact outputs).
#include <gtest/gtest.h>

#include <utility>

#include "cli/inputs.h"

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

}  // namespace
