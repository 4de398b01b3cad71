#include "core/text/codepage.h"

#include <gtest/gtest.h>

#include <string>

using plotxfer::text::CodePage;
using plotxfer::text::npos;
namespace text = plotxfer::text;

namespace {

// 表 is 0x95 0x5C in Shift-JIS: its trail byte has the value of a backslash.
const std::string kHyoSjis = "\x95\x5C";
// ソ is 0x83 0x5C.
const std::string kSoSjis = "\x83\x5C";

}  // namespace

TEST(CodePageStepping, ShiftJisLeadBytesTakeTheirTrailByte) {
  EXPECT_TRUE(text::IsLeadByte(0x81, CodePage::ShiftJis));
  EXPECT_TRUE(text::IsLeadByte(0x9F, CodePage::ShiftJis));
  EXPECT_TRUE(text::IsLeadByte(0xE0, CodePage::ShiftJis));
  EXPECT_TRUE(text::IsLeadByte(0xFC, CodePage::ShiftJis));
  EXPECT_FALSE(text::IsLeadByte(0x80, CodePage::ShiftJis));
  EXPECT_FALSE(text::IsLeadByte(0xA0, CodePage::ShiftJis));  // half-width katakana range
  EXPECT_FALSE(text::IsLeadByte(0xDF, CodePage::ShiftJis));
  EXPECT_FALSE(text::IsLeadByte(0xFD, CodePage::ShiftJis));
  EXPECT_FALSE(text::IsLeadByte(0x95, CodePage::SingleByte));
  EXPECT_FALSE(text::IsLeadByte(0x95, CodePage::Utf8));

  const std::string s = "a" + kHyoSjis +
                        "\xB1"
                        "b";  // a, 表, half-width ｱ, b
  EXPECT_EQ(text::CharLength(s, 0, CodePage::ShiftJis), 1u);
  EXPECT_EQ(text::CharLength(s, 1, CodePage::ShiftJis), 2u);
  EXPECT_EQ(text::NextChar(s, 1, CodePage::ShiftJis), 3u);
  EXPECT_EQ(text::CharLength(s, 3, CodePage::ShiftJis), 1u);
  EXPECT_EQ(text::CharLength(s, 1, CodePage::SingleByte), 1u);
}

TEST(CodePageStepping, TruncatedCharactersCountAsOneByte) {
  const std::string lone_lead = "ab\x95";
  EXPECT_EQ(text::CharLength(lone_lead, 2, CodePage::ShiftJis), 1u);
  const std::string lead_then_nul("a\x95\0b", 4);
  EXPECT_EQ(text::CharLength(lead_then_nul, 1, CodePage::ShiftJis), 1u);

  const std::string broken_utf8 = "\xE8\xA1";  // first two bytes of a three-byte sequence
  EXPECT_EQ(text::CharLength(broken_utf8, 0, CodePage::Utf8), 1u);
  const std::string bad_continuation = "\xE8\x41\x41";
  EXPECT_EQ(text::CharLength(bad_continuation, 0, CodePage::Utf8), 1u);
  EXPECT_EQ(text::CharLength("x", 5, CodePage::Utf8), 1u);  // past the end never loops
}

TEST(CodePageStepping, Utf8SequencesAreWholeCharacters) {
  const std::string s = "\xE8\xA1\xA8/\xC3\xA9\xF0\x9F\x98\x80";  // 表 / é 😀
  EXPECT_EQ(text::CharLength(s, 0, CodePage::Utf8), 3u);
  EXPECT_EQ(text::CharLength(s, 3, CodePage::Utf8), 1u);
  EXPECT_EQ(text::CharLength(s, 4, CodePage::Utf8), 2u);
  EXPECT_EQ(text::CharLength(s, 6, CodePage::Utf8), 4u);
}

TEST(LastBackslash, TrailByteIsNeverABackslashInShiftJis) {
  const std::string path = "C:\\Work\\" + kHyoSjis + "\\plan.VX";
  EXPECT_EQ(text::FindLastBackslash(path, CodePage::ShiftJis), 10u);

  const std::string folder_ending_in_hyo = "C:\\Data\\" + kHyoSjis;
  EXPECT_EQ(text::FindLastBackslash(folder_ending_in_hyo, CodePage::ShiftJis), 7u);
  // Read byte by byte, the same text seems to end in a backslash.
  EXPECT_EQ(text::FindLastBackslash(folder_ending_in_hyo, CodePage::SingleByte), 9u);

  EXPECT_EQ(text::FindLastBackslash(kSoSjis + kHyoSjis, CodePage::ShiftJis), npos);
  EXPECT_EQ(text::FindLastBackslash("", CodePage::ShiftJis), npos);
  EXPECT_EQ(text::FindLastBackslash("\\", CodePage::ShiftJis), 0u);
}

TEST(LastBackslash, EndsWithBackslashLooksAtTheLastCharacter) {
  EXPECT_TRUE(text::EndsWithBackslash("C:\\", CodePage::ShiftJis));
  EXPECT_TRUE(text::EndsWithBackslash("C:\\" + kHyoSjis + "\\", CodePage::ShiftJis));
  EXPECT_FALSE(text::EndsWithBackslash("C:\\" + kHyoSjis, CodePage::ShiftJis));
  EXPECT_TRUE(text::EndsWithBackslash("C:\\" + kHyoSjis, CodePage::SingleByte));
  EXPECT_FALSE(text::EndsWithBackslash("", CodePage::ShiftJis));
  EXPECT_FALSE(text::EndsWithBackslash("C:", CodePage::Utf8));
  EXPECT_TRUE(text::EndsWithChar("/home/a/", '/', CodePage::Utf8));
  EXPECT_EQ(text::LastCharStart("a" + kHyoSjis, CodePage::ShiftJis), 1u);
  EXPECT_EQ(text::LastCharStart("", CodePage::ShiftJis), npos);
}

TEST(LastBackslash, FindLastCharSkipsTrailBytes) {
  // 0x81 0x2E is not a valid pair in practice, but a trail byte equal to '.' must not count.
  const std::string s = std::string("a.b") +
                        "\x81"
                        ".";
  EXPECT_EQ(text::FindLastChar(s, '.', CodePage::ShiftJis), 1u);
  EXPECT_EQ(text::FindLastChar(s, '.', CodePage::SingleByte), 4u);
  EXPECT_EQ(text::FindLastChar("plan.rev2.VX", '.', CodePage::Utf8), 9u);
}
