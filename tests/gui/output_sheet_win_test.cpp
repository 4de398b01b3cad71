// The output settings sheet under Wine, opened by the main dialog's button: what only the real
// property sheet shows (its buttons, which page comes first and when the image page's window
// appears, where the focus goes on a refusal, what the real edits hold) and the registry that OK
// writes. The rules themselves are tested natively.
#include "ui/output_sheet_win.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>

#include "../common/system_store_fixture.h"
#include "gui_test_support.h"
#include "resources/resource.h"
#include "ui/pltxfr_dlg_win.h"
#include "wingui/strings.h"

namespace plotxfer::ui {
namespace {

using guitest::AfterDelay;

constexpr int kApplyButton = 0x3021;

class OutputSheetWinTest : public plotxfer::testing::SystemStoreTest {
 protected:
  void SetUp() override {
    SystemStoreTest::SetUp();
    guitest::App();
    record = ConversionOptions::WithScreenDpi(96);
    record.AppFolder = "C:\\Program Files\\Vellumix\\";
    settings = std::make_unique<SettingsStore>(store(), root());
  }

  static HWND PageAt(HWND sheet, int index) {
    return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_INDEXTOHWND, index, 0));
  }
  static HWND Current(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  }
  static bool Shown(HWND sheet, int id) {
    HWND b = GetDlgItem(sheet, id);
    return b && IsWindowVisible(b);
  }
  // As the user's choice in the drop-down list: the selection, then its notification.
  static void Choose(HWND page, int id, int index) {
    SendDlgItemMessageW(page, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
  }
  // The focus is on the edit and its whole text is selected.
  static void ExpectFocusedAndSelected(HWND page, int id) {
    HWND edit = GetDlgItem(page, id);
    EXPECT_EQ(GetFocus(), edit);
    DWORD start = 99;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, static_cast<DWORD>(GetWindowTextLengthW(edit)));
  }
  std::optional<std::int32_t> Stored(std::string_view key, std::string_view name) const {
    return settings->ReadNumber(key, name);
  }

  ConversionOptions record;
  std::unique_ptr<SettingsStore> settings;
};

TEST_F(OutputSheetWinTest, RefusalsKeepTheSheetOpenUntilOkCanStore) {
  record.PdfOrImage = 1;  // the PDF page comes first all the same
  record.OutXdpi = 1000;  // taken at load, beyond what the edit lets the user type
  PLTXFRDlg dialog;
  dialog.FillFrom(record);
  dialog.UseRecord(record, *settings);
  ASSERT_TRUE(dialog.Create());
  ShowWindow(dialog.hwnd(), SW_SHOWNORMAL);

  int steps = 0;
  HWND sheet = nullptr;
  AfterDelay(150, [&] {
    sheet = guitest::FindThreadDialog(wingui::LoadText(IDS_OUTPUT_SETTINGS));
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(GetWindow(sheet, GW_OWNER), dialog.hwnd());
    EXPECT_FALSE(Shown(sheet, IDHELP));
    EXPECT_FALSE(Shown(sheet, kApplyButton));
    HWND pdf = PageAt(sheet, 0);
    ASSERT_NE(pdf, nullptr);
    EXPECT_EQ(Current(sheet), pdf);
    EXPECT_EQ(PageAt(sheet, 1), nullptr) << "the image page exists before its tab was shown";

    Choose(pdf, IDC_PDF_PAPER, kCustomPaper);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(pdf, IDC_PDF_WIDTH)));
    SetDlgItemTextW(pdf, IDC_PDF_WIDTH, L"9");
    PropSheet_PressButton(sheet, PSBTN_OK);
    AfterDelay(60, [&, pdf] {
      ASSERT_TRUE(IsWindow(sheet)) << "OK closed the sheet over a width of 9";
      EXPECT_EQ(Current(sheet), pdf);
      ExpectFocusedAndSelected(pdf, IDC_PDF_WIDTH);
      ++steps;

      SetDlgItemTextW(pdf, IDC_PDF_WIDTH, L"10");
      PropSheet_SetCurSel(sheet, nullptr, 1);
      HWND image = PageAt(sheet, 1);
      ASSERT_NE(image, nullptr);
      ASSERT_EQ(Current(sheet), image);
      EXPECT_EQ(guitest::ItemText(image, IDC_IMG_DPI), L"1000");
      EXPECT_EQ(SendDlgItemMessageW(image, IDC_IMG_DPI, EM_GETLIMITTEXT, 0, 0), 3);
      PropSheet_PressButton(sheet, PSBTN_OK);
      AfterDelay(60, [&, image] {
        ASSERT_TRUE(IsWindow(sheet)) << "OK closed the sheet over a resolution of 1000";
        ExpectFocusedAndSelected(image, IDC_IMG_DPI);
        ++steps;
        SetDlgItemTextW(image, IDC_IMG_DPI, L"600");
        PropSheet_PressButton(sheet, PSBTN_OK);
      });
    });
  });
  SendMessageW(GetDlgItem(dialog.hwnd(), IDC_OUTPUT_SETTINGS), BM_CLICK, 0, 0);
  EXPECT_EQ(steps, 2);
  EXPECT_FALSE(IsWindow(sheet));

  // What the user typed reached the record and the registry.
  EXPECT_EQ(record.PdfOptXSize, 10);
  EXPECT_EQ(record.OutXdpi, 600);
  EXPECT_EQ(Stored(kPdfKey, "OptXSize"), 10);
  EXPECT_EQ(Stored(kImgKey, "OutXdpi"), 600);
}

}  // namespace
}  // namespace plotxfer::ui
