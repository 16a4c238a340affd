// Strict readings of command-line and batch values, and the output spellings.
#include <gtest/gtest.h>

#include "cli/inputs.h"
#include "cli/output.h"

namespace {

TEST(ParseWholeNumber, DigitsOnlyWithinTheLimit) {
  EXPECT_EQ(cli::parse_whole_number("0", 238), 0);
  EXPECT_EQ(cli::parse_whole_number("238", 238), 238);
  EXPECT_EQ(cli::parse_whole_number("0050", 238), 50);
  EXPECT_EQ(cli::parse_whole_number("000000000000000000000000007", 238), 7);
  for (const char* bad : {"", "239", "-1", "+1", " 1", "1 ", "1.0", "$EE", "%101", "abc", "99999999999999999999"}) {
    EXPECT_EQ(cli::parse_whole_number(bad, 238), std::nullopt) << bad;
  }
  EXPECT_EQ(cli::parse_whole_number("30000", 30000), 30000);
  EXPECT_EQ(cli::parse_whole_number("30001", 30000), std::nullopt);
}

TEST(FindCable, BoxItemsAndEqualNumbers) {
  EXPECT_EQ(cli::find_cable("0.4"), 0u);
  EXPECT_EQ(cli::find_cable("0.40"), 0u);
  EXPECT_EQ(cli::find_cable(".4"), 0u);
  EXPECT_EQ(cli::find_cable("1"), 6u);
  EXPECT_EQ(cli::find_cable("1.0"), 6u);
  EXPECT_EQ(cli::find_cable("1."), 6u);
  EXPECT_EQ(cli::find_cable("01.400"), 10u);
  for (const char* bad : {"", ".", "0.3", "1.5", "0.45", "0.401", "4", "10", "-0.4", "0,4", " 0.4", "0.4mm", "1e0"}) {
    EXPECT_EQ(cli::find_cable(bad), std::nullopt) << bad;
  }
}

TEST(FindModel, NamesIgnoringCase) {
  EXPECT_EQ(cli::find_model("Pellion"), 0u);
  EXPECT_EQ(cli::find_model("ferrant_ii"), 1u);
  EXPECT_EQ(cli::find_model("FERRANT_IV"), 3u);
  EXPECT_EQ(cli::find_model("Ferrant"), std::nullopt);
  EXPECT_EQ(cli::find_model("Ferrant_II "), std::nullopt);
  EXPECT_EQ(cli::find_model(""), std::nullopt);
}

TEST(Output, CsvAndJsonSpellings) {
  std::string out;
  cli::append_csv_field(out, "plain");
  out += '|';
  cli::append_csv_field(out, "a,\"b\"\n");
  EXPECT_EQ(out, "plain|\"a,\"\"b\"\"\n\"");

  out.clear();
  cli::append_json_string(out, std::string("q\"\\\n\x01\x7F", 6));
  EXPECT_EQ(out, "\"q\\\"\\\\\\n\\u0001\\u007f\"");
  out.clear();
  cli::append_json_string(out, "\xC3\xA9\xFF\xE2\x82");  // é, a stray byte, a cut sequence
  EXPECT_EQ(out, "\"\xC3\xA9\\ufffd\\ufffd\\ufffd\"");
  out.clear();
  cli::append_json_string(out, "\xED\xA0\x80");  // an encoded surrogate
  EXPECT_EQ(out, "\"\\ufffd\\ufffd\\ufffd\"");

  EXPECT_EQ(cli::quote_for_message(std::string("a\0\xFF", 3)), "\"a\\x00\\xFF\"");
  EXPECT_EQ(cli::quote_for_message(std::string(50, 'x')), "\"" + std::string(40, 'x') + "...\"");
}

}  // namespace
