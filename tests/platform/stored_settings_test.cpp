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
  plotxfer::GeneralOptions captured;
  captured.PdfOrImage = 1;
  captured.ImageType = 3;
  captured.BAndWFlg = 0;
  captured.WIdtHFlg = 1;
  captured.PitchFlg = 1;
  captured.VFontFlg = 1;
  captured.FolderType = 1;
  captured.SelFolder = "D:\\\x95\x5C\\out\\";
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
  plotxfer::testing::ExpectSameOptions(loaded, expected);
}
