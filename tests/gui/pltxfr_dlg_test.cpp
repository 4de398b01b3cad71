// The real main dialog from the real resources under Wine: what the user sees after start-up
// fills it from the record, the handlers behind clicks, the capture, the locking around a run,
// the system menu's About item and the list's columns and cells.
#include "ui/pltxfr_dlg_win.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

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

  ConversionOptions record;
  std::unique_ptr<PLTXFRDlg> dialog;
};

// Every control of the enable rules, set through the real controls and read back from them:
// what start-up shows of the record, what the option clicks do, and how a run locks the dialog.
TEST_F(PltxfrDlgTest, ControlsShowTheRecordTheClicksAndTheRun) {
  enum class Phase { Idle, Running, AfterRun };
  struct Case {
    const char* name;
    int pdf_or_image, image_type, font_flag;  // the record
    std::vector<int> clicks;
    int rows;
    Phase phase;
    std::set<int> checked;   // of kOptions
    std::set<int> disabled;  // of the visible controls
    GeneralOptions captured;
  };
  const int kOptions[] = {IDC_PDF,        IDC_IMAGE, IDC_BMP,         IDC_GIF,
                          IDC_JPEG,       IDC_TIFF,  IDC_MONOCHROME,  IDC_LINE_WIDTH,
                          IDC_LINE_PITCH, IDC_FONTS, IDC_FILE_FOLDER, IDC_SEL_FOLDER};
  const std::set<int> kIdle = {IDC_EXECUTE, IDC_ABORT};
  const std::set<int> kFormats = {IDC_BMP, IDC_GIF, IDC_JPEG, IDC_TIFF};
  const std::set<int> kIdlePdf = {IDC_EXECUTE, IDC_ABORT, IDC_BMP, IDC_GIF, IDC_JPEG, IDC_TIFF};
  // clang-format off
  const std::set<int> kRunning = {
      IDC_EXECUTE, IDC_ADD_FILE, IDC_DELETE_FILE, IDC_EXIT, ID_HELP, IDC_BROWSE_FOLDER,
      IDC_FILE_FOLDER, IDC_SEL_FOLDER, IDC_MONOCHROME, IDC_LINE_WIDTH, IDC_LINE_PITCH, IDC_FONTS,
      IDC_OUTPUT_SETTINGS, IDC_PDF, IDC_IMAGE, IDC_BMP, IDC_GIF, IDC_JPEG, IDC_TIFF};
  const std::set<int> kStoredPdf = {IDC_PDF, IDC_BMP, IDC_MONOCHROME, IDC_FONTS, IDC_FILE_FOLDER};
  const std::set<int> kStoredImage = {IDC_IMAGE, IDC_BMP, IDC_MONOCHROME, IDC_FONTS,
                                      IDC_FILE_FOLDER};
  const std::string app = kAppFolder;
  const Case cases[] = {
      {"stored image output in GIF, fonts flag 1", 1, 1, 1, {}, 0, Phase::Idle,
       {IDC_IMAGE, IDC_GIF, IDC_MONOCHROME, IDC_FILE_FOLDER}, kIdle, {1, 1, 1, 0, 0, 1, 0, app}},
      {"stored PDF output shows its TIFF disabled, fonts flag 2", 0, 3, 2, {}, 0, Phase::Idle,
       {IDC_PDF, IDC_TIFF, IDC_MONOCHROME, IDC_FILE_FOLDER}, kIdlePdf, {0, 3, 1, 0, 0, 1, 0, app}},
      {"PDF keeps the format chosen", 1, 0, 0, {IDC_JPEG, IDC_PDF}, 0, Phase::Idle,
       {IDC_PDF, IDC_JPEG, IDC_MONOCHROME, IDC_FONTS, IDC_FILE_FOLDER}, kIdlePdf,
       {0, 2, 1, 0, 0, 0, 0, app}},
      {"and image shows it again", 1, 0, 0, {IDC_JPEG, IDC_PDF, IDC_IMAGE}, 0, Phase::Idle,
       {IDC_IMAGE, IDC_JPEG, IDC_MONOCHROME, IDC_FONTS, IDC_FILE_FOLDER}, kIdle,
       {1, 2, 1, 0, 0, 0, 0, app}},
      {"every option clicked, with drawings listed", 0, 0, 0,
       {IDC_IMAGE, IDC_TIFF, IDC_MONOCHROME, IDC_LINE_WIDTH, IDC_LINE_PITCH, IDC_FONTS,
        IDC_SEL_FOLDER}, 2, Phase::Idle,
       {IDC_IMAGE, IDC_TIFF, IDC_LINE_WIDTH, IDC_LINE_PITCH, IDC_SEL_FOLDER}, {},
       {1, 3, 0, 1, 1, 1, 1, app}},
      {"the drawing's folder chosen again", 0, 0, 0, {IDC_SEL_FOLDER, IDC_FILE_FOLDER}, 0,
       Phase::Idle, kStoredPdf, kIdlePdf, {0, 0, 1, 0, 0, 0, 0, app}},
      {"a run of PDF output", 0, 0, 0, {}, 3, Phase::Running, kStoredPdf, kRunning,
       {0, 0, 1, 0, 0, 0, 0, app}},
      {"a run of image output", 1, 0, 0, {}, 3, Phase::Running, kStoredImage, kRunning,
       {1, 0, 1, 0, 0, 0, 0, app}},
      {"after a run of PDF output", 0, 0, 0, {}, 3, Phase::AfterRun, kStoredPdf, kFormats,
       {0, 0, 1, 0, 0, 0, 0, app}},
      {"after a run of image output", 1, 0, 0, {}, 3, Phase::AfterRun, kStoredImage, {},
       {1, 0, 1, 0, 0, 0, 0, app}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    record.PdfOrImage = c.pdf_or_image;
    record.ImageType = c.image_type;
    record.VFontFlg = c.font_flag;
    Open();
    for (int id : c.clicks) {
      Click(id);
    }
    GiveRows(c.rows);
    if (c.phase != Phase::Idle) {
      dialog->EnableRunControls(false);
    }
    if (c.phase == Phase::AfterRun) {
      dialog->EnableRunControls(true);
    }
    EXPECT_TRUE(IsWindowVisible(dialog->hwnd()));
    EXPECT_EQ(FolderText(), kAppFolder);
    for (int id : kOptions) {
      EXPECT_EQ(Checked(id), c.checked.count(id) == 1) << "checked " << id;
    }
    for (const ControlRule& rule : kControlRules) {
      if (rule.id == IDC_READ_LIST || rule.id == IDC_WRITE_LIST) {
        EXPECT_FALSE(Visible(rule.id)) << rule.id;  // buttons without a function
      } else {
        EXPECT_EQ(Enabled(rule.id), c.disabled.count(rule.id) == 0) << "enabled " << rule.id;
      }
    }
    dialog->CaptureOptions();
    EXPECT_TRUE(dialog->options() == c.captured);
  }
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

// The list's styles and columns as the view set them, and its cells.
TEST_F(PltxfrDlgTest, ListCellsKeepPathsInTheAnsiCodePageAndStatusTextsInAnyCodePage) {
  Open();
  HWND list = Item(IDC_DRAWING_LIST);
  EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & 0x31, 0x31);
  for (int i = 0; i < 4; ++i) {
    wchar_t title[40] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = title;
    column.cchTextMax = 40;
    const bool exists = SendMessageW(list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    EXPECT_EQ(exists, i < 3) << i;
    if (exists) {
      EXPECT_STREQ(title, (std::array{L"No.", L"ファイル", L"処理状況"})[i]);
      EXPECT_EQ(column.cx, (std::array{40, 400, 70})[i]) << i;
      EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT) << i;
    }
  }
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
  SendMessageW(list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
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
