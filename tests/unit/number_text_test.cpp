#include "core/params/number_text.h"

#include <gtest/gtest.h>

using plotxfer::params::ParseLength;

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
