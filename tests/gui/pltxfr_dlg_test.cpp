// The real main dialog from the real resources under Wine: what the user sees after start-up
// fills it from the record, the handlers behind clicks, the capture, the locking around a run,
// the system menu's About item and the list's columns and cells.
#include "ui/pltxfr_dlg_win.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>

#include "gui_test_support.h"
#include "resources/resource.h"
#include "wingui/strings.h"

namespace plotxfer::ui {
namespace {

using guitest::AfterDelay;
using guitest::App;

constexpr const char* kAppFolder = "C:\\Program Files\\Vellumix\\";

class PltxfrDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    record.AppFolder = kAppFolder;
  }

  // Start-up's filling, then the window, shown so that visibility means what the user sees.
  PLTXFRDlg& Open() {
    dialog = std::make_unique<PLTXFRDlg>();
    dialog->FillFrom(record);
    EXPECT_TRUE(dialog->Create());
    ShowWindow(dialog->hwnd(), SW_SHOWNORMAL);
    return *dialog;
  }

  HWND Item(int id) const { return GetDlgItem(dialog->hwnd(), id); }
  bool Checked(int id) const { return IsDlgButtonChecked(dialog->hwnd(), id) == BST_CHECKED; }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  bool Visible(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
  void Click(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }
  std::string FolderText() const {
    char buffer[300] = {};
    GetDlgItemTextA(dialog->hwnd(), IDC_FOLDER_EDIT, buffer, sizeof buffer);
    return buffer;
  }
  void GiveRows(int n) {
    for (int i = 0; i < n; ++i) {
      dialog->DrawingPaths.push_back("C:\\d" + std::to_string(i) + ".VX");
    }
    dialog->UpdateRunButtons();
  }
  void ExpectEnableRulesHold() {
    const EnableState state = dialog->enable_state();
    for (const ControlRule& c : kControlRules) {
      if (c.rule == EnableRule::Hidden) {
        EXPECT_FALSE(Visible(c.id)) << c.id;
      } else {
        EXPECT_EQ(Enabled(c.id), EnabledBy(c.rule, state)) << c.id;
      }
    }
  }

  ConversionOptions record;
  std::unique_ptr<PLTXFRDlg> dialog;
};

TEST_F(PltxfrDlgTest, StoredImageOutputOpensWithImageCheckedAndFormatsEnabled) {
  record.PdfOrImage = 1;
  record.ImageType = 1;
  Open();
  EXPECT_TRUE(Checked(IDC_IMAGE));
  EXPECT_FALSE(Checked(IDC_PDF));
  for (int id : kImageFormatIds) {
    EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_EQ(Checked(id), id == IDC_GIF) << id;
  }
}

TEST_F(PltxfrDlgTest, StoredPdfOutputDisablesFormatsButShowsTheStoredOne) {
  record.PdfOrImage = 0;
  record.ImageType = 3;
  Open();
  EXPECT_TRUE(Checked(IDC_PDF));
  EXPECT_FALSE(Checked(IDC_IMAGE));
  for (int id : kImageFormatIds) {
    EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_EQ(Checked(id), id == IDC_TIFF) << id;
  }
}

TEST_F(PltxfrDlgTest, FontBoxFollowsTheInvertedFontFlag) {
  for (int flag : {1, 0, 2}) {
    SCOPED_TRACE(flag);
    record.VFontFlg = flag;
    Open();
    EXPECT_EQ(Checked(IDC_FONTS), flag == 0);
    dialog->CaptureOptions();
    EXPECT_EQ(dialog->options().VFontFlg, flag == 0 ? 0 : 1);
  }
}

TEST_F(PltxfrDlgTest, EmptySelFolderShowsAppFolderAndIsCapturedAsIt) {
  Open();
  EXPECT_EQ(FolderText(), kAppFolder);
  dialog->CaptureOptions();
  EXPECT_EQ(dialog->options().SelFolder, kAppFolder);
}

TEST_F(PltxfrDlgTest, FolderFieldIsReadOnlyAndKeepsShiftJisPathsWhole) {
  if (GetACP() != 932) {
    GTEST_SKIP() << "Shift-JIS paths need code page 932, not " << GetACP();
  }
  // 表 (0x95 0x5C) ends in the byte of a backslash.
  record.SelFolder = "D:\\\x95\x5c\\\x83\x5c\x83\x74\x83\x67\\";
  Open();
  EXPECT_EQ(FolderText(), record.SelFolder);
  dialog->CaptureOptions();
  EXPECT_EQ(dialog->options().SelFolder, record.SelFolder);
  EXPECT_TRUE(GetWindowLongPtrW(Item(IDC_FOLDER_EDIT), GWL_STYLE) & ES_READONLY);
}

TEST_F(PltxfrDlgTest, StartsWithRunButtonsDisabledAndUnusedButtonsNeverVisible) {
  Open();
  EXPECT_TRUE(IsWindowVisible(dialog->hwnd()));
  EXPECT_FALSE(Enabled(IDC_EXECUTE));
  EXPECT_FALSE(Enabled(IDC_ABORT));
  EXPECT_FALSE(Visible(IDC_READ_LIST));
  EXPECT_FALSE(Visible(IDC_WRITE_LIST));
  ExpectEnableRulesHold();
  GiveRows(2);
  dialog->EnableRunControls(false);
  dialog->EnableRunControls(true);
  EXPECT_FALSE(Visible(IDC_READ_LIST));
  EXPECT_FALSE(Visible(IDC_WRITE_LIST));
}

TEST_F(PltxfrDlgTest, PdfKeepsTheImageFormatAndImageShowsItUnchanged) {
  record.PdfOrImage = 1;
  record.ImageType = 0;
  Open();
  Click(IDC_JPEG);
  Click(IDC_PDF);
  EXPECT_TRUE(Checked(IDC_PDF));
  EXPECT_FALSE(Checked(IDC_IMAGE));
  EXPECT_EQ(dialog->options().PdfOrImage, 0);
  EXPECT_TRUE(Checked(IDC_JPEG));
  for (int id : kImageFormatIds) {
    EXPECT_FALSE(Enabled(id)) << id;
  }
  Click(IDC_IMAGE);
  EXPECT_TRUE(Checked(IDC_IMAGE));
  EXPECT_FALSE(Checked(IDC_PDF));
  EXPECT_EQ(dialog->options().PdfOrImage, 1);
  for (int id : kImageFormatIds) {
    EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_EQ(Checked(id), id == IDC_JPEG) << id;
  }
}

TEST_F(PltxfrDlgTest, FolderRadiosSetFolderType) {
  Open();
  Click(IDC_SEL_FOLDER);
  EXPECT_TRUE(Checked(IDC_SEL_FOLDER));
  EXPECT_FALSE(Checked(IDC_FILE_FOLDER));
  EXPECT_EQ(dialog->options().FolderType, 1);
  Click(IDC_FILE_FOLDER);
  EXPECT_TRUE(Checked(IDC_FILE_FOLDER));
  EXPECT_FALSE(Checked(IDC_SEL_FOLDER));
  EXPECT_EQ(dialog->options().FolderType, 0);
}

TEST_F(PltxfrDlgTest, CaptureReadsWhatTheUserClicked) {
  record.PdfOrImage = 0;
  record.BAndWFlg = 1;
  record.SelFolder = "E:\\out\\";
  Open();
  Click(IDC_IMAGE);
  Click(IDC_TIFF);
  Click(IDC_MONOCHROME);  // was checked
  Click(IDC_LINE_WIDTH);
  Click(IDC_LINE_PITCH);
  Click(IDC_FONTS);  // was checked (VFontFlg 0)
  Click(IDC_SEL_FOLDER);
  dialog->CaptureOptions();
  const GeneralOptions got = dialog->options();
  EXPECT_EQ(got.PdfOrImage, 1);
  EXPECT_EQ(got.ImageType, 3);
  EXPECT_EQ(got.BAndWFlg, 0);
  EXPECT_EQ(got.WIdtHFlg, 1);
  EXPECT_EQ(got.PitchFlg, 1);
  EXPECT_EQ(got.VFontFlg, 1);
  EXPECT_EQ(got.FolderType, 1);
  EXPECT_EQ(got.SelFolder, "E:\\out\\");
}

TEST_F(PltxfrDlgTest, SystemMenuEndsWithTheAboutItem) {
  Open();
  HMENU menu = GetSystemMenu(dialog->hwnd(), FALSE);
  ASSERT_NE(menu, nullptr);
  const int n = GetMenuItemCount(menu);
  ASSERT_GE(n, 2);
  EXPECT_EQ(GetMenuItemID(menu, n - 1), static_cast<UINT>(IDM_ABOUTBOX));
  wchar_t text[64] = {};
  GetMenuStringW(menu, static_cast<UINT>(n - 1), text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"バージョン情報(&A)...");
  EXPECT_TRUE(GetMenuState(menu, static_cast<UINT>(n - 2), MF_BYPOSITION) & MF_SEPARATOR);
}

TEST_F(PltxfrDlgTest, AboutItemOpensTheAboutBoxModally) {
  Open();
  int opened = 0;
  // The low four bits belong to the system; any value in them still means the About item.
  for (WPARAM command : {WPARAM{IDM_ABOUTBOX}, WPARAM{IDM_ABOUTBOX | 0x3}}) {
    guitest::WhenReady([&] {
      HWND about = guitest::FindThreadDialog(L"バージョン情報");
      if (!about) {
        return false;
      }
      ++opened;
      EXPECT_FALSE(IsWindowEnabled(dialog->hwnd()));  // modal over the main dialog
      EXPECT_EQ(GetWindow(about, GW_OWNER), dialog->hwnd());
      SendMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
      return true;
    });
    SendMessageW(dialog->hwnd(), WM_SYSCOMMAND, command, 0);
  }
  EXPECT_EQ(opened, 2);
  EXPECT_TRUE(IsWindowEnabled(dialog->hwnd()));
  EXPECT_FALSE(dialog->has_ended());
}

TEST_F(PltxfrDlgTest, RunLocksAndUnlocksTheControlsForBothOutputKinds) {
  for (int kind : {0, 1}) {
    SCOPED_TRACE(kind);
    record.PdfOrImage = kind;
    Open();
    GiveRows(3);
    ExpectEnableRulesHold();
    dialog->EnableRunControls(false);
    ExpectEnableRulesHold();
    EXPECT_TRUE(Enabled(IDC_ABORT));
    EXPECT_FALSE(Enabled(IDC_EXECUTE));
    for (int id : kImageFormatIds) {
      EXPECT_FALSE(Enabled(id));
    }
    dialog->EnableRunControls(true);
    ExpectEnableRulesHold();
    EXPECT_TRUE(Enabled(IDC_EXECUTE));
    for (int id : kImageFormatIds) {
      EXPECT_EQ(Enabled(id), kind == 1) << id;
    }
  }
}

// During a run Enter and Escape do nothing, and the close box asks first, No being the default.
TEST_F(PltxfrDlgTest, NothingEndsTheDialogDuringARunWithoutAQuestion) {
  Open();
  GiveRows(1);
  dialog->EnableRunControls(false);
  std::wstring question;
  LONG default_button = 0;
  guitest::WhenReady([&] {
    HWND box = guitest::FindOwnedDialog(dialog->hwnd());
    if (!box) {
      return false;
    }
    question = guitest::ItemText(box, 0xFFFF);
    default_button = GetWindowLongW(GetDlgItem(box, IDNO), GWL_STYLE) & BS_TYPEMASK;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
    return true;
  });
  SendMessageW(dialog->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(question, L"変換中です。現在の図面の変換が終わったところで中止して終了しますか?");
  EXPECT_EQ(default_button, BS_DEFPUSHBUTTON);
  SendMessageW(dialog->hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  SendMessageW(dialog->hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_FALSE(dialog->has_ended());
  EXPECT_FALSE(dialog->end_requested());
  dialog->EnableRunControls(true);
  dialog->DrawingPaths.clear();
  SendMessageW(dialog->hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(dialog->has_ended());
}

TEST_F(PltxfrDlgTest, ExitAndTheCloseBoxEndTheDialog) {
  Open();
  Click(IDC_EXIT);
  EXPECT_TRUE(dialog->has_ended());
  EXPECT_EQ(dialog->end_result(), IDCANCEL);
  Open();
  SendMessageW(dialog->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(dialog->has_ended());
}

// Keys as the dialog manager delivers them: Escape comes as the Exit button's command and is told
// apart by the key's state; Enter on the list is the accept command even after a push button
// (Execute, at the end of a run) had the focus and became the default button.
TEST_F(PltxfrDlgTest, EnterAndEscapeEndTheDialogOnlyWithAnEmptyList) {
  struct Case {
    const char* name;
    int rows;
    WPARAM key;
    bool ends;
  };
  const Case cases[] = {
      {"Escape with drawings listed", 2, VK_ESCAPE, false},
      {"Escape with an empty list", 0, VK_ESCAPE, true},
      {"Enter on the list with drawings listed", 2, VK_RETURN, false},
      {"Enter on the empty list after Execute had the focus", 0, VK_RETURN, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open();
    GiveRows(1);
    dialog->dialog_view().Focus(IDC_EXECUTE);
    dialog->DrawingPaths.resize(static_cast<std::size_t>(c.rows));
    dialog->UpdateRunButtons();
    dialog->dialog_view().Focus(IDC_DRAWING_LIST);
    ASSERT_EQ(GetFocus(), Item(IDC_DRAWING_LIST));
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[c.key] = 0x80;
    SetKeyboardState(keys);
    MSG press{Item(IDC_DRAWING_LIST), WM_KEYDOWN, c.key, 0, 0, {}};
    EXPECT_TRUE(IsDialogMessageW(dialog->hwnd(), &press));
    keys[c.key] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(dialog->has_ended(), c.ends);
  }
}

TEST_F(PltxfrDlgTest, AbortOutsideARunOnlySetsTheFlag) {
  Open();
  GiveRows(1);
  Click(IDC_ABORT);
  EXPECT_TRUE(dialog->AbortFlag);
  ExpectEnableRulesHold();
  EXPECT_FALSE(dialog->has_ended());
}

TEST_F(PltxfrDlgTest, HelpButtonGoesToTheApplicationsHelp) {
  Open();
  App().opened.clear();
  const std::wstring page = guitest::TempPath(L"plotxfer-dialog-help.html");
  HANDLE h = CreateFileW(page.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(h);
  App().set_help_file_path(page);
  Click(ID_HELP);
  ASSERT_EQ(App().opened.size(), 1u);
  EXPECT_EQ(App().opened[0], page);
  DeleteFileW(page.c_str());
}

TEST_F(PltxfrDlgTest, ListHasItsStylesAndThreeColumns) {
  Open();
  HWND list = Item(IDC_DRAWING_LIST);
  const LRESULT ex = SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  EXPECT_EQ(ex & 0x31, 0x31);
  const wchar_t* titles[] = {L"No.", L"ファイル", L"処理状況"};
  const int widths[] = {40, 400, 70};
  for (int i = 0; i < 3; ++i) {
    wchar_t text[40] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = text;
    column.cchTextMax = 40;
    ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(text, titles[i]);
    EXPECT_EQ(column.cx, widths[i]);
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
  }
  LVCOLUMNW none{};
  none.mask = LVCF_WIDTH;
  EXPECT_FALSE(SendMessageW(list, LVM_GETCOLUMNW, 3, reinterpret_cast<LPARAM>(&none)));
}

TEST_F(PltxfrDlgTest, ListCellsKeepPathsInTheAnsiCodePageAndStatusTextsInAnyCodePage) {
  Open();
  DialogView& view = dialog->dialog_view();
  const std::string path =
      GetACP() == 932 ? "C:\\\x95\x5c\\\x90\x7d\x96\xca.VX" : "C:\\plans\\a.VX";
  view.ListInsertRow(0, "  1");
  view.ListSetCell(0, 1, path);
  view.ListSetUiCell(0, 2, "変換終了");
  EXPECT_EQ(view.ListRowCount(), 1);
  EXPECT_EQ(view.ListCell(0, 0), "  1");
  EXPECT_EQ(view.ListCell(0, 1), path);
  wchar_t status[20] = {};
  LVITEMW item{};
  item.iSubItem = 2;
  item.pszText = status;
  item.cchTextMax = 20;
  SendMessageW(Item(IDC_DRAWING_LIST), LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(status, L"変換終了");

  view.ListInsertRow(1, "  2");
  view.ListSelectAndFocusRow(1);
  EXPECT_EQ(view.ListSelectedRows(), std::vector<int>{1});
  view.ListDeleteRow(0);
  EXPECT_EQ(view.ListRowCount(), 1);
  EXPECT_EQ(view.ListCell(0, 0), "  2");
}

TEST_F(PltxfrDlgTest, PumpingDispatchesClicksRunsIdleWorkAndKeepsTheQuitMessage) {
  Open();
  GiveRows(1);
  guitest::PumpPending();
  App().idle_wanted = 2;
  App().idle_counts.clear();
  PostMessageW(Item(IDC_ABORT), BM_CLICK, 0, 0);
  EXPECT_TRUE(dialog->PumpMessages());  // the Abort click waited in the queue
  EXPECT_EQ(App().idle_counts, (std::vector<long>{0, 1, 2}));
  EXPECT_TRUE(dialog->PumpMessages());  // kept until the next run starts

  dialog->AbortFlag = false;
  PostQuitMessage(7);
  EXPECT_TRUE(dialog->PumpMessages());
  EXPECT_TRUE(dialog->AbortFlag);
  MSG quit{};
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 0u);  // posted again, with exit code 0
}

TEST_F(PltxfrDlgTest, DragIconIsTheProgramIcon) {
  Open();
  ASSERT_NE(dialog->icon(), nullptr);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(dialog->hwnd(), WM_QUERYDRAGICON, 0, 0)),
            dialog->icon());
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(dialog->hwnd(), WM_GETICON, ICON_BIG, 0)),
            dialog->icon());
  EXPECT_NE(SendMessageW(dialog->hwnd(), WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(PltxfrDlgTest, MinimisedDialogPaintsItsIconAndComesBack) {
  Open();
  ShowWindow(dialog->hwnd(), SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(dialog->hwnd()));
  RedrawWindow(dialog->hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ShowWindow(dialog->hwnd(), SW_RESTORE);
  EXPECT_FALSE(IsIconic(dialog->hwnd()));
  EXPECT_FALSE(dialog->has_ended());
}

}  // namespace
}  // namespace plotxfer::ui
