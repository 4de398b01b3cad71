// The main dialog's rules against an in-memory view.
#include "ui/main_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "fake_dialog_view.h"

namespace plotxfer::ui {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::FakeDialogView;

constexpr const char* kAppFolder = "D:\\Apps\\Conv\\";

class MainDialogTest : public ::testing::Test {
 protected:
  MainDialogTest() {
    record.AppFolder = kAppFolder;
    view.strings = {{IDS_ABOUTBOX, "About..."},
                    {IDS_COLUMN_NO, "No."},
                    {IDS_COLUMN_FILE, "File"},
                    {IDS_COLUMN_STATUS, "Status"}};
    dialog.SetView(&view);
  }

  // Start-up's filling and the dialog's initialisation, as the program does them.
  void Open() {
    dialog.FillFrom(record);
    ASSERT_TRUE(dialog.InitializeControls());
  }

  bool Checked(int id) const { return view.control(id).checked; }
  bool Enabled(int id) const { return view.control(id).enabled; }

  // Every control of the dialog is enabled (or hidden) exactly as its rule says.
  void ExpectEnableRulesHold() {
    const EnableState state = dialog.enable_state();
    for (const ControlRule& c : kControlRules) {
      if (c.rule == EnableRule::Hidden) {
        EXPECT_FALSE(view.control(c.id).visible) << "control " << c.id;
      } else {
        EXPECT_EQ(Enabled(c.id), EnabledBy(c.rule, state)) << "control " << c.id;
      }
    }
  }

  ConversionOptions record;
  FakeDialogView view;
  MainDialog dialog;
};

TEST_F(MainDialogTest, ImageOutputOpensWithImageCheckedAndFormatsEnabled) {
  record.PdfOrImage = 1;
  record.ImageType = 3;
  Open();
  EXPECT_TRUE(Checked(IDC_IMAGE));
  EXPECT_FALSE(Checked(IDC_PDF));
  for (int id : kImageFormatIds) {
    EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_EQ(Checked(id), id == IDC_TIFF) << id;
  }
  ExpectEnableRulesHold();
}

TEST_F(MainDialogTest, PdfOutputDisablesFormatsButStillShowsTheStoredOne) {
  record.PdfOrImage = 0;
  record.ImageType = 2;
  Open();
  EXPECT_TRUE(Checked(IDC_PDF));
  EXPECT_FALSE(Checked(IDC_IMAGE));
  for (int id : kImageFormatIds) {
    EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_EQ(Checked(id), id == IDC_JPEG) << id;
  }
  ExpectEnableRulesHold();
}

TEST_F(MainDialogTest, ImageTypeOutsideItsRangeChecksNoControlOfAnotherGroup) {
  // 2003 + 7 is the drawing-folder radio; a bad value must not reach it.
  record.ImageType = 7;
  record.FolderType = 1;
  Open();
  for (int id : kImageFormatIds) {
    EXPECT_FALSE(Checked(id)) << id;
  }
  EXPECT_FALSE(Checked(IDC_FILE_FOLDER));
  EXPECT_TRUE(Checked(IDC_SEL_FOLDER));
}

TEST_F(MainDialogTest, RenderingBoxesFollowTheirFlagsAndLeaveOtherValuesAlone) {
  record.BAndWFlg = 0;
  record.WIdtHFlg = 1;
  record.PitchFlg = 1;
  Open();
  EXPECT_FALSE(Checked(IDC_MONOCHROME));
  EXPECT_TRUE(Checked(IDC_LINE_WIDTH));
  EXPECT_TRUE(Checked(IDC_LINE_PITCH));

  // A value of 2 touches nothing: the box keeps the state the template gave it.
  FakeDialogView other;
  other.control(IDC_MONOCHROME).checked = true;
  MainDialog second;
  second.SetView(&other);
  ConversionOptions odd = record;
  odd.BAndWFlg = 2;
  odd.WIdtHFlg = 2;
  second.FillFrom(odd);
  second.InitializeControls();
  EXPECT_TRUE(other.control(IDC_MONOCHROME).checked);
  EXPECT_FALSE(other.control(IDC_LINE_WIDTH).checked);
  const std::vector<int> checks = other.Calls("check");
  EXPECT_EQ(std::count(checks.begin(), checks.end(), IDC_MONOCHROME), 0);
  EXPECT_EQ(std::count(checks.begin(), checks.end(), IDC_LINE_WIDTH), 0);
}

TEST_F(MainDialogTest, FontBoxIsTheInverseOfTheFontFlag) {
  record.VFontFlg = 1;
  Open();
  EXPECT_FALSE(Checked(IDC_FONTS));
  dialog.CaptureOptions();
  EXPECT_EQ(dialog.VFontFlg, 1);

  FakeDialogView v0;
  MainDialog d0;
  d0.SetView(&v0);
  ConversionOptions r0 = record;
  r0.VFontFlg = 0;
  d0.FillFrom(r0);
  d0.InitializeControls();
  EXPECT_TRUE(v0.control(IDC_FONTS).checked);
  d0.CaptureOptions();
  EXPECT_EQ(d0.VFontFlg, 0);
}

TEST_F(MainDialogTest, FontFlagOfTwoOpensClearAndTheNextCaptureGivesOne) {
  record.VFontFlg = 2;
  Open();
  EXPECT_FALSE(Checked(IDC_FONTS));
  dialog.CaptureOptions();
  EXPECT_EQ(dialog.VFontFlg, 1);
}

TEST_F(MainDialogTest, FolderRadiosFollowFolderType) {
  record.FolderType = 1;
  Open();
  EXPECT_TRUE(Checked(IDC_SEL_FOLDER));
  EXPECT_FALSE(Checked(IDC_FILE_FOLDER));
  dialog.OnFileFolder();
  EXPECT_TRUE(Checked(IDC_FILE_FOLDER));
  EXPECT_FALSE(Checked(IDC_SEL_FOLDER));
  EXPECT_EQ(dialog.FolderType, 0);
  dialog.OnSelFolder();
  EXPECT_TRUE(Checked(IDC_SEL_FOLDER));
  EXPECT_FALSE(Checked(IDC_FILE_FOLDER));
  EXPECT_EQ(dialog.FolderType, 1);
}

TEST_F(MainDialogTest, EmptySelFolderShowsAppFolderAndTheNextCaptureKeepsIt) {
  Open();
  EXPECT_EQ(view.control(IDC_FOLDER_EDIT).text, kAppFolder);
  dialog.CaptureOptions();
  EXPECT_EQ(dialog.CapturedOptions().SelFolder, kAppFolder);
}

TEST_F(MainDialogTest, StoredSelFolderIsShownAsItIs) {
  record.SelFolder = "E:\\out\\";
  Open();
  EXPECT_EQ(view.control(IDC_FOLDER_EDIT).text, "E:\\out\\");
}

TEST_F(MainDialogTest, EmptyAddFilFolderBecomesAppFolderInTheDialogOnly) {
  dialog.FillFrom(record);
  EXPECT_EQ(dialog.AddFilFolder, kAppFolder);
  EXPECT_TRUE(record.AddFilFolder.empty());
  record.AddFilFolder = "C:\\drawings\\";
  dialog.FillFrom(record);
  EXPECT_EQ(dialog.AddFilFolder, "C:\\drawings\\");
}

TEST_F(MainDialogTest, FillingEmptiesTheList) {
  dialog.DrawingPaths = {"C:\\a.VX"};
  dialog.RowCount = 1;
  dialog.FillFrom(record);
  EXPECT_TRUE(dialog.DrawingPaths.empty());
  EXPECT_EQ(dialog.RowCount, 0);
}

TEST_F(MainDialogTest, OpensWithRunButtonsDisabledAndUnusedButtonsHidden) {
  Open();
  EXPECT_FALSE(Enabled(IDC_ABORT));
  EXPECT_FALSE(Enabled(IDC_EXECUTE));
  EXPECT_FALSE(view.control(IDC_READ_LIST).visible);
  EXPECT_FALSE(view.control(IDC_WRITE_LIST).visible);
  ExpectEnableRulesHold();
}

TEST_F(MainDialogTest, SystemMenuGetsTheAboutItemAfterASeparator) {
  Open();
  ASSERT_EQ(view.system_menu.size(), 2u);
  EXPECT_EQ(view.system_menu[0].first, 0);
  EXPECT_EQ(view.system_menu[1].first, 16);
  EXPECT_EQ(view.system_menu[1].second, "About...");
  EXPECT_TRUE(view.icon_set);
}

TEST_F(MainDialogTest, EmptyAboutTextLeavesTheSystemMenuAlone) {
  view.strings.erase(IDS_ABOUTBOX);
  Open();
  EXPECT_TRUE(view.system_menu.empty());
  EXPECT_EQ(std::count(view.log.begin(), view.log.end(), "sysmenu"), 0);
}

TEST_F(MainDialogTest, ListGetsItsStylesAndThreeColumns) {
  Open();
  EXPECT_EQ(view.list_extended_style, 0x31u);
  ASSERT_EQ(view.columns.size(), 3u);
  EXPECT_EQ(view.columns[0].title, "No.");
  EXPECT_EQ(view.columns[0].width, 40);
  EXPECT_EQ(view.columns[1].title, "File");
  EXPECT_EQ(view.columns[1].width, 400);
  EXPECT_EQ(view.columns[2].title, "Status");
  EXPECT_EQ(view.columns[2].width, 70);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(view.columns[static_cast<std::size_t>(i)].index, i);
  }
}

TEST_F(MainDialogTest, LineTypeDefaultsAreLoadedLastFromTheAppFolder) {
  std::vector<std::string> loaded;
  std::size_t log_size_when_loaded = 0;
  dialog.SetLineTypeLoader([&](const std::string& folder) {
    loaded.push_back(folder);
    log_size_when_loaded = view.log.size();
  });
  Open();
  EXPECT_THAT(loaded, ElementsAre(kAppFolder));
  EXPECT_EQ(log_size_when_loaded, view.log.size());
}

TEST_F(MainDialogTest, InitialisationRunsItsStepsInOrder) {
  Open();
  auto first = [&](const std::string& entry) {
    return std::find(view.log.begin(), view.log.end(), entry) - view.log.begin();
  };
  EXPECT_LT(first("sysmenu"), first("icon"));
  EXPECT_LT(first("icon"), first("check:2001"));
  EXPECT_LT(first("check:2001"), first("settext:2013"));
  EXPECT_LT(first("settext:2013"), first("liststyle"));
  EXPECT_LT(first("liststyle"), first("column"));
  EXPECT_LT(first("column"), first("enable:2025"));
  EXPECT_LT(first("enable:2026"), first("show:2023"));
}

TEST_F(MainDialogTest, PdfKeepsTheImageFormatSelectionAndImageShowsItAgain) {
  record.PdfOrImage = 1;
  record.ImageType = 1;
  Open();
  dialog.OnPdf();
  EXPECT_TRUE(Checked(IDC_PDF));
  EXPECT_FALSE(Checked(IDC_IMAGE));
  EXPECT_EQ(dialog.PdfOrImage, 0);
  EXPECT_TRUE(Checked(IDC_GIF));
  for (int id : kImageFormatIds) {
    EXPECT_FALSE(Enabled(id)) << id;
  }
  dialog.OnImage();
  EXPECT_TRUE(Checked(IDC_IMAGE));
  EXPECT_FALSE(Checked(IDC_PDF));
  EXPECT_EQ(dialog.PdfOrImage, 1);
  for (int id : kImageFormatIds) {
    EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_EQ(Checked(id), id == IDC_GIF) << id;
  }
  ExpectEnableRulesHold();
}

TEST_F(MainDialogTest, AbortOnlySetsTheFlag) {
  Open();
  const std::size_t before = view.log.size();
  dialog.OnAbort();
  EXPECT_EQ(dialog.AbortFlag, 1);
  EXPECT_EQ(view.log.size(), before);
}

TEST_F(MainDialogTest, CaptureReadsEveryOptionControlInOrder) {
  Open();
  view.log.clear();
  view.control(IDC_PDF).checked = false;
  view.control(IDC_IMAGE).checked = true;
  view.control(IDC_BMP).checked = false;
  view.control(IDC_JPEG).checked = true;
  view.control(IDC_MONOCHROME).checked = false;
  view.control(IDC_LINE_WIDTH).checked = true;
  view.control(IDC_LINE_PITCH).checked = true;
  view.control(IDC_FONTS).checked = false;
  view.control(IDC_FILE_FOLDER).checked = false;
  view.control(IDC_SEL_FOLDER).checked = true;
  view.control(IDC_FOLDER_EDIT).text = "F:\\plots\\";
  dialog.CaptureOptions();

  EXPECT_THAT(view.log,
              ElementsAre("read:2001", "read:2003", "read:2004", "read:2005", "read:2007",
                          "read:2009", "read:2014", "read:2015", "read:2010", "text:2013"));
  const GeneralOptions got = dialog.CapturedOptions();
  EXPECT_EQ(got.PdfOrImage, 1);
  EXPECT_EQ(got.ImageType, 2);
  EXPECT_EQ(got.BAndWFlg, 0);
  EXPECT_EQ(got.WIdtHFlg, 1);
  EXPECT_EQ(got.PitchFlg, 1);
  EXPECT_EQ(got.VFontFlg, 1);
  EXPECT_EQ(got.FolderType, 1);
  EXPECT_EQ(got.SelFolder, "F:\\plots\\");
}

TEST_F(MainDialogTest, CaptureKeepsImageTypeWhenNoFormatIsChecked) {
  record.ImageType = 3;
  Open();
  for (int id : kImageFormatIds) {
    view.control(id).checked = false;
  }
  dialog.CaptureOptions();
  EXPECT_EQ(dialog.ImageType, 3);
}

TEST_F(MainDialogTest, CaptureLeavesTheListAndFoldersAlone) {
  Open();
  dialog.DrawingPaths = {"C:\\a.VX", "C:\\b.VX"};
  dialog.RowCount = 2;
  dialog.AbortFlag = 1;
  dialog.CaptureOptions();
  EXPECT_EQ(dialog.DrawingPaths.size(), 2u);
  EXPECT_EQ(dialog.RowCount, 2);
  EXPECT_EQ(dialog.AbortFlag, 1);
  EXPECT_EQ(dialog.AddFilFolder, kAppFolder);
  EXPECT_EQ(dialog.AppFolder, kAppFolder);
}

// A run needs rows; give the dialog two as the list would.
void GiveRows(MainDialog& dialog, int n) {
  for (int i = 0; i < n; ++i) {
    dialog.DrawingPaths.push_back("C:\\d" + std::to_string(i) + ".VX");
  }
  dialog.RowCount = n;
  dialog.UpdateRunButtons();
}

TEST_F(MainDialogTest, RunLocksExactlyTheControlsOfTheRuleTableInOrder) {
  record.PdfOrImage = 1;
  Open();
  GiveRows(dialog, 2);
  view.log.clear();
  dialog.EnableRunControls(false);
  EXPECT_THAT(view.Calls("enable"),
              ElementsAre(2026, 2021, 2022, 2, 57670, 2012, 2010, 2011, 2007, 2009, 2014, 2015,
                          2008, 2001, 2002, 2003, 2004, 2005, 2006));
  EXPECT_TRUE(dialog.run_in_progress());
  EXPECT_FALSE(dialog.MayEnd());
  EXPECT_TRUE(Enabled(IDC_ABORT));
  EXPECT_TRUE(Enabled(IDC_FOLDER_EDIT));
  EXPECT_TRUE(Enabled(IDC_DRAWING_LIST));
  EXPECT_FALSE(Enabled(IDC_EXECUTE));
  EXPECT_FALSE(Enabled(IDC_EXIT));
  ExpectEnableRulesHold();
}

TEST_F(MainDialogTest, RunEndEnablesFormatsOnlyForImageOutput) {
  for (int kind : {0, 1}) {
    SCOPED_TRACE(kind);
    FakeDialogView v;
    MainDialog d;
    d.SetView(&v);
    ConversionOptions r = record;
    r.PdfOrImage = kind;
    d.FillFrom(r);
    d.InitializeControls();
    GiveRows(d, 1);
    d.EnableRunControls(false);
    for (int id : kImageFormatIds) {
      EXPECT_FALSE(v.control(id).enabled);
    }
    d.EnableRunControls(true);
    EXPECT_FALSE(d.run_in_progress());
    EXPECT_TRUE(d.MayEnd());
    for (int id : kImageFormatIds) {
      EXPECT_EQ(v.control(id).enabled, kind == 1) << id;
    }
    EXPECT_TRUE(v.control(IDC_EXECUTE).enabled);
    EXPECT_TRUE(v.control(IDC_EXIT).enabled);
  }
}

TEST_F(MainDialogTest, RunButtonsFollowTheRowCount) {
  Open();
  GiveRows(dialog, 1);
  EXPECT_TRUE(Enabled(IDC_ABORT));
  EXPECT_TRUE(Enabled(IDC_EXECUTE));
  dialog.DrawingPaths.clear();
  dialog.RowCount = 0;
  dialog.UpdateRunButtons();
  EXPECT_FALSE(Enabled(IDC_ABORT));
  EXPECT_FALSE(Enabled(IDC_EXECUTE));
  ExpectEnableRulesHold();
}

TEST(EnableRules, AbortStaysUsableThroughoutARun) {
  const EnableState running{true, 0, 3};
  EXPECT_TRUE(EnabledBy(EnableRule::WithRows, running));
  EXPECT_FALSE(LockedByRun(EnableRule::WithRows));
  EXPECT_FALSE(EnabledBy(EnableRule::OutsideRunWithRows, running));
  EXPECT_FALSE(EnabledBy(EnableRule::OutsideRunImage, {true, 1, 3}));
  EXPECT_TRUE(EnabledBy(EnableRule::OutsideRunImage, {false, 1, 0}));
}

}  // namespace
}  // namespace plotxfer::ui
