// The number-text conversions of the fields and labels.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "base/text_conv.h"

namespace {

TEST(ParseInt, NotationsStopsAndSaturation) {
  const std::pair<std::string, std::int64_t> cases[] = {
      {"  \t42", 42}, {"-17", -17}, {"+17", 17}, {"$1F", 31}, {"$ee", 238}, {"%101", 5},
      {"%102", 2},  // stops at the first digit outside the base
      {"12.5", 12}, {"0050", 50}, {"abc", 0}, {"", 0}, {"-", 0}, {"$", 0}, {"--5", 0}, {"\n5", 0},
      {"3000000000", 3000000000}, {"9223372036854775807", INT64_MAX}, {"9223372036854775808", INT64_MAX},
      {"99999999999999999999999999999", INT64_MAX}, {"$FFFFFFFFFFFFFFFF", INT64_MAX},
      {"%" + std::string(100, '1'), INT64_MAX}, {"-9223372036854775808", INT64_MIN},
      {"-18446744073709551616", INT64_MIN},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(base::parse_int(text), value) << text;
}

// How much of the text is the number: what the fields write back.
TEST(ParseInt, LengthOfTheNumber) {
  const std::pair<std::string, std::size_t> cases[] = {
      {"0050", 4}, {"  \t42", 5}, {"-5", 2}, {"$EE", 3}, {"%101", 4}, {"12,000", 2}, {"5 km", 1},
      {"12.5", 2}, {"%102", 3}, {"abc", 0}, {"", 0}, {" ", 0}, {"-", 0}, {"$", 0}, {"$G", 0},
      {"99999999999999999999x", 20},
  };
  for (const auto& [text, length] : cases) EXPECT_EQ(base::parse_int_prefix(text).length, length) << text;
}

}  // namespace
