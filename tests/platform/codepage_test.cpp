#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

using plotxfer::text::CodePage;

TEST(ActiveCodePage, FollowsThePlatformsNarrowEncoding) {
#ifdef _WIN32
  const UINT acp = GetACP();
  if (acp == 932) {
    EXPECT_EQ(plotxfer::platform::ActiveCodePage(), CodePage::ShiftJis);
  } else if (acp == 65001) {
    EXPECT_EQ(plotxfer::platform::ActiveCodePage(), CodePage::Utf8);
  } else {
    EXPECT_EQ(plotxfer::platform::ActiveCodePage(), CodePage::SingleByte);
  }
  // The test runner asks for a code page through the locale; it must be the one we run under.
  const char* lang = std::getenv("LANG");
  if (lang != nullptr && std::string(lang).rfind("ja_JP", 0) == 0) {
    EXPECT_EQ(acp, 932u);
  } else if (lang != nullptr && std::string(lang).rfind("en_US", 0) == 0) {
    EXPECT_EQ(acp, 1252u);
  }
#else
  EXPECT_EQ(plotxfer::platform::ActiveCodePage(), CodePage::Utf8);
#endif
}
