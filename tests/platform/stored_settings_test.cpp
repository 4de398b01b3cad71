// Loading and saving against the user's real store: the registry under Wine, the REGEDIT4 file
// natively.
#include "core/settings/stored_settings.h"

#include <gtest/gtest.h>

#include "../common/settings_load_cases.h"
#include "../common/system_store_fixture.h"

using plotxfer::ConversionOptions;
using plotxfer::SettingsStore;

namespace {

class StoredSettingsOnTheSystemStore : public plotxfer::testing::SystemStoreTest {};

}  // namespace

TEST_F(StoredSettingsOnTheSystemStore, EachStoredValueIsTakenOnlyWithinItsRange) {
  int n = 0;
  for (const auto& c : plotxfer::testing::LoadCases()) {
    // Each case starts from an empty key of its own.
    plotxfer::testing::RunLoadCase(c, store(), root() + "\\case" + std::to_string(n++));
  }
}

TEST_F(StoredSettingsOnTheSystemStore, WhatIsSavedIsWhatTheNextStartLoads) {
  SettingsStore settings(store(), root());
  ConversionOptions options;
  const plotxfer::GeneralOptions captured{.PdfOrImage = 1,
                                          .ImageType = 3,
                                          .BAndWFlg = 0,
                                          .WIdtHFlg = 1,
                                          .PitchFlg = 1,
                                          .VFontFlg = 1,
                                          .FolderType = 1,
                                          .SelFolder = "D:\\\x95\x5C\\out\\"};
  EXPECT_TRUE(SaveGeneralSettings(settings, captured, options));
  options.PdfSizeType = 1;
  options.PdfPaperType = 11;
  options.PdfOptXSize = 1000;
  options.PdfOptYSize = 700;
  options.ImgPaperType = 9;
  options.ConnectNum = 1;
  options.OutXdpi = 600;
  EXPECT_TRUE(SaveOutputSettings(settings, options));
  EXPECT_TRUE(settings.WriteText(plotxfer::kBootDataKey, "AddFilFolder", "E:\\drawings\\"));

  ConversionOptions loaded = ConversionOptions::WithScreenDpi(96);
  int font = 2;
  plotxfer::testing::NoProfile no_profile;
  LoadSettings(settings, no_profile, {"C:\\PLOTXFER\\PLOTXFER.exe", '\\'}, loaded, font);
  ConversionOptions expected = options;
  expected.AddFilFolder = "E:\\drawings\\";
  expected.AppFolder = "C:\\PLOTXFER\\";
  EXPECT_EQ(loaded, expected);
}
