// The number-text conversions of the fields and labels, and the colour packing.
#include <gtest/gtest.h>

#include "toolkit/text_conv.h"
#include "toolkit/toolkit.h"

namespace {

TEST(ParseInt, Examples) {
  EXPECT_EQ(tk::parse_int("  \t42"), 42);
  EXPECT_EQ(tk::parse_int("-17"), -17);
  EXPECT_EQ(tk::parse_int("+17"), 17);
  EXPECT_EQ(tk::parse_int("$1F"), 31);
  EXPECT_EQ(tk::parse_int("$ee"), 238);
  EXPECT_EQ(tk::parse_int("%101"), 5);
  EXPECT_EQ(tk::parse_int("%102"), 2);
  EXPECT_EQ(tk::parse_int("12.5"), 12);
  EXPECT_EQ(tk::parse_int("0.4"), 0);
  EXPECT_EQ(tk::parse_int("0050"), 50);
  EXPECT_EQ(tk::parse_int("238"), 238);
  EXPECT_EQ(tk::parse_int("abc"), 0);
  EXPECT_EQ(tk::parse_int(""), 0);
  EXPECT_EQ(tk::parse_int("-"), 0);
  EXPECT_EQ(tk::parse_int("$"), 0);
  EXPECT_EQ(tk::parse_int("--5"), 0);
  EXPECT_EQ(tk::parse_int("\n5"), 0);
}

TEST(ParseInt, SaturatesPastThe64BitRange) {
  EXPECT_EQ(tk::parse_int("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(tk::parse_int("9223372036854775808"), INT64_MAX);
  EXPECT_EQ(tk::parse_int("18446744073709551616"), INT64_MAX);
  EXPECT_EQ(tk::parse_int("99999999999999999999999999999"), INT64_MAX);
  EXPECT_EQ(tk::parse_int("$FFFFFFFFFFFFFFFF"), INT64_MAX);
  EXPECT_EQ(tk::parse_int("-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(tk::parse_int("-18446744073709551616"), INT64_MIN);
  EXPECT_EQ(tk::parse_int("%" + std::string(100, '1')), INT64_MAX);
  // Within range the low 32 bits are what the baserate handler keeps.
  EXPECT_EQ(tk::parse_int("3000000000"), 3000000000);
}

TEST(FormatInt, PlainDecimal) {
  EXPECT_EQ(tk::format_int(0), "0");
  EXPECT_EQ(tk::format_int(15232), "15232");
  EXPECT_EQ(tk::format_int(4294967295), "4294967295");
  EXPECT_EQ(tk::format_int(-3281), "-3281");
  EXPECT_EQ(tk::format_int(INT64_MIN), "-9223372036854775808");
}

TEST(Rgb, PacksRedGreenBlue) {
  EXPECT_EQ(tk::rgb(0, 255, 0), 65280);
  EXPECT_EQ(tk::rgb(255, 255, 255), 16777215);
  EXPECT_EQ(tk::rgb(1, 2, 3), 197121);
}

}  // namespace
