// The dialog framework under Wine: command tables, how dialogs end, data exchange, property
// sheets with refusing pages, the message pump and idle processing, string-table texts.
#include <windows.h>
#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <vector>

#include "gui_test_support.h"
#include "resources/resource.h"
#include "wingui/application.h"
#include "wingui/dialog.h"
#include "wingui/guard.h"
#include "wingui/property_sheet.h"
#include "wingui/strings.h"

namespace plotxfer::wingui {
namespace {

using guitest::AfterDelay;
using guitest::App;
using guitest::PumpPending;

// A dialog on the main dialog's template with a small table of its own.
class TableDialog : public DialogImpl<TableDialog> {
 public:
  TableDialog() : DialogImpl(IDD_PLTXFR_DIALOG) {}
  static std::span<const CommandEntry<TableDialog>> CommandTable() {
    static const CommandEntry<TableDialog> table[] = {
        {IDC_PDF, BN_CLICKED, &TableDialog::OnFirst},
        {IDC_ADD_FILE, BN_CLICKED, &TableDialog::OnThrow},
    };
    return table;
  }
  void OnFirst() { ++first_clicks; }
  void OnThrow() { throw std::runtime_error("handler failed"); }

  // Each exchange as it came: false filled the controls, true read them back.
  void DoDataExchange(bool save) override { exchanges.push_back(save); }
  BOOL OnInitDialog() override {
    const BOOL r = Dialog::OnInitDialog();
    exchanges_during_init = exchanges.size();
    return r;
  }

  int first_clicks = 0;
  std::vector<bool> exchanges;
  std::size_t exchanges_during_init = 0;
};

// Takes the accept command itself, so Enter does not end it.
class AcceptingDialog : public DialogImpl<AcceptingDialog> {
 public:
  AcceptingDialog() : DialogImpl(IDD_ABOUTBOX) {}
  static std::span<const CommandEntry<AcceptingDialog>> CommandTable() {
    static const CommandEntry<AcceptingDialog> table[] = {
        {IDOK, BN_CLICKED, &AcceptingDialog::OnAccept},
    };
    return table;
  }
  void OnAccept() { ++accepts; }
  int accepts = 0;
};

class FrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override { App(); }
};

void Click(HWND dialog, int id) {
  SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// A click calls the handler of its entry; a control without one only keeps its own state.
TEST_F(FrameworkTest, ClicksReachOnlyTheHandlersInTheTable) {
  TableDialog d;
  ASSERT_TRUE(d.Create());
  Click(d.hwnd(), IDC_MONOCHROME);
  EXPECT_EQ(IsDlgButtonChecked(d.hwnd(), IDC_MONOCHROME), BST_CHECKED);
  Click(d.hwnd(), IDC_OUTPUT_SETTINGS);
  EXPECT_EQ(d.first_clicks, 0);
  Click(d.hwnd(), IDC_PDF);
  Click(d.hwnd(), IDC_PDF);
  EXPECT_EQ(d.first_clicks, 2);
  EXPECT_FALSE(d.has_ended());
}

// The controls are filled while the initialisation goes on, and read back before the end.
TEST_F(FrameworkTest, AnUnhandledAcceptCommandEndsTheDialogWithOk) {
  TableDialog d;
  ASSERT_TRUE(d.Create());
  EXPECT_EQ(d.exchanges_during_init, 1u);
  SendMessageW(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(d.has_ended());
  EXPECT_EQ(d.end_result(), IDOK);
  EXPECT_EQ(d.exchanges, (std::vector<bool>{false, true}));
}

TEST_F(FrameworkTest, AnAcceptCommandWithAHandlerDoesNotEndTheDialog) {
  AcceptingDialog d;
  ASSERT_TRUE(d.Create());
  Click(d.hwnd(), IDOK);
  EXPECT_EQ(d.accepts, 1);
  EXPECT_FALSE(d.has_ended());
}

TEST_F(FrameworkTest, AnExceptionInAHandlerStaysInsideTheProcedure) {
  TableDialog d;
  ASSERT_TRUE(d.Create());
  const long before = SwallowedExceptionCount();
  Click(d.hwnd(), IDC_ADD_FILE);
  EXPECT_EQ(SwallowedExceptionCount(), before + 1);
  Click(d.hwnd(), IDC_PDF);
  EXPECT_EQ(d.first_clicks, 1);
}

// A key pressed on a check box, which is no push button.
void PressOnCheckBox(HWND dialog, WPARAM key) {
  HWND box = GetDlgItem(dialog, IDC_MONOCHROME);
  SetFocus(box);
  PostMessageW(box, WM_KEYDOWN, key, 0);
}

TEST_F(FrameworkTest, ModalDialogEndsOnExitEscapeTheCloseBoxAndEnter) {
  struct Case {
    const char* name;
    void (*end)(HWND);
    INT_PTR result;
  };
  const Case cases[] = {
      {"exit button", [](HWND d) { Click(d, IDCANCEL); }, IDCANCEL},
      {"escape", [](HWND d) { PressOnCheckBox(d, VK_ESCAPE); }, IDCANCEL},
      {"close box", [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
      {"enter outside a push button", [](HWND d) { PressOnCheckBox(d, VK_RETURN); }, IDOK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TableDialog d;
    AfterDelay(50, [&] { c.end(d.hwnd()); });
    EXPECT_EQ(d.DoModal(), c.result);
  }
}

TEST_F(FrameworkTest, DisabledExitShutsOffEscapeAndTheCloseBox) {
  TableDialog d;
  int attempts = 0;
  AfterDelay(50, [&] {
    EnableWindow(GetDlgItem(d.hwnd(), IDCANCEL), FALSE);
    SendMessageW(d.hwnd(), WM_CLOSE, 0, 0);
    SendMessageW(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    attempts = 2;
    AfterDelay(50, [&] {
      EXPECT_TRUE(IsWindowVisible(d.hwnd()));
      EnableWindow(GetDlgItem(d.hwnd(), IDCANCEL), TRUE);
      SendMessageW(d.hwnd(), WM_CLOSE, 0, 0);
    });
  });
  EXPECT_EQ(d.DoModal(), IDCANCEL);
  EXPECT_EQ(attempts, 2);
}

// The help command reaches the application, which opens the page; a page that is missing, or
// that the shell does not take, is reported with its path.
TEST_F(FrameworkTest, HelpCommandGoesToTheApplicationWhichOpensThePageOrSaysItCannot) {
  const std::wstring page = guitest::TempPath(L"plotxfer-help-test.html");
  { std::ofstream(page.c_str()) << "<html></html>"; }
  App().set_help_file_path(page);
  App().opened.clear();
  App().unavailable.clear();

  TableDialog d;
  ASSERT_TRUE(d.Create());
  Click(d.hwnd(), ID_HELP);
  ASSERT_EQ(App().opened.size(), 1u);
  EXPECT_EQ(App().opened[0], page);
  EXPECT_TRUE(App().unavailable.empty());

  App().shell_opens = false;
  Click(d.hwnd(), ID_HELP);
  App().shell_opens = true;
  EXPECT_EQ(App().opened.size(), 2u);
  EXPECT_EQ(App().unavailable, std::vector<std::wstring>{page});

  DeleteFileW(page.c_str());
  Click(d.hwnd(), ID_HELP);
  EXPECT_EQ(App().opened.size(), 2u);  // a missing page is not handed to the shell
  EXPECT_EQ(App().unavailable, (std::vector<std::wstring>{page, page}));
  EXPECT_FALSE(d.has_ended());
}

TEST(HelpPage, IsNamedAfterTheProgram) {
  EXPECT_EQ(HelpPageFor(L"C:\\Apps\\PLOTXFER.exe"), L"C:\\Apps\\PLOTXFER.html");
  EXPECT_EQ(HelpPageFor(L"C:\\v1.2\\prog"), L"C:\\v1.2\\prog.html");
}

TEST_F(FrameworkTest, PumpStepDispatchesOneMessageAndAnswersFalseOnQuit) {
  PumpPending();
  PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
  PostQuitMessage(7);
  EXPECT_TRUE(App().PumpMessage());
  EXPECT_FALSE(App().PumpMessage());
  EXPECT_EQ(App().quit_code(), 7u);
}

TEST_F(FrameworkTest, IdleIsAskedWithRisingCountsUntilItWantsNoMore) {
  App().idle_counts.clear();
  App().idle_wanted = 2;
  EXPECT_EQ(App().RunIdle(), 3);
  EXPECT_THAT(App().idle_counts, ::testing::ElementsAre(0, 1, 2));
}

TEST_F(FrameworkTest, TextsComeFromTheStringTable) {
  EXPECT_EQ(LoadText(IDS_APP_TITLE),
            L"\u753b\u50cf\u5909\u63db\u30a2\u30d7\u30ea\u30b1\u30fc\u30b7\u30e7\u30f3");
  EXPECT_EQ(LoadTextUtf8(IDS_COLUMN_NO), "No.");
  EXPECT_TRUE(LoadText(9999).empty());
  const std::string ansi = LoadTextAnsi(IDS_APP_TITLE);
  if (GetACP() == 932) {
    EXPECT_EQ(ansi,
              "\x89\xe6\x91\x9c\x95\xcf\x8a\xb7\x83\x41\x83\x76\x83\x8a\x83\x50\x81\x5b\x83\x56"
              "\x83\x87\x83\x93");
  } else {
    EXPECT_EQ(ansi, std::string(12, '?'));
  }
}

TEST(Formatting, FollowsPrintfAndNeverCutsShort) {
  EXPECT_EQ(Format("%3d", 7), "  7");
  EXPECT_EQ(Format("%3d", 1234), "1234");
  const std::string long_text(3000, 'x');
  EXPECT_EQ(Format("[%s]", long_text.c_str()).size(), 3002u);
  EXPECT_EQ(FormatW(L"%ls(%d)", L"\u30a8\u30e9\u30fc", 3), L"\u30a8\u30e9\u30fc(3)");
  EXPECT_EQ(FormatW(L"%ls", std::wstring(1000, L'y').c_str()).size(), 1000u);
}

// Property sheets ------------------------------------------------------------------------------

class RefusingPage : public PropertyPage {
 public:
  explicit RefusingPage(UINT id) : PropertyPage(id) {}
  bool OnKillActive() override {
    ++kill_calls;
    return !refuse;
  }
  void OnApply() override { applied = true; }
  bool refuse = false;
  int kill_calls = 0;
  bool applied = false;
};

class CountingPage : public PropertyPage {
 public:
  explicit CountingPage(UINT id) : PropertyPage(id) {}
  BOOL OnInitDialog() override {
    created = true;
    return PropertyPage::OnInitDialog();
  }
  bool created = false;
};

bool ButtonShown(HWND sheet, int id) {
  HWND b = GetDlgItem(sheet, id);
  return b && IsWindowVisible(b);
}

TEST_F(FrameworkTest, SheetPageThatRefusesStaysCurrentEvenOnOk) {
  RefusingPage pdf(IDD_OTHERSET_PDF);
  CountingPage image(IDD_OTHERSET_IMG);
  PropertySheetDlg sheet(L"sheet", nullptr);
  sheet.RemoveHelpButton();
  sheet.RemoveApplyButton();
  pdf.RemoveHelpFlag();
  image.RemoveHelpFlag();
  sheet.AddPage(pdf);
  sheet.AddPage(image);
  pdf.refuse = true;

  bool checked = false;
  AfterDelay(100, [&] {
    ASSERT_TRUE(sheet.hwnd());
    EXPECT_FALSE(ButtonShown(sheet.hwnd(), IDHELP));
    EXPECT_FALSE(ButtonShown(sheet.hwnd(), 0x3021));  // Apply
    EXPECT_FALSE(image.created);                      // a page window appears with its tab
    EXPECT_EQ(sheet.ActiveIndex(), 0);

    sheet.SetActivePage(1);
    EXPECT_EQ(sheet.ActiveIndex(), 0);
    EXPECT_FALSE(image.created);
    sheet.PressButton(PSBTN_OK);
    AfterDelay(50, [&] {
      EXPECT_TRUE(IsWindow(sheet.hwnd()));
      EXPECT_FALSE(pdf.applied);
      EXPECT_GE(pdf.kill_calls, 2);
      pdf.refuse = false;
      sheet.SetActivePage(1);
      EXPECT_TRUE(image.created);
      EXPECT_EQ(sheet.ActiveIndex(), 1);
      checked = true;
      sheet.PressButton(PSBTN_OK);
    });
  });
  EXPECT_EQ(sheet.DoModal(), IDOK);
  EXPECT_TRUE(checked);
  EXPECT_TRUE(pdf.applied);
}

TEST_F(FrameworkTest, SheetReportsCancelAndKeepsHelpAndApplyUnlessRemoved) {
  CountingPage pdf(IDD_OTHERSET_PDF);
  PropertySheetDlg sheet(L"sheet", nullptr);
  sheet.AddPage(pdf);
  bool seen = false;
  AfterDelay(100, [&] {
    ASSERT_TRUE(sheet.hwnd());
    EXPECT_TRUE(ButtonShown(sheet.hwnd(), IDHELP));
    EXPECT_TRUE(ButtonShown(sheet.hwnd(), 0x3021));
    seen = true;
    sheet.PressButton(PSBTN_CANCEL);
  });
  EXPECT_EQ(sheet.DoModal(), IDCANCEL);
  EXPECT_TRUE(seen);
  EXPECT_TRUE(pdf.created);
}

}  // namespace
}  // namespace plotxfer::wingui
