// Every dialog of the resources as the user sees it: controls in template order with their ids,
// kinds, captions, positions and styles, and every text of the string table. The texts are read
// through the wide-character functions and must be the same under code page 932 and 1252.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "gui_test_support.h"
#include "resources/resource.h"
#include "wingui/dialog.h"
#include "wingui/strings.h"

namespace plotxfer::ui {
namespace {

struct Expected {
  int id;
  const wchar_t* cls;
  const wchar_t* text;
  RECT dlu;  // x, y, width, height in dialog units (all 0: not checked)
};

struct Child {
  HWND hwnd;
  int id;
  std::wstring cls;
  std::wstring text;
};

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lparam) {
  auto* out = reinterpret_cast<std::vector<Child>*>(lparam);
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  out->push_back({hwnd, GetDlgCtrlID(hwnd), cls, wingui::Window(hwnd).Text()});
  return TRUE;
}

// The direct children of a dialog in template order.
std::vector<Child> ChildrenOf(HWND dialog) {
  std::vector<Child> all;
  EnumChildWindows(dialog, &CollectChild, reinterpret_cast<LPARAM>(&all));
  std::vector<Child> direct;
  for (const Child& c : all) {
    if (GetParent(c.hwnd) == dialog) {
      direct.push_back(c);
    }
  }
  return direct;
}

bool IsStaticId(int id) {
  return id == -1 || id == 0xFFFF;
}

void ExpectControls(HWND dialog, const std::vector<Expected>& expected) {
  const std::vector<Child> children = ChildrenOf(dialog);
  ASSERT_EQ(children.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Expected& e = expected[i];
    const Child& c = children[i];
    SCOPED_TRACE(::testing::Message() << "control " << i << " id " << e.id);
    if (e.id == -1) {
      EXPECT_TRUE(IsStaticId(c.id)) << c.id;
    } else {
      EXPECT_EQ(c.id, e.id);
    }
    EXPECT_EQ(_wcsicmp(c.cls.c_str(), e.cls), 0) << wingui::WideToUtf8(c.cls);
    if (e.id != IDC_DRAWING_LIST) {
      EXPECT_EQ(c.text, e.text) << wingui::WideToUtf8(c.text);
    }
    if (e.dlu.right != 0) {
      // Windows converts position and size each on its own, so map them the same way.
      RECT want = e.dlu;
      MapDialogRect(dialog, &want);
      RECT got{};
      GetWindowRect(c.hwnd, &got);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&got), 2);
      EXPECT_EQ(got.left, want.left);
      EXPECT_EQ(got.top, want.top);
      EXPECT_EQ(got.right - got.left, want.right);
      EXPECT_EQ(got.bottom - got.top, want.bottom);
    }
  }
}

LONG_PTR Style(HWND dialog, int id) {
  return GetWindowLongPtrW(GetDlgItem(dialog, id), GWL_STYLE);
}

class DialogTextsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    guitest::App();
    host_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                            nullptr);
  }
  void TearDown() override { DestroyWindow(host_); }
  HWND host_ = nullptr;
};

TEST_F(DialogTextsTest, MainDialogHasEveryControlWithItsCaptionAndPlace) {
  wingui::Dialog d(IDD_PLTXFR_DIALOG);
  ASSERT_TRUE(d.Create());
  EXPECT_EQ(wingui::Window(d.hwnd()).Text(), L"画像変換アプリケーション");
  ExpectControls(d.hwnd(), {
                               {2, L"Button", L"終了(&E)", {320, 10, 60, 15}},
                               {57670, L"Button", L"ヘルプ(&H)", {320, 30, 60, 15}},
                               {-1, L"Button", L"変換形式", {10, 5, 300, 45}},
                               {2001, L"Button", L"PDF(&P)", {20, 15, 35, 10}},
                               {-1, L"Static", L"／", {65, 16, 10, 10}},
                               {2002, L"Button", L"画像(&I)", {80, 15, 35, 10}},
                               {-1, L"Button", L"", {120, 8, 180, 20}},
                               {2003, L"Button", L"BMP(&B)", {125, 15, 35, 10}},
                               {2004, L"Button", L"GIF(&G)", {170, 15, 35, 10}},
                               {2005, L"Button", L"JPEG(&J)", {215, 15, 35, 10}},
                               {2006, L"Button", L"TIFF(&T)", {260, 15, 35, 10}},
                               {2007, L"Button", L"モノクロ(&K)", {15, 35, 44, 10}},
                               {2009, L"Button", L"線幅有効(&V)", {60, 35, 50, 10}},
                               {2014, L"Button", L"線ピッチ参照(&M)", {116, 35, 60, 10}},
                               {2015, L"Button", L"フォント有効(&Q)", {181, 35, 58, 10}},
                               {2008, L"Button", L"出力設定...(&N)", {240, 32, 60, 15}},
                               {-1, L"Button", L"変換先", {10, 55, 300, 45}},
                               {2010, L"Button", L"ファイルのあるフォルダ(&F)", {20, 65, 90, 10}},
                               {2011, L"Button", L"指定フォルダ(&S)", {125, 65, 90, 10}},
                               {-1, L"Static", L"指定フォルダ:", {20, 83, 40, 10}},
                               {2012, L"Button", L"指定...(&L)", {240, 63, 60, 15}},
                               {2013, L"Edit", L"", {65, 81, 235, 14}},
                               {2020, L"SysListView32", L"", {5, 115, 300, 155}},
                               {2021, L"Button", L"ファイル追加...(&A)", {320, 110, 60, 15}},
                               {2022, L"Button", L"ファイル消去...(&D)", {320, 130, 60, 15}},
                               {2023, L"Button", L"リスト読込み...(&R)", {320, 170, 60, 15}},
                               {2024, L"Button", L"リスト書込み...(&W)", {320, 190, 60, 15}},
                               {2025, L"Button", L"変換中止(&O)", {320, 230, 60, 15}},
                               {2026, L"Button", L"変換実行(&C)", {320, 250, 60, 15}},
                           });
}

TEST_F(DialogTextsTest, MainDialogStylesAreThoseOfAFixedApplicationWindow) {
  wingui::Dialog d(IDD_PLTXFR_DIALOG);
  ASSERT_TRUE(d.Create());
  const LONG_PTR style = GetWindowLongPtrW(d.hwnd(), GWL_STYLE);
  const LONG_PTR ex = GetWindowLongPtrW(d.hwnd(), GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(ex & WS_EX_DLGMODALFRAME);
  EXPECT_TRUE(ex & WS_EX_APPWINDOW);

  EXPECT_EQ(Style(d.hwnd(), IDC_FOLDER_EDIT) & (ES_READONLY | ES_AUTOHSCROLL),
            ES_READONLY | ES_AUTOHSCROLL);
  const LONG_PTR list = Style(d.hwnd(), IDC_DRAWING_LIST);
  EXPECT_EQ(list & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(list & LVS_SHOWSELALWAYS);
  EXPECT_FALSE(list & LVS_SINGLESEL);
  for (int id : {IDC_PDF, IDC_IMAGE, IDC_BMP, IDC_GIF, IDC_JPEG, IDC_TIFF, IDC_FILE_FOLDER,
                 IDC_SEL_FOLDER}) {
    EXPECT_EQ(Style(d.hwnd(), id) & BS_TYPEMASK, BS_AUTORADIOBUTTON) << id;
  }
  for (int id : {IDC_MONOCHROME, IDC_LINE_WIDTH, IDC_LINE_PITCH, IDC_FONTS}) {
    EXPECT_EQ(Style(d.hwnd(), id) & BS_TYPEMASK, BS_AUTOCHECKBOX) << id;
  }
  // Output kind, image formats and folder choice are three separate radio groups.
  for (int id : {IDC_PDF, IDC_BMP, IDC_FILE_FOLDER}) {
    EXPECT_TRUE(Style(d.hwnd(), id) & WS_GROUP) << id;
  }
  for (int id : {IDC_IMAGE, IDC_GIF, IDC_JPEG, IDC_TIFF, IDC_SEL_FOLDER}) {
    EXPECT_FALSE(Style(d.hwnd(), id) & WS_GROUP) << id;
  }
}

TEST_F(DialogTextsTest, AboutBoxShowsIconTitleVersionAndOk) {
  wingui::Dialog d(IDD_ABOUTBOX);
  ASSERT_TRUE(d.Create());
  EXPECT_EQ(wingui::Window(d.hwnd()).Text(), L"バージョン情報");
  const std::vector<Child> children = ChildrenOf(d.hwnd());
  ASSERT_EQ(children.size(), 4u);
  EXPECT_EQ(_wcsicmp(children[0].cls.c_str(), L"Static"), 0);
  EXPECT_EQ(GetWindowLongPtrW(children[0].hwnd, GWL_STYLE) & SS_TYPEMASK, SS_ICON);
  EXPECT_NE(SendMessageW(children[0].hwnd, STM_GETICON, 0, 0), 0);
  EXPECT_EQ(children[1].text, L"画像変換アプリケーション");
  EXPECT_EQ(children[2].text, L"Version 9.00");
  EXPECT_EQ(children[3].id, IDOK);
  EXPECT_EQ(children[3].text, L"OK");
  RECT client{};
  GetClientRect(d.hwnd(), &client);
  RECT want{0, 0, 235, 80};
  MapDialogRect(d.hwnd(), &want);
  EXPECT_EQ(client.right, want.right);
  EXPECT_EQ(client.bottom, want.bottom);
}

TEST_F(DialogTextsTest, PdfPageHasItsControls) {
  wingui::Dialog d(IDD_OTHERSET_PDF);
  ASSERT_TRUE(d.Create(host_));
  EXPECT_EQ(wingui::Window(d.hwnd()).Text(), L"PDF");
  ExpectControls(d.hwnd(), {
                               {-1, L"Button", L"出力サイズ", {10, 5, 235, 63}},
                               {2031, L"Button", L"図面の用紙サイズ(&F)", {20, 15, 72, 10}},
                               {2032, L"Button", L"指定サイズ(&S)", {100, 15, 72, 10}},
                               {2033, L"ComboBox", L"", {}},
                               {-1, L"Static", L"横(&X):", {172, 33, 22, 10}},
                               {2034, L"Edit", L"", {196, 30, 40, 14}},
                               {-1, L"Static", L"縦(&Y):", {172, 51, 22, 10}},
                               {2035, L"Edit", L"", {196, 48, 40, 14}},
                               {1018, L"Button", L"図面を結合して出力(&C)", {12, 77, 80, 11}},
                           });
  // Each size radio starts a group of its own: the handlers keep the pair in step.
  EXPECT_TRUE(Style(d.hwnd(), IDC_PDF_DRAWING_SIZE) & WS_GROUP);
  EXPECT_TRUE(Style(d.hwnd(), IDC_PDF_SPECIFIED_SIZE) & WS_GROUP);
  EXPECT_EQ(Style(d.hwnd(), IDC_PDF_PAPER) & 0x3, CBS_DROPDOWNLIST);
}

TEST_F(DialogTextsTest, ImagePageHasItsControls) {
  wingui::Dialog d(IDD_OTHERSET_IMG);
  ASSERT_TRUE(d.Create(host_));
  EXPECT_EQ(wingui::Window(d.hwnd()).Text(), L"画像");
  ExpectControls(d.hwnd(), {
                               {-1, L"Button", L"出力サイズ", {10, 5, 235, 63}},
                               {2041, L"Button", L"図面の用紙サイズ(&F)", {20, 15, 72, 10}},
                               {2042, L"Button", L"指定サイズ(&S)", {100, 15, 72, 10}},
                               {2043, L"ComboBox", L"", {}},
                               {-1, L"Static", L"横(&X):", {172, 33, 22, 10}},
                               {2044, L"Edit", L"", {196, 30, 40, 14}},
                               {-1, L"Static", L"縦(&Y):", {172, 51, 22, 10}},
                               {2045, L"Edit", L"", {196, 48, 40, 14}},
                               {-1, L"Static", L"解像度(&I):", {10, 78, 40, 10}},
                               {2046, L"Edit", L"", {55, 75, 30, 14}},
                               {-1, L"Static", L"dpi", {90, 78, 10, 10}},
                               {2047, L"Edit", L"", {105, 78, 62, 10}},
                           });
  const LONG_PTR label = Style(d.hwnd(), IDC_IMG_BASE_DPI);
  EXPECT_TRUE(label & ES_READONLY);
  EXPECT_FALSE(label & WS_BORDER);
}

TEST(StringTable, HoldsEveryTextOfTheProgram) {
  const std::vector<std::pair<UINT, const wchar_t*>> expected = {
      {101, L"バージョン情報(&A)..."},
      {200, L"画像変換アプリケーション"},
      {201, L"VELLUMIX図面の選択"},
      {210, L"VELLUMIX図面 (*.VX)|*.VX||"},
      {221, L"No."},
      {222, L"ファイル"},
      {223, L"処理状況"},
      {231, L"変換中..."},
      {232, L"エラー(%d)"},
      {233, L"変換終了"},
      {234, L"中断"},
      {300, L"フォルダを指定してください。"},
      {301, L"選択されたファイルは無効です。\n別のファイルを選択してください。"},
      {302, L"リストから、\n%s\nを消去します。よろしいですか？"},
      {303, L"指定したファイルをリストから消去します。\nよろしいですか？"},
      {400, L"出力ユーティリティが使用中のため、出力ができません。"},
      {401, L"出力ユーティリティの起動に失敗しました。"},
      {440,
       L"別の変換が同じ VELLUMIX フォルダで実行中のため、変換できません。"
       L"終わるのを待ってから実行してください。"},
      {442, L"変換中です。現在の図面の変換が終わったところで中止して終了しますか?"},
      {520, L"出力設定"},
      {521, L"( 基準値: %d )"},
      {530, L"A4縦"},
      {531, L"任意"},
  };
  for (const auto& [id, text] : expected) {
    EXPECT_EQ(wingui::LoadText(id), text) << id;
  }
}

// The resources' manifest (this test program carries the same one as the program) makes the
// loader take the side-by-side common controls of version 6, the themed ones, instead of the
// system folder's version 5.
TEST(Manifest, BringsTheCommonControlsOfVersion6) {
  HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
  ASSERT_NE(comctl, nullptr);
  wchar_t path[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(comctl, path, MAX_PATH), 0u);
  std::wstring lower = path;
  for (wchar_t& c : lower) {
    c = static_cast<wchar_t>(towlower(c));
  }
  EXPECT_NE(lower.find(L"\\winsxs\\"), std::wstring::npos) << path;
  EXPECT_NE(lower.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6."),
            std::wstring::npos)
      << path;
}

}  // namespace
}  // namespace plotxfer::ui
