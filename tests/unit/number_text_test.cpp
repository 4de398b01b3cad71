#include "core/params/number_text.h"

#include <gtest/gtest.h>

using plotxfer::params::ParseInt;
using plotxfer::params::ParseLength;

TEST(ParseInt, TakesTheLeadingNumberAsPercentDDoes) {
  EXPECT_EQ(ParseInt("255"), 255);
  EXPECT_EQ(ParseInt("  \t42"), 42);
  EXPECT_EQ(ParseInt("16777215xyz"), 16777215);
  EXPECT_EQ(ParseInt("-7"), -7);
  EXPECT_EQ(ParseInt("+7"), 7);
  EXPECT_EQ(ParseInt("12 34"), 12);
}

TEST(ParseInt, TextWithoutALeadingNumberIsNoValue) {
  EXPECT_FALSE(ParseInt(""));
  EXPECT_FALSE(ParseInt("abc"));
  EXPECT_FALSE(ParseInt("-"));
  EXPECT_FALSE(ParseInt("+ 5"));
  EXPECT_FALSE(ParseInt("x12"));
}

TEST(ParseInt, NumbersBeyondThirtyTwoBitsWrap) {
  // Colours written as unsigned 32-bit values by other tools keep their low bits.
  EXPECT_EQ(ParseInt("4294967295"), -1);
  EXPECT_EQ(ParseInt("4278190335"), -16776961);  // 0xFF0000FF
  EXPECT_EQ(ParseInt("2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseInt("99999999999999999999999"), ParseInt("99999999999999999999999"));
}

TEST(ParseLength, TakesTheLeadingDecimalNumber) {
  EXPECT_DOUBLE_EQ(*ParseLength("1.5"), 1.5);
  EXPECT_DOUBLE_EQ(*ParseLength("   0.5mm"), 0.5);
  EXPECT_DOUBLE_EQ(*ParseLength(".5"), 0.5);
  EXPECT_DOUBLE_EQ(*ParseLength("5."), 5.0);
  EXPECT_DOUBLE_EQ(*ParseLength("-3"), -3.0);
  EXPECT_DOUBLE_EQ(*ParseLength("1e1"), 10.0);
  EXPECT_DOUBLE_EQ(*ParseLength("2.5E-1x"), 0.25);
  EXPECT_DOUBLE_EQ(*ParseLength("1e"), 1.0);  // an exponent without digits is not taken
  EXPECT_DOUBLE_EQ(*ParseLength("12 3"), 12.0);
}

TEST(ParseLength, RefusesWhatIsNoFiniteSinglePrecisionLength) {
  EXPECT_FALSE(ParseLength(""));
  EXPECT_FALSE(ParseLength("."));
  EXPECT_FALSE(ParseLength("-"));
  EXPECT_FALSE(ParseLength("abc"));
  EXPECT_FALSE(ParseLength("inf"));
  EXPECT_FALSE(ParseLength("nan"));
  EXPECT_FALSE(ParseLength("1e39"));
  EXPECT_FALSE(ParseLength("-1e400"));
  EXPECT_DOUBLE_EQ(*ParseLength("1e38"), 1e38);
  EXPECT_DOUBLE_EQ(*ParseLength("0x10"), 0.0);  // plain decimal only: "0", then text
}
