#include "core/params/display_settings.h"

#include <gtest/gtest.h>

#include "params_fakes.h"

namespace {

using namespace plotxfer::params;
using plotxfer::ConversionOptions;
using plotxfer::params::testing::FakeProfile;

constexpr LineTypePattern kDashedDefault{3, 0, 0, 1, 0, 0};
constexpr LineTypePattern kChainDefault{10, 1.25, 0, 1, 1, 0};
constexpr LineTypePattern kDoubleChainDefault{10, 1.5, 1.5, 1, 1, 1};

class DisplaySettings : public ::testing::Test {
 protected:
  DisplaySettings() {
    options.AppFolder = "/opt/vellumix/";
    options.BAndWFlg = 0;
    options.WIdtHFlg = 0;
    options.PitchFlg = 0;
    tables.LineTypeDefaults = {kDashedDefault, kChainDefault, kDoubleChainDefault,
                               LineTypePattern{0.5, 0, 0, 1, 0, 0},
                               LineTypePattern{2, 0, 0, 2, 0, 0}};
  }

  void EnablePitches() {
    options.PitchFlg = 1;
    profile.Set("DSPLINPITCH", "OPTIONFLG", "1");
  }

  ConversionOptions options;
  ParamTables tables;
  FakeProfile profile;
};

TEST_F(DisplaySettings, ReadsTheDraftingSystemsFileInTheApplicationFolder) {
  options.WIdtHFlg = 1;
  RefreshParamTables(options, profile, tables);
  ASSERT_FALSE(profile.paths().empty());
  for (const auto& path : profile.paths()) {
    EXPECT_EQ(path, "/opt/vellumix/VELLUMIX.SYS");
  }
  EXPECT_EQ(SystemSettingsPath("C:\\VX\\"), "C:\\VX\\VELLUMIX.SYS");
}

TEST_F(DisplaySettings, WithoutTheFileAColourRunUsesBuiltInsOnePixelAndTheTemplate) {
  profile.SetMissingFile();
  options.WIdtHFlg = 1;
  options.PitchFlg = 1;
  RefreshParamTables(options, profile, tables);
  EXPECT_EQ(tables.PenPalette, kBuiltInPenPalette);
  EXPECT_EQ(tables.PenDisplayWidths, PenWidthTable({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(tables.LineTypePatterns, tables.LineTypeDefaults);
}

TEST_F(DisplaySettings, BuiltInPaletteHoldsTheDraftingSystemsDefaultColours) {
  EXPECT_EQ(ParamTables{}.PenPalette, kBuiltInPenPalette);
  EXPECT_EQ(kBuiltInPenPalette[0], 65280);
  EXPECT_EQ(kBuiltInPenPalette[8], 3329434);  // 154 205 50
  EXPECT_EQ(RedOf(kBuiltInPenPalette[8]), 154);
  EXPECT_EQ(GreenOf(kBuiltInPenPalette[8]), 205);
  EXPECT_EQ(BlueOf(kBuiltInPenPalette[8]), 50);
  EXPECT_EQ(kBuiltInPenPalette[19], 8388608);  // 0 0 128
}

TEST_F(DisplaySettings, PaletteKeysReplaceOnlyTheEntriesTheyHoldNumbersFor) {
  profile.Set("SYSCOLOR", "PALETTE0", "255");
  profile.Set("SYSCOLOR", "PALETTE1", "abc");
  profile.Set("SYSCOLOR", "PALETTE2", "");
  profile.Set("SYSCOLOR", "PALETTE3", "-1");
  profile.Set("SYSCOLOR", "PALETTE19", " 7x");
  profile.Set("SYSCOLOR", "PALETTE20", "1");  // beyond the table: never read
  ReadPenPalette(profile, "x", tables.PenPalette);
  PaletteTable want = kBuiltInPenPalette;
  want[0] = 255;
  want[3] = -1;
  want[19] = 7;
  EXPECT_EQ(tables.PenPalette, want);
  EXPECT_FALSE(profile.Asked("PALETTE20"));
  // Bits 24 to 31 mean nothing.
  EXPECT_EQ(RedOf(-1), 255);
  EXPECT_EQ(GreenOf(-1), 255);
  EXPECT_EQ(BlueOf(-1), 255);
}

TEST_F(DisplaySettings, MonochromeMakesEveryEntryBlackWhateverTheFileSays) {
  options.BAndWFlg = 1;
  for (int n = 0; n < 20; ++n) {
    profile.Set("SYSCOLOR", "PALETTE" + std::to_string(n), "255");
  }
  RefreshParamTables(options, profile, tables);
  EXPECT_EQ(tables.PenPalette, PaletteTable{});
  EXPECT_FALSE(profile.Asked("PALETTE0"));
}

TEST_F(DisplaySettings, AColourRunAfterAMonochromeRunGetsBuiltInsForMissingKeys) {
  profile.Set("SYSCOLOR", "PALETTE0", "255");
  options.BAndWFlg = 1;
  RefreshParamTables(options, profile, tables);
  options.BAndWFlg = 0;
  RefreshParamTables(options, profile, tables);
  PaletteTable want = kBuiltInPenPalette;
  want[0] = 255;
  EXPECT_EQ(tables.PenPalette, want);
}

TEST_F(DisplaySettings, WidthsAreReadOnlyWhenHonouredAndResetEveryRun) {
  profile.Set("LINEWIDTH", "DSPWIDTH0", "3");
  profile.Set("LINEWIDTH", "DSPWIDTH5", "-2");
  profile.Set("LINEWIDTH", "DSPWIDTH6", "");
  profile.Set("LINEWIDTH", "DSPWIDTH7", "wide");
  profile.Set("LINEWIDTH", "DSPWIDTH11", "12");
  options.WIdtHFlg = 1;
  RefreshParamTables(options, profile, tables);
  EXPECT_EQ(tables.PenDisplayWidths, PenWidthTable({3, 1, 1, 1, 1, -2, 1, 1, 1, 1, 1, 12}));

  for (const int off : {0, 2}) {  // only 1 honours the widths
    options.WIdtHFlg = off;
    FakeProfile fresh;
    fresh.Set("LINEWIDTH", "DSPWIDTH0", "3");
    RefreshParamTables(options, fresh, tables);
    EXPECT_EQ(tables.PenDisplayWidths, PenWidthTable({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_FALSE(fresh.Asked("DSPWIDTH0"));
  }
}

TEST_F(DisplaySettings, PitchesNeedBothTheSwitchAndTheFilesOptionFlag) {
  profile.Set("DSPLINPITCH", "DASHED_LIN1", "9");
  options.PitchFlg = 0;
  profile.Set("DSPLINPITCH", "OPTIONFLG", "1");
  ReadLineTypePatterns(options, profile, tables);
  EXPECT_EQ(tables.LineTypePatterns, tables.LineTypeDefaults);
  EXPECT_FALSE(profile.Asked("OPTIONFLG"));

  options.PitchFlg = 1;
  for (const char* flag : {"", "0", "off", " 0"}) {
    FakeProfile gated;
    gated.Set("DSPLINPITCH", "DASHED_LIN1", "9");
    if (*flag != '\0') {
      gated.Set("DSPLINPITCH", "OPTIONFLG", flag);
    }
    tables.LineTypePatterns = {};
    ReadLineTypePatterns(options, gated, tables);
    EXPECT_EQ(tables.LineTypePatterns, tables.LineTypeDefaults) << "OPTIONFLG=" << flag;
    EXPECT_EQ(gated.asked(), std::vector<std::string>{"OPTIONFLG"}) << "OPTIONFLG=" << flag;
  }

  profile.Set("DSPLINPITCH", "OPTIONFLG", "2");  // any number but 0 turns them on
  options.PitchFlg = 5;
  ReadLineTypePatterns(options, profile, tables);
  EXPECT_EQ(tables.LineTypePatterns[kDashedLine].dash1, 9);
}

TEST_F(DisplaySettings, OneIntervalFillsEveryGapOfAChainLine) {
  EnablePitches();
  profile.Set("DSPLINPITCH", "CHAINDD_ITV1", "1.5");
  ReadLineTypePatterns(options, profile, tables);
  EXPECT_EQ(tables.LineTypePatterns[kDoubleChainLine],
            (LineTypePattern{10, 1.5, 1.5, 1.5, 1.5, 1.5}));
  EXPECT_EQ(tables.LineTypePatterns[kChainLine], kChainDefault);

  FakeProfile chain;
  chain.Set("DSPLINPITCH", "OPTIONFLG", "1");
  chain.Set("DSPLINPITCH", "CHAIN_ITV1", "1.5");
  ReadLineTypePatterns(options, chain, tables);
  // The dash-dot line has two gaps; its unused third keeps the template's value.
  EXPECT_EQ(tables.LineTypePatterns[kChainLine], (LineTypePattern{10, 1.25, 0, 1.5, 1.5, 0}));
  EXPECT_EQ(tables.LineTypePatterns[kDoubleChainLine], kDoubleChainDefault);
}

TEST_F(DisplaySettings, TheSecondDashIsTakenWholeAndFillsBothDotsOfTheDoubleChain) {
  EnablePitches();
  profile.Set("DSPLINPITCH", "CHAIN_LIN2", "2.5");
  profile.Set("DSPLINPITCH", "CHAINDD_LIN2", "12");
  ReadLineTypePatterns(options, profile, tables);
  EXPECT_EQ(tables.LineTypePatterns[kChainLine], (LineTypePattern{10, 2.5, 0, 1, 1, 0}));
  EXPECT_EQ(tables.LineTypePatterns[kDoubleChainLine], (LineTypePattern{10, 12, 12, 1, 1, 1}));
}

TEST_F(DisplaySettings, EveryPitchKeyLandsInItsLength) {
  EnablePitches();
  profile.Set("DSPLINPITCH", "DASHED_LIN1", "4");
  profile.Set("DSPLINPITCH", "DASHED_ITV1", "1.25");
  profile.Set("DSPLINPITCH", "CHAIN_LIN1", "12");
  profile.Set("DSPLINPITCH", "CHAINDD_LIN1", "11");
  profile.Set("DSPLINPITCH", "DOTTED_LIN1", "0.25");
  profile.Set("DSPLINPITCH", "DOTTED_ITV1", "0.75");
  profile.Set("DSPLINPITCH", "ADDITION_LIN1", "-3");
  profile.Set("DSPLINPITCH", "ADDITION_ITV1", "1e1");
  ReadLineTypePatterns(options, profile, tables);
  EXPECT_EQ(tables.LineTypePatterns[kDashedLine], (LineTypePattern{4, 0, 0, 1.25, 0, 0}));
  EXPECT_EQ(tables.LineTypePatterns[kChainLine], (LineTypePattern{12, 1.25, 0, 1, 1, 0}));
  EXPECT_EQ(tables.LineTypePatterns[kDoubleChainLine], (LineTypePattern{11, 1.5, 1.5, 1, 1, 1}));
  EXPECT_EQ(tables.LineTypePatterns[kDottedLine], (LineTypePattern{0.25, 0, 0, 0.75, 0, 0}));
  EXPECT_EQ(tables.LineTypePatterns[kAuxiliaryLine], (LineTypePattern{-3, 0, 0, 10, 0, 0}));
}

TEST_F(DisplaySettings, EmptyOrUnreadableValuesLeaveTheTemplatesLengths) {
  EnablePitches();
  profile.Set("DSPLINPITCH", "DASHED_LIN1", "");
  profile.Set("DSPLINPITCH", "DASHED_ITV1", "wide");
  profile.Set("DSPLINPITCH", "CHAIN_ITV1", "");
  profile.Set("DSPLINPITCH", "CHAINDD_LIN2", "inf");
  ReadLineTypePatterns(options, profile, tables);
  EXPECT_EQ(tables.LineTypePatterns, tables.LineTypeDefaults);
}

TEST_F(DisplaySettings, LinesWithOneDashNeverAskForASecond) {
  EnablePitches();
  for (const char* key : {"DASHED_LIN2", "DOTTED_LIN2", "ADDITION_LIN2"}) {
    profile.Set("DSPLINPITCH", key, "7");
  }
  ReadLineTypePatterns(options, profile, tables);
  EXPECT_EQ(tables.LineTypePatterns, tables.LineTypeDefaults);
  const std::vector<std::string> want = {
      "OPTIONFLG",   "DASHED_LIN1",   "DASHED_ITV1",  "CHAIN_LIN1",   "CHAIN_ITV1",
      "CHAIN_LIN2",  "CHAINDD_LIN1",  "CHAINDD_ITV1", "CHAINDD_LIN2", "DOTTED_LIN1",
      "DOTTED_ITV1", "ADDITION_LIN1", "ADDITION_ITV1"};
  EXPECT_EQ(profile.asked(), want);
}

TEST_F(DisplaySettings, EachRunStartsAgainFromTheTemplatesPatterns) {
  EnablePitches();
  profile.Set("DSPLINPITCH", "DASHED_LIN1", "9");
  RefreshParamTables(options, profile, tables);
  EXPECT_EQ(tables.LineTypePatterns[kDashedLine].dash1, 9);
  options.PitchFlg = 0;
  RefreshParamTables(options, profile, tables);
  EXPECT_EQ(tables.LineTypePatterns, tables.LineTypeDefaults);
}

}  // namespace
