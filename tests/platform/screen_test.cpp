#include "platform/screen.h"

#include <gtest/gtest.h>

TEST(Screen, ResolutionIsPositive) {
  const int dpi = plotxfer::platform::SystemScreen().HorizontalDpi();
  EXPECT_GT(dpi, 0);
  EXPECT_LT(dpi, 2000);
#ifndef _WIN32
  EXPECT_EQ(dpi, 96);
#endif
}
