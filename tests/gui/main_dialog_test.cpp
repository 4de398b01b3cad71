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

TEST_F(MainDialogTest, OpensFromTheRecordAndCapturesWhatItShows) {
  // Boxes a flag other than 0 or 1 leaves alone keep what the template gave them: the monochrome
  // box comes checked, the others clear.
  struct Case {
    const char* name;
    GeneralOptions record;
    std::array<int, 6> checked;  // of the option controls
    const char* folder_shown;
    GeneralOptions captured;  // by a capture right after opening
  };
  const Case cases[] = {
      {"image output",
       {.PdfOrImage = 1, .ImageType = 3, .SelFolder = ""},
       {IDC_IMAGE, IDC_TIFF, IDC_MONOCHROME, IDC_FONTS, IDC_FILE_FOLDER},
       kAppFolder,
       {.PdfOrImage = 1, .ImageType = 3, .SelFolder = kAppFolder}},
      {"PDF output still shows the stored format",
       {.PdfOrImage = 0, .ImageType = 2, .SelFolder = ""},
       {IDC_PDF, IDC_JPEG, IDC_MONOCHROME, IDC_FONTS, IDC_FILE_FOLDER},
       kAppFolder,
       {.ImageType = 2, .SelFolder = kAppFolder}},
      // 2003 + 7 is the drawing-folder radio; a bad value must not reach it.
      {"image type out of range",
       {.ImageType = 7, .FolderType = 1, .SelFolder = ""},
       {IDC_PDF, IDC_MONOCHROME, IDC_FONTS, IDC_SEL_FOLDER},
       kAppFolder,
       {.ImageType = 7, .FolderType = 1, .SelFolder = kAppFolder}},
      {"rendering flags",
       {.BAndWFlg = 0, .WIdtHFlg = 1, .PitchFlg = 1, .SelFolder = ""},
       {IDC_PDF, IDC_BMP, IDC_LINE_WIDTH, IDC_LINE_PITCH, IDC_FONTS, IDC_FILE_FOLDER},
       kAppFolder,
       {.BAndWFlg = 0, .WIdtHFlg = 1, .PitchFlg = 1, .SelFolder = kAppFolder}},
      {"rendering flags of 2",
       {.BAndWFlg = 2, .WIdtHFlg = 2, .PitchFlg = 2, .SelFolder = ""},
       {IDC_PDF, IDC_BMP, IDC_MONOCHROME, IDC_FONTS, IDC_FILE_FOLDER},
       kAppFolder,
       {.SelFolder = kAppFolder}},
      // The font flag says "fonts off", the box says "fonts effective".
      {"font flag 1",
       {.VFontFlg = 1, .SelFolder = ""},
       {IDC_PDF, IDC_BMP, IDC_MONOCHROME, IDC_FILE_FOLDER},
       kAppFolder,
       {.VFontFlg = 1, .SelFolder = kAppFolder}},
      {"font flag 2",
       {.VFontFlg = 2, .SelFolder = ""},
       {IDC_PDF, IDC_BMP, IDC_MONOCHROME, IDC_FILE_FOLDER},
       kAppFolder,
       {.VFontFlg = 1, .SelFolder = kAppFolder}},
      {"stored folder",
       {.SelFolder = "E:\\out\\"},
       {IDC_PDF, IDC_BMP, IDC_MONOCHROME, IDC_FONTS, IDC_FILE_FOLDER},
       "E:\\out\\",
       {.SelFolder = "E:\\out\\"}},
      {"defaults",
       {},
       {IDC_PDF, IDC_BMP, IDC_MONOCHROME, IDC_FONTS, IDC_FILE_FOLDER},
       kAppFolder,
       {.SelFolder = kAppFolder}},
  };
  const int option_controls[] = {IDC_PDF,        IDC_IMAGE, IDC_BMP,         IDC_GIF,
                                 IDC_JPEG,       IDC_TIFF,  IDC_MONOCHROME,  IDC_LINE_WIDTH,
                                 IDC_LINE_PITCH, IDC_FONTS, IDC_FILE_FOLDER, IDC_SEL_FOLDER};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDialogView v;
    v.control(IDC_MONOCHROME).checked = true;
    MainDialog d;
    d.SetView(&v);
    ConversionOptions r = record;
    static_cast<GeneralOptions&>(r) = c.record;
    d.FillFrom(r);
    ASSERT_TRUE(d.InitializeControls());
    for (int id : option_controls) {
      EXPECT_EQ(v.control(id).checked, std::count(c.checked.begin(), c.checked.end(), id) == 1)
          << "control " << id;
    }
    for (int id : kImageFormatIds) {
      EXPECT_EQ(v.control(id).enabled, c.record.PdfOrImage == 1) << "control " << id;
    }
    EXPECT_EQ(v.control(IDC_FOLDER_EDIT).text, c.folder_shown);
    d.CaptureOptions();
    EXPECT_EQ(d.options(), c.captured);
  }
}

TEST_F(MainDialogTest, FolderRadiosSetFolderType) {
  record.FolderType = 1;
  Open();
  dialog.OnFileFolder();
  EXPECT_TRUE(Checked(IDC_FILE_FOLDER));
  EXPECT_FALSE(Checked(IDC_SEL_FOLDER));
  EXPECT_EQ(dialog.options().FolderType, 0);
  dialog.OnSelFolder();
  EXPECT_TRUE(Checked(IDC_SEL_FOLDER));
  EXPECT_FALSE(Checked(IDC_FILE_FOLDER));
  EXPECT_EQ(dialog.options().FolderType, 1);
}

// Filling starts an empty list; an empty drawing folder is the application's, in the dialog only.
TEST_F(MainDialogTest, FillingEmptiesTheListAndGivesTheDrawingFolder) {
  dialog.DrawingPaths = {"C:\\a.VX"};
  dialog.FillFrom(record);
  EXPECT_TRUE(dialog.DrawingPaths.empty());
  EXPECT_EQ(dialog.RowCount(), 0);
  EXPECT_EQ(dialog.AddFilFolder, kAppFolder);
  EXPECT_TRUE(record.AddFilFolder.empty());
  record.AddFilFolder = "C:\\drawings\\";
  dialog.FillFrom(record);
  EXPECT_EQ(dialog.AddFilFolder, "C:\\drawings\\");
}

// The About item comes after a separator; without its text the system menu is left alone.
TEST_F(MainDialogTest, SystemMenuGetsTheAboutItemWhenThereIsItsText) {
  using Menu = std::vector<std::pair<int, std::string>>;
  for (bool text : {true, false}) {
    SCOPED_TRACE(text);
    FakeDialogView v;
    v.strings = view.strings;
    if (!text) {
      v.strings.erase(IDS_ABOUTBOX);
    }
    MainDialog d;
    d.SetView(&v);
    d.FillFrom(record);
    ASSERT_TRUE(d.InitializeControls());
    EXPECT_EQ(v.system_menu, (text ? Menu{{0, ""}, {16, "About..."}} : Menu{}));
    EXPECT_TRUE(v.icon_set);
  }
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

// The line-type defaults come last, from the application folder.
TEST_F(MainDialogTest, InitialisationRunsItsStepsInOrder) {
  std::vector<std::string> loaded;
  dialog.SetLineTypeLoader([&](const std::string& folder) {
    loaded.push_back(folder);
    view.log.push_back("line types");
  });
  Open();
  EXPECT_THAT(loaded, ElementsAre(kAppFolder));
  EXPECT_EQ(view.log.back(), "line types");
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
  EXPECT_EQ(dialog.options().PdfOrImage, 0);
  EXPECT_TRUE(Checked(IDC_GIF));
  for (int id : kImageFormatIds) {
    EXPECT_FALSE(Enabled(id)) << id;
  }
  dialog.OnImage();
  EXPECT_TRUE(Checked(IDC_IMAGE));
  EXPECT_FALSE(Checked(IDC_PDF));
  EXPECT_EQ(dialog.options().PdfOrImage, 1);
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
  EXPECT_TRUE(dialog.AbortFlag);
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
  EXPECT_EQ(dialog.options(), (GeneralOptions{.PdfOrImage = 1,
                                              .ImageType = 2,
                                              .BAndWFlg = 0,
                                              .WIdtHFlg = 1,
                                              .PitchFlg = 1,
                                              .VFontFlg = 1,
                                              .FolderType = 1,
                                              .SelFolder = "F:\\plots\\"}));
}

TEST_F(MainDialogTest, CaptureLeavesTheListAndFoldersAlone) {
  Open();
  dialog.DrawingPaths = {"C:\\a.VX", "C:\\b.VX"};
  dialog.AbortFlag = true;
  dialog.CaptureOptions();
  EXPECT_EQ(dialog.DrawingPaths.size(), 2u);
  EXPECT_EQ(dialog.RowCount(), 2);
  EXPECT_TRUE(dialog.AbortFlag);
  EXPECT_EQ(dialog.AddFilFolder, kAppFolder);
  EXPECT_EQ(dialog.AppFolder, kAppFolder);
}

// A run needs rows; give the dialog two as the list would.
void GiveRows(MainDialog& dialog, int n) {
  for (int i = 0; i < n; ++i) {
    dialog.DrawingPaths.push_back("C:\\d" + std::to_string(i) + ".VX");
  }
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

// The dialog opens with no row: Execute and Abort come with the first and go with the last.
TEST_F(MainDialogTest, RunButtonsFollowTheRowCount) {
  Open();
  EXPECT_FALSE(Enabled(IDC_ABORT));
  EXPECT_FALSE(Enabled(IDC_EXECUTE));
  EXPECT_FALSE(view.control(IDC_READ_LIST).visible);
  EXPECT_FALSE(view.control(IDC_WRITE_LIST).visible);
  ExpectEnableRulesHold();
  GiveRows(dialog, 1);
  EXPECT_TRUE(Enabled(IDC_ABORT));
  EXPECT_TRUE(Enabled(IDC_EXECUTE));
  dialog.DrawingPaths.clear();
  dialog.UpdateRunButtons();
  EXPECT_FALSE(Enabled(IDC_ABORT));
  EXPECT_FALSE(Enabled(IDC_EXECUTE));
  ExpectEnableRulesHold();
}

}  // namespace
}  // namespace plotxfer::ui
