#include "core/settings/ini_file.h"

#include <gtest/gtest.h>

#include "../common/profile_cases.h"

using plotxfer::ProfileString;
using plotxfer::text::CodePage;

namespace {

std::string Visible(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      out += "<";
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0x0F]);
      out += ">";
    }
  }
  return out;
}

}  // namespace

// The answers were seen from the platform reader itself; the platform tests check them there.
TEST(ProfileString, GivesThePlatformReadersAnswersUnderShiftJis) {
  for (const auto& c : plotxfer::testing::ProfileCases()) {
    EXPECT_EQ(Visible(ProfileString(c.file, c.section, c.key, c.buffer_size, CodePage::ShiftJis)),
              Visible(c.shift_jis))
        << c.title;
  }
}

TEST(ProfileString, GivesThePlatformReadersAnswersUnderASingleByteCodePage) {
  for (const auto& c : plotxfer::testing::ProfileCases()) {
    EXPECT_EQ(Visible(ProfileString(c.file, c.section, c.key, c.buffer_size, CodePage::SingleByte)),
              Visible(c.single_byte))
        << c.title;
  }
}

TEST(ProfileString, ABufferOfNothingGivesNothing) {
  EXPECT_EQ(ProfileString("[S]\nK=v\n", "S", "K", 0, CodePage::ShiftJis), "");
}

TEST(ProfileString, ReadsTheDraftingSystemsFontSetting) {
  const std::string file =
      "[SYSCOLOR]\r\nPALETTE0=65280\r\n\r\n[FONTINFO]\r\nFONTNAME=\x82\x6C\x82\x72 "
      "\x96\xBE\x92\xA9\r\nCHARVECTORFONT=1\r\n[LINEWIDTH]\r\nDSPWIDTH0=2\r\n";
  EXPECT_EQ(ProfileString(file, "FONTINFO", "CHARVECTORFONT", 254, CodePage::ShiftJis), "1");
  EXPECT_EQ(ProfileString(file, "FONTINFO", "FONTNAME", 254, CodePage::ShiftJis),
            "\x82\x6C\x82\x72 \x96\xBE\x92\xA9");
  EXPECT_EQ(ProfileString(file, "LINEWIDTH", "DSPWIDTH0", 254, CodePage::ShiftJis), "2");
  EXPECT_EQ(ProfileString(file, "LINEWIDTH", "CHARVECTORFONT", 254, CodePage::ShiftJis), "");
}

TEST(ProfileStringRobustness, NeverOverrunsTheBufferNorSplitsACharacter) {
  std::uint32_t state = 99;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  };
  static const char kBytes[] = {'[', ']', '=', '"', '\'',   ' ',    '\t',   '\r',   '\n',   '\0',
                                ';', 'S', 'K', 'k', '\x95', '\x5C', '\x81', '\x40', '\x83', 'v'};
  // Whole characters only: any lead byte in an answer must come with its trail byte.
  static const char* const kChars[] = {"a",        " ",        "\"",       "'",   "=",
                                       "\x95\x5C", "\x83\x41", "\x81\x40", "\xB1"};
  for (int round = 0; round < 5000; ++round) {
    const bool whole_chars = round % 2 == 0;
    std::string file = "[S]\nK=";
    for (std::size_t n = next() % 300; n > 0; --n) {
      if (whole_chars) {
        file += kChars[next() % std::size(kChars)];
      } else {
        file.push_back(next() % 4 == 0 ? static_cast<char>(next())
                                       : kBytes[next() % sizeof kBytes]);
      }
    }
    const std::size_t size = next() % 260;
    for (CodePage cp : {CodePage::ShiftJis, CodePage::SingleByte}) {
      const std::string value = ProfileString(file, "S", "K", size, cp);
      ASSERT_LE(value.size(), size == 0 ? 0 : size - 1);
      if (whole_chars && cp == CodePage::ShiftJis && !value.empty()) {
        const std::size_t last = plotxfer::text::LastCharStart(value, cp);
        ASSERT_FALSE(last + 1 == value.size() &&
                     plotxfer::text::IsLeadByte(static_cast<unsigned char>(value[last]), cp))
            << "a double-byte character was cut in half";
      }
    }
  }
}
