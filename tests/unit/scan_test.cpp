#include "core/text/scan.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

namespace {

constexpr std::nullopt_t kNone = std::nullopt;

}  // namespace

// One scanner, three readers: what each makes of the same leading number.
TEST(LeadingDecimal, EachReaderChoosesWhatANumberBeyondAnIntBecomes) {
  using plotxfer::text::CheckedInt;
  using plotxfer::text::ClampedInt;
  using plotxfer::text::WrappedInt;
  struct Case {
    const char* text;
    std::optional<int> wrapped;  // "%d" in the drafting system's files
    std::optional<int> checked;  // a stored setting
    int clamped;                 // a number typed into an edit
  };
  const Case cases[] = {
      {"255", 255, 255, 255},
      {"  \t\n42", 42, 42, 42},
      {"16777215xyz", 16777215, 16777215, 16777215},
      {"-7", -7, -7, -7},
      {"+7", 7, 7, 7},
      {"12 34", 12, 12, 12},
      {"000010", 10, 10, 10},
      {"", kNone, kNone, 0},
      {"abc", kNone, kNone, 0},
      {"-", kNone, kNone, 0},
      {"+ 5", kNone, kNone, 0},
      {"x12", kNone, kNone, 0},
      {"\xEF\xBC\x91", kNone, kNone, 0},  // a full-width digit is no digit
      {"2147483647", INT_MAX, INT_MAX, INT_MAX},
      {"-2147483648", INT_MIN, INT_MIN, INT_MIN},
      {"2147483648", INT_MIN, kNone, INT_MAX},
      {"-2147483649", INT_MAX, kNone, INT_MIN},
      {"4294967295", -1, kNone, INT_MAX},         // a colour as an unsigned value keeps its bits
      {"4278190335", -16776961, kNone, INT_MAX},  // 0xFF0000FF
      {"99999999999", 1215752191, kNone, INT_MAX},
      {"-99999999999999999999999", 159383553, kNone, INT_MIN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(WrappedInt(c.text), c.wrapped);
    EXPECT_EQ(CheckedInt(c.text), c.checked);
    EXPECT_EQ(ClampedInt(c.text), c.clamped);
  }
}
