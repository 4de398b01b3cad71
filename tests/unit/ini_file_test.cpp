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
