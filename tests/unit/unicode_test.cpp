#include "core/text/unicode.h"

#include <gtest/gtest.h>

#include <string>

namespace text = plotxfer::text;

namespace {

using std::string_literals::operator""s;

TEST(Unicode, WellFormedUtf8HasNoOverlongFormSurrogateOrCodePointPastTheLast) {
  const struct {
    const char* what;
    std::string bytes;
    bool well_formed;
  } cases[] = {
      {"empty", "", true},
      {"ascii and a NUL", "a\0b"s, true},
      {"two, three and four bytes", "\xC2\xA5\xE8\xA1\xA8\xF0\x9F\x98\x80", true},
      {"the last code point", "\xF4\x8F\xBF\xBF", true},
      {"past the last code point", "\xF4\x90\x80\x80", false},
      {"overlong slash", "\xC0\xAF", false},
      {"overlong three bytes", "\xE0\x80\xAF", false},
      {"encoded surrogate", "\xED\xA0\x80", false},
      {"cut short", "\xE8\xA1", false},
      {"a lone trail byte", "\x80", false},
      {"Shift-JIS", "\x95\x5C", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text::IsUtf8(c.bytes), c.well_formed) << c.what;
  }
}

TEST(Unicode, Utf16BytesOfEitherOrderBecomeUtf8OrAreRefused) {
  const struct {
    const char* what;
    std::string bytes;
    bool big_endian;
    bool converts;
    std::string utf8;
  } cases[] = {
      {"little-endian", "a\0\xA5\0\x68\x88"s, false, true, "a\xC2\xA5\xE8\xA1\xA8"},
      {"big-endian", "\0a\0\xA5\x88\x68"s, true, true, "a\xC2\xA5\xE8\xA1\xA8"},
      {"a pair", "\x3D\xD8\x00\xDE"s, false, true, "\xF0\x9F\x98\x80"},
      {"an odd last byte is left out", "a\0b"s, false, true, "a"},
      {"a lone high surrogate",
       "\x3D\xD8"
       "a\0"s,
       false, false, ""},
      {"a lone low surrogate", "\x00\xDE"s, false, false, ""},
  };
  for (const auto& c : cases) {
    std::string out = "untouched";
    EXPECT_EQ(text::Utf8FromUtf16(text::Utf16FromBytes(c.bytes, c.big_endian), &out), c.converts)
        << c.what;
    EXPECT_EQ(out, c.converts ? c.utf8 : "untouched") << c.what;
  }
}

}  // namespace
