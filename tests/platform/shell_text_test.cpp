#include "platform/shell_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using plotxfer::platform::NarrowFromUtf16;
using plotxfer::platform::NarrowFromUtf8;

enum class Narrow { Utf8, Cp932, Cp1252 };

Narrow ThisPlatform() {
#ifdef _WIN32
  return GetACP() == 932 ? Narrow::Cp932 : Narrow::Cp1252;
#else
  return Narrow::Utf8;
#endif
}

struct Case {
  const char* what;
  std::u16string utf16;
  std::string utf8;  // the same text in UTF-8, empty when it has none (broken UTF-16)
  // What each narrow encoding holds exactly; nullopt where the name must be refused.
  std::optional<std::string> as_utf8, as_932, as_1252;
};

TEST(ShellText, ConvertsExactlyOrRefusesNeverByBestFit) {
  const Case cases[] = {
      {"ascii", u"D:\\Work\\plan.VX", "D:\\Work\\plan.VX", "D:\\Work\\plan.VX",
       "D:\\Work\\plan.VX", "D:\\Work\\plan.VX"},
      // Best fit would turn the yen sign into a backslash under 932: another path.
      {"yen sign", u"plan\u00A5old.VX", "plan\xC2\xA5old.VX", "plan\xC2\xA5old.VX", std::nullopt,
       "plan\xA5old.VX"},
      // 表 ends in 0x5C under 932; it must come through as its two bytes.
      {"kanji with a 0x5C trail byte", u"\u51FA\u529B\u8868", "\xE5\x87\xBA\xE5\x8A\x9B\xE8\xA1\xA8",
       "\xE5\x87\xBA\xE5\x8A\x9B\xE8\xA1\xA8", "\x8F\x6F\x97\xCD\x95\x5C", std::nullopt},
      {"accented letter", u"caf\u00E9.VX", "caf\xC3\xA9.VX", "caf\xC3\xA9.VX", std::nullopt,
       "caf\xE9.VX"},
      {"lone surrogate", std::u16string(u"a") + char16_t(0xD800) + u"b", "", std::nullopt,
       std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::optional<std::string>& want = ThisPlatform() == Narrow::Utf8    ? c.as_utf8
                                             : ThisPlatform() == Narrow::Cp932 ? c.as_932
                                                                               : c.as_1252;
    std::string out = "untouched";
    EXPECT_EQ(NarrowFromUtf16(c.utf16, &out), want.has_value());
    EXPECT_EQ(out, want.value_or("untouched"));
    if (!c.utf8.empty()) {
      out = "untouched";
      EXPECT_EQ(NarrowFromUtf8(c.utf8, &out), want.has_value());
      EXPECT_EQ(out, want.value_or("untouched"));
    }
  }
  std::string out = "untouched";
  EXPECT_FALSE(NarrowFromUtf8("caf\xE9", &out)) << "Latin-1 is not UTF-8";
  EXPECT_FALSE(NarrowFromUtf8("\xED\xA0\x80", &out)) << "an encoded surrogate is not UTF-8";
  EXPECT_EQ(out, "untouched");
}

}  // namespace
