// A run from the real dialog under Wine, with the real stand-in tools: the status cells as the
// list view holds them under code page 932, an Abort click made while a tool runs, the window
// answering other threads meanwhile, and the refusal while a program named RASTRON.EXE runs.
// What the dialog does around a run is tested natively against an in-memory view.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "../common/system_store_fixture.h"
#include "../unit/temp_files.h"
#include "../unit/test_env.h"
#include "gui_test_support.h"
#include "resources/resource.h"
#include "ui/pltxfr_dlg_win.h"

namespace plotxfer::ui {
namespace {

using guitest::App;
using guitest::ListCell;
using plotxfer::testing::DrawingHeader;
using plotxfer::testing::ReadBytes;
using plotxfer::testing::SetEnv;
using plotxfer::testing::UnsetEnv;
using plotxfer::testing::WriteBytes;

// 変換終了, エラー(1) and 変換中... as the list view gives them under code page 932.
const std::string kConverted = "\x95\xCF\x8A\xB7\x8F\x49\x97\xB9";
const std::string kError1 = "\x83\x47\x83\x89\x81\x5B(1)";
const std::string kConverting = "\x95\xCF\x8A\xB7\x92\x86...";

class RunDialogTest : public plotxfer::testing::SystemStoreTest {
 protected:
  void SetUp() override {
    SystemStoreTest::SetUp();
    if (GetACP() != 932) {
      GTEST_SKIP() << "the status texts are read as Shift-JIS";
    }
    App();
    // The application folder as the program finds it beside itself.
    app_ = work_.Path() + "\\";
    CreateDirectoryA((app_ + "RSTKIT").c_str(), nullptr);
    WriteBytes(app_ + "VXCVPX.exe", ReadBytes(PLOTXFER_STANDIN_VXCVPX));
    WriteBytes(app_ + "RSTKIT\\RASTRON.EXE", ReadBytes(PLOTXFER_STANDIN_RASTRON));
    for (const char* name : {"VELLUMIX.SYS", "vxcsd.std", "vxcsd.cprm"}) {
      WriteBytes(app_ + name, ReadBytes(std::string(PLOTXFER_DEMO_APP) + "/" + name));
    }
    settings_ = std::make_unique<SettingsStore>(store(), root());
    record_.AppFolder = app_;
    record_.FolderType = 0;
    dialog_ = std::make_unique<PLTXFRDlg>();
    dialog_->FillFrom(record_);
    DialogServices s = dialog_->services();
    s.settings = settings_.get();
    s.record = &record_;
    s.tables = &tables_;
    dialog_->SetServices(s);
    ASSERT_TRUE(dialog_->Create());
    ShowWindow(dialog_->hwnd(), SW_SHOWNORMAL);
  }
  void TearDown() override {
    UnsetEnv("PLOTXFER_STANDIN_SLEEP_MS");
    UnsetEnv("PLOTXFER_STANDIN_ONLY");
    dialog_.reset();
    SystemStoreTest::TearDown();
  }

  // n drawings in the list as the add handler leaves them.
  void List(int n) {
    DialogView& view = dialog_->dialog_view();
    for (int i = 0; i < n; ++i) {
      const std::string path = work_.File("d" + std::to_string(i) + ".VX");
      WriteBytes(path, DrawingHeader());
      view.ListInsertRow(i, RowNumberText(i));
      view.ListSetCell(i, 1, path);
      dialog_->DrawingPaths.push_back(path);
    }
    dialog_->UpdateRunButtons();
  }
  HWND Item(int id) const { return GetDlgItem(dialog_->hwnd(), id); }
  std::string Status(int row) const { return ListCell(Item(IDC_DRAWING_LIST), row, 2); }
  void Click(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }

  plotxfer::testing::TempFolder work_;
  std::string app_;
  std::unique_ptr<SettingsStore> settings_;
  ConversionOptions record_;
  params::ParamTables tables_;
  std::unique_ptr<PLTXFRDlg> dialog_;
};

// The first drawing fails at once; Abort is clicked while the second one's export tool runs,
// either as input waiting in the queue or as a message sent from another thread, which the window
// answers during the wait: both stop the run after that drawing.
TEST_F(RunDialogTest, AbortClickedWhileAToolRunsStopsTheRunAndTheWindowKeepsAnswering) {
  for (const bool sent : {false, true}) {
    SCOPED_TRACE(sent ? "sent" : "posted");
    if (sent) {  // a fresh dialog, application folder and settings key
      TearDown();
      SetUp();
    }
    List(3);
    WriteBytes(dialog_->DrawingPaths[0], "not a drawing at all, far too short");
    SetEnv("PLOTXFER_STANDIN_ONLY", "VXCVPX");
    SetEnv("PLOTXFER_STANDIN_SLEEP_MS", "1500");
    HWND dialog = dialog_->hwnd();
    HWND list = Item(IDC_DRAWING_LIST);
    HWND abort = Item(IDC_ABORT);
    std::atomic<bool> answered{false};
    std::string seen_status;
    bool abort_enabled = false;
    bool abort_enabled_after_click = true;
    std::thread user([&] {
      Sleep(600);  // the second drawing's export tool sleeps now
      DWORD_PTR result = 0;
      answered = SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 500, &result) != 0;
      // Read through the list's own thread: it serves messages sent to it while the tool runs.
      seen_status = ListCell(list, 1, 2);
      abort_enabled = IsWindowEnabled(abort) != FALSE;
      if (sent) {
        SendMessageTimeoutW(abort, BM_CLICK, 0, 0, SMTO_NORMAL, 1000, &result);
        abort_enabled_after_click = IsWindowEnabled(abort) != FALSE;
      } else {
        PostMessageW(abort, BM_CLICK, 0, 0);
      }
    });
    Click(IDC_EXECUTE);
    user.join();
    EXPECT_TRUE(answered);
    EXPECT_EQ(seen_status, kConverting);
    EXPECT_TRUE(abort_enabled);
    if (sent) {
      EXPECT_FALSE(abort_enabled_after_click);  // greyed at once, while the tool still runs
    }
    EXPECT_EQ(Status(0), kError1);
    EXPECT_EQ(Status(1), kConverted);
    EXPECT_EQ(Status(2), "");
    EXPECT_NE(GetFileAttributesA(work_.File("d1.pdf").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_EXECUTE)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_ADD_FILE)));
    EXPECT_TRUE(IsWindowEnabled(abort));
  }
}

// The list asks its owner for a row's tip: a failed row's says why in the program's own words,
// a converted row's stays as the list gave it.
TEST_F(RunDialogTest, AFailedRowsTipSaysWhy) {
  List(2);
  WriteBytes(dialog_->DrawingPaths[0], "not a drawing at all, far too short");
  Click(IDC_EXECUTE);
  ASSERT_EQ(Status(0), kError1);
  ASSERT_EQ(Status(1), kConverted);
  HWND list = Item(IDC_DRAWING_LIST);
  EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_INFOTIP);
  const auto tip = [&](int row) {
    wchar_t text[INFOTIPSIZE] = L"";
    NMLVGETINFOTIPW info{};
    info.hdr.hwndFrom = list;
    info.hdr.idFrom = IDC_DRAWING_LIST;
    info.hdr.code = LVN_GETINFOTIPW;
    info.dwFlags = LVGIT_UNFOLDED;
    info.pszText = text;
    info.cchTextMax = INFOTIPSIZE;
    info.iItem = row;
    SendMessageW(dialog_->hwnd(), WM_NOTIFY, IDC_DRAWING_LIST, reinterpret_cast<LPARAM>(&info));
    return std::wstring(text);
  };
  EXPECT_EQ(tip(0), L"図面のヘッダが正しくありません");
  EXPECT_EQ(tip(1), L"");
}

TEST_F(RunDialogTest, AProgramNamedRastronRefusesTheRunWithMessage400) {
  List(1);
  // Our stand-in, started under the utility's name from a folder of its own, sleeps meanwhile.
  const std::string busy_folder = work_.File("busy");
  CreateDirectoryA(busy_folder.c_str(), nullptr);
  const std::string busy = busy_folder + "\\RASTRON.EXE";
  WriteBytes(busy, ReadBytes(PLOTXFER_STANDIN_RASTRON));
  SetEnv("PLOTXFER_STANDIN_SLEEP_MS", "5000");
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string line = "\"" + busy + "\"";
  ASSERT_TRUE(CreateProcessA(busy.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                             nullptr, nullptr, &si, &pi));
  UnsetEnv("PLOTXFER_STANDIN_SLEEP_MS");
  Sleep(300);

  std::wstring text;
  guitest::WhenReady([&] {
    HWND box = guitest::FindOwnedDialog(dialog_->hwnd());
    if (!box) {
      return false;
    }
    text = guitest::ItemText(box, 0xFFFF);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
  });
  Click(IDC_EXECUTE);
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);

  EXPECT_EQ(text, L"出力ユーティリティが使用中のため、出力ができません。");
  EXPECT_EQ(Status(0), "");
  EXPECT_FALSE(settings_->ReadNumber(kBootDataKey, "PdfOrImage").has_value());
}

}  // namespace
}  // namespace plotxfer::ui
