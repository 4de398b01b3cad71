// The drawing list on the real controls under Wine: the real file dialog and folder browser
// driven from inside their own message loops, and the list's cells read back as the run reads
// them. Everything else about the list is shown natively against an in-memory view.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "../common/system_store_fixture.h"
#include "../unit/temp_files.h"
#include "gui_test_support.h"
#include "resources/resource.h"
#include "ui/pltxfr_dlg_win.h"
#include "wingui/strings.h"

namespace plotxfer::ui {
namespace {

using guitest::App;
using guitest::WhenReady;
using plotxfer::testing::DrawingHeader;
using plotxfer::testing::WriteBytes;

// The file-name box of the explorer-style file dialog is the edit inside combo box cmb13.
constexpr int kFileNameCombo = 1148;

class DrawingListDialogTest : public plotxfer::testing::SystemStoreTest {
 protected:
  void SetUp() override {
    SystemStoreTest::SetUp();
    App();
    settings_ = std::make_unique<SettingsStore>(store(), root());
    ConversionOptions record;
    record.AppFolder = "C:\\";
    dialog_ = std::make_unique<PLTXFRDlg>();
    dialog_->FillFrom(record);
    DialogServices services;
    services.settings = settings_.get();
    services.files = &SystemDrawingFiles();
    services.code_page = GetACP() == 932 ? text::CodePage::ShiftJis : text::CodePage::SingleByte;
    dialog_->SetServices(services);
    ASSERT_TRUE(dialog_->Create());
    ShowWindow(dialog_->hwnd(), SW_SHOWNORMAL);
  }
  void TearDown() override {
    dialog_.reset();
    SystemStoreTest::TearDown();
  }

  HWND Item(int id) const { return GetDlgItem(dialog_->hwnd(), id); }
  std::string Cell(int row, int column) const {
    return guitest::ListCell(Item(IDC_DRAWING_LIST), row, column);
  }

  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<PLTXFRDlg> dialog_;
};

TEST_F(DrawingListDialogTest, TwoNamesTypedIntoTheFileDialogInAFolderEndingIn0x5CBecomeTwoRows) {
  if (GetACP() != 932) {
    GTEST_SKIP() << "a folder named in Shift-JIS needs code page 932, not " << GetACP();
  }
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  // 図面表: the last character, 表, is 0x95 0x5C.
  const std::string folder =
      std::string(temp) + std::to_string(GetCurrentProcessId()) + "-\x90\x7D\x96\xCA\x95\x5C";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  WriteBytes(folder + "\\a.VX", DrawingHeader());
  WriteBytes(folder + "\\b.VX", DrawingHeader());
  dialog_->AddFilFolder = folder + "\\";

  bool typed = false;
  // The first file dialog of a fresh prefix can take seconds to appear.
  WhenReady(
      [&] {
        HWND chooser = guitest::FindThreadDialog(L"VELLUMIX図面の選択");
        if (!chooser) {
          return false;
        }
        HWND combo = GetDlgItem(chooser, kFileNameCombo);
        HWND edit = combo ? FindWindowExW(combo, nullptr, L"Edit", nullptr) : nullptr;
        SetWindowTextW(edit ? edit : combo, L"\"a.VX\" \"b.VX\"");
        PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        typed = true;
        return true;
      },
      500);
  SendMessageW(Item(IDC_ADD_FILE), BM_CLICK, 0, 0);

  ASSERT_TRUE(typed);
  // The paths in Shift-JIS as the list view holds them; the rest of the rows is shown natively.
  EXPECT_EQ(dialog_->RowCount(), 2);
  EXPECT_EQ(Cell(0, 1), folder + "\\a.VX");
  EXPECT_EQ(Cell(1, 1), folder + "\\b.VX");
  EXPECT_EQ(settings_->ReadText(kBootDataKey, "AddFilFolder"), folder + "\\");
  DeleteFileA((folder + "\\a.VX").c_str());
  DeleteFileA((folder + "\\b.VX").c_str());
  RemoveDirectoryA(folder.c_str());
}

// What Explorer hands a window on a drop: the names in UTF-16 after a DROPFILES header.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
  std::size_t chars = 1;
  for (const std::wstring& path : paths) {
    chars += path.size() + 1;
  }
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES));
  for (const std::wstring& path : paths) {
    std::copy(path.begin(), path.end(), out);
    out += path.size() + 1;
  }
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

// Drops a folder named in Japanese (its last character 表 ends in byte 0x5C under code page 932)
// and then one file of it whose name holds a yen sign: the folder gives its two drawings in name
// order; the yen sign, which best fit would make a backslash naming plan\old.VX, is refused and
// named in the message.
TEST_F(DrawingListDialogTest, DroppedJapaneseFolderGivesItsDrawingsAndAYenSignIsRefused) {
  if (GetACP() != 932) {
    GTEST_SKIP() << "a yen sign is held by code page " << GetACP() << ", refused by 932 only";
  }
  const std::wstring folder = guitest::TempPath(L"drop-\u56F3\u9762\u8868");  // 図面表
  const std::wstring yen = folder + L"\\plan\u00A5old.VX";
  for (const std::wstring& made : {folder, folder + L"\\plan"}) {
    ASSERT_TRUE(CreateDirectoryW(made.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        << GetLastError();
  }
  const std::string narrow = wingui::WideToAnsi(folder);
  for (const char* name : {"\\b.VX", "\\a.VX", "\\plan\\old.VX"}) {
    WriteBytes(narrow + name, DrawingHeader());
  }
  WriteBytes(narrow + "\\notes.txt", "no drawing");
  HANDLE f = CreateFileW(yen.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(f, DrawingHeader().data(), static_cast<DWORD>(DrawingHeader().size()), &written,
            nullptr);
  CloseHandle(f);

  std::vector<std::wstring> messages;
  for (const std::wstring& dropped : {folder, yen}) {
    WhenReady([&] {
      HWND box = guitest::FindOwnedDialog(dialog_->hwnd());
      if (!box) {
        return false;
      }
      messages.push_back(guitest::ItemText(box, 0xFFFF));
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      return true;
    });
    SendMessageW(dialog_->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({dropped})), 0);
  }

  EXPECT_EQ(dialog_->RowCount(), 2);
  EXPECT_EQ(Cell(0, 1), narrow + "\\a.VX");
  EXPECT_EQ(Cell(1, 1), narrow + "\\b.VX");
  ASSERT_EQ(messages.size(), 2u);
  for (const std::wstring& text : messages) {
    EXPECT_NE(text.find(L"plan\u00A5old.VX"), std::wstring::npos) << wingui::WideToUtf8(text);
  }
  for (const wchar_t* name : {L"\\a.VX", L"\\b.VX", L"\\notes.txt", L"\\plan\\old.VX"}) {
    DeleteFileW((folder + name).c_str());
  }
  DeleteFileW(yen.c_str());
  RemoveDirectoryW((folder + L"\\plan").c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST_F(DrawingListDialogTest, FolderBrowserOpensOnTheCurrentFolderAndKeepsDriveRootsWhole) {
  struct Case {
    const char* current;
    const char* chosen;
  };
  for (const Case c : {Case{"C:\\windows", "C:\\windows\\"}, Case{"C:\\", "C:\\"}}) {
    SCOPED_TRACE(c.current);
    ConversionOptions record;
    record.SelFolder = c.current;
    dialog_->FillFrom(record);
    bool confirmed = false;
    WhenReady(
        [&] {
          HWND browser = guitest::FindOwnedDialog(dialog_->hwnd());
          if (!browser) {
            return false;
          }
          PostMessageW(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
          confirmed = true;
          return true;
        },
        500);
    SendMessageW(Item(IDC_BROWSE_FOLDER), BM_CLICK, 0, 0);
    ASSERT_TRUE(confirmed);
    EXPECT_STRCASEEQ(dialog_->options().SelFolder.c_str(), c.chosen);
    char shown[300] = {};
    GetDlgItemTextA(dialog_->hwnd(), IDC_FOLDER_EDIT, shown, sizeof shown);
    EXPECT_EQ(dialog_->options().SelFolder, shown);
  }
}

// The next control of the same keyboard group that can take the focus, as the arrow keys move.
HWND NextInGroup(HWND dialog, HWND from, bool previous) {
  HWND h = from;
  do {
    h = GetNextDlgGroupItem(dialog, h, previous ? TRUE : FALSE);
  } while (h && h != from && (SendMessageW(h, WM_GETDLGCODE, 0, 0) & DLGC_STATIC));
  return h;
}

TEST_F(DrawingListDialogTest, PdfAndImageFormOneKeyboardGroupAcrossTheSeparatorLabel) {
  HWND pdf = Item(IDC_PDF);
  HWND image = Item(IDC_IMAGE);
  HWND label = GetWindow(pdf, GW_HWNDNEXT);
  ASSERT_EQ(GetWindow(label, GW_HWNDNEXT), image);
  EXPECT_FALSE(GetWindowLongW(label, GWL_STYLE) & WS_GROUP);
  EXPECT_EQ(NextInGroup(dialog_->hwnd(), pdf, false), image);
  EXPECT_EQ(NextInGroup(dialog_->hwnd(), image, false), pdf);
  EXPECT_EQ(NextInGroup(dialog_->hwnd(), image, true), pdf);
}

}  // namespace
}  // namespace plotxfer::ui
