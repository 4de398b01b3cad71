// One copy of PLOTXFER.exe per desktop, with real processes: a second copy brings the first
// one's main dialog to the front and ends at once; copies started at the same moment leave
// exactly one running.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "gui_test_support.h"
#include "resources/resource.h"
#include "wingui/strings.h"

namespace plotxfer {
namespace {

// Exit codes of a copy that found another one running (see app/single_instance_win.h).
constexpr DWORD kExitOtherActivated = 2;
constexpr DWORD kExitOtherNotActivated = 3;

struct Copy {
  PROCESS_INFORMATION pi{};
  bool started = false;
  ~Copy() {
    if (started) {
      if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
      }
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
  }
  bool Running() const { return WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
  }
};

// The shipped program, or the build for tests with the claim's start-up delay hook.
void Start(Copy& copy, bool suspended, const char* program = PLOTXFER_EXE) {
  std::wstring command = L"\"" + guitest::WinePath(program) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  copy.started =
      CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE,
                     suspended ? CREATE_SUSPENDED : 0, nullptr, nullptr, &si, &copy.pi) != FALSE;
  ASSERT_TRUE(copy.started) << GetLastError();
}

bool WaitUntil(const std::function<bool()>& done, int timeout_ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (std::chrono::steady_clock::now() < end) {
    if (done()) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

struct DialogSearch {
  std::wstring title;
  std::vector<std::pair<HWND, DWORD>> found;  // window, process
};

BOOL CALLBACK CollectMainDialog(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<DialogSearch*>(lparam);
  if (wingui::Window(hwnd).Text() == search->title) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    search->found.emplace_back(hwnd, pid);
  }
  return TRUE;
}

// Every top-level window titled with the program title, with its process.
std::vector<std::pair<HWND, DWORD>> MainDialogs() {
  DialogSearch search{wingui::LoadText(IDS_APP_TITLE), {}};
  EnumWindows(&CollectMainDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND MainDialogOf(const Copy& copy) {
  for (const auto& [hwnd, pid] : MainDialogs()) {
    if (pid == copy.pi.dwProcessId && IsWindowVisible(hwnd)) {
      return hwnd;
    }
  }
  return nullptr;
}

bool MarkerExists() {
  return FindWindowW(nullptr, L"VELLUMIX_ImageConverter") != nullptr;
}

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    guitest::App();
    ASSERT_FALSE(MarkerExists()) << "a copy of the program is still running";
  }
};

// A second start brings forward the window of the first copy the user can act on: its main
// dialog, or while a modal window is open (here the output sheet) that window, restoring the
// dialog when it was minimised; the window answers. With the sheet open the dialog is found with
// the run's progress in its title.
TEST_F(SingleInstanceTest, SecondCopyBringsForwardTheWindowToActOnAndEndsAtOnce) {
  struct Case {
    const char* name;
    bool sheet_open;
    bool minimised;  // otherwise behind another program's window
  };
  const Case cases[] = {
      {"the dialog, minimised", false, true},
      {"the sheet, behind another window", true, false},
      {"the sheet, minimised", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Copy first;
    Start(first, false);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = MainDialogOf(first)) != nullptr; }, 30000));
    EXPECT_TRUE(MarkerExists());
    HWND front = dialog;
    if (c.sheet_open) {
      PostMessageW(GetDlgItem(dialog, IDC_OUTPUT_SETTINGS), BM_CLICK, 0, 0);
      ASSERT_TRUE(WaitUntil(
          [&] {
            front = GetLastActivePopup(dialog);
            return front != dialog && IsWindowVisible(front) && !IsWindowEnabled(dialog);
          },
          10000));
      // As during a run, whose progress the title shows.
      SetWindowTextW(dialog, (wingui::LoadText(IDS_APP_TITLE) + L" (2/5)").c_str());
    }
    if (c.minimised) {
      ShowWindow(dialog, SW_MINIMIZE);
      ASSERT_TRUE(WaitUntil([&] { return IsIconic(dialog) != FALSE; }, 5000));
    } else {
      SetForegroundWindow(GetDesktopWindow());
    }

    Copy second;
    Start(second, false);
    ASSERT_EQ(WaitForSingleObject(second.pi.hProcess, 30000), WAIT_OBJECT_0);
    // This code is given only on the path that returns before the settings are read or any
    // window of its own is made.
    EXPECT_EQ(second.ExitCode(), kExitOtherActivated);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == front; }, 5000))
        << "in front: " << GetForegroundWindow() << ", wanted " << front << ", dialog " << dialog;
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(dialog); }, 5000)) << "not restored";
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(front, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &answer), 0);

    if (c.sheet_open) {
      // Cancel closes the sheet, and the dialog can be used and closed again.
      PostMessageW(front, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(dialog) != FALSE; }, 5000));
    }
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(first.pi.hProcess, 30000), WAIT_OBJECT_0);
    EXPECT_EQ(first.ExitCode(), 0u);
    EXPECT_FALSE(MarkerExists());
  }
}

// Starts a further copy and answers how long it took to end, or nothing when it was still
// running after 10 seconds.
std::optional<long long> TimeFurtherCopy() {
  Copy later;
  const auto started = std::chrono::steady_clock::now();
  Start(later, false);
  if (WaitForSingleObject(later.pi.hProcess, 10000) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  EXPECT_EQ(later.ExitCode(), kExitOtherActivated);
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               started)
      .count();
}

// A busy copy (a conversion handles no messages) must not keep later starts waiting: activating
// it waits for nothing, and the claim is released before it. A further copy then takes no more
// than a second longer than it does while the first copy answers (that much is the cost of
// starting a process under Wine on a busy machine).
TEST_F(SingleInstanceTest, FurtherCopiesEndAtOnceWhileTheFirstHandlesNoMessages) {
  Copy first;
  Start(first, false);
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (dialog = MainDialogOf(first)) != nullptr; }, 30000));
  const std::optional<long long> answering = TimeFurtherCopy();
  ASSERT_TRUE(answering.has_value());

  ASSERT_NE(SuspendThread(first.pi.hThread), static_cast<DWORD>(-1)) << GetLastError();
  // One after the other: a copy that waited would hold the claim, and the next would wait
  // behind it.
  std::optional<long long> stopped[2];
  for (auto& elapsed : stopped) {
    elapsed = TimeFurtherCopy();
    if (!elapsed) {
      break;
    }
  }
  ResumeThread(first.pi.hThread);
  for (const auto& elapsed : stopped) {
    ASSERT_TRUE(elapsed.has_value()) << "a further copy waited for the stopped one";
    EXPECT_LT(*elapsed, *answering + 1000) << "answering first copy: " << *answering << " ms";
  }

  PostMessageW(dialog, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(first.pi.hProcess, 30000), WAIT_OBJECT_0);
  EXPECT_EQ(first.ExitCode(), 0u);
}

TEST_F(SingleInstanceTest, CopiesStartedAtTheSameMomentLeaveExactlyOne) {
  constexpr int kCopies = 3;
  // Each copy lingers between its marker test and the marker's creation: without a lock around
  // the two, every copy would find no marker and open its own dialog.
  SetEnvironmentVariableW(L"PLOTXFER_TEST_CLAIM_DELAY_MS", L"700");
  std::vector<Copy> copies(kCopies);
  for (Copy& c : copies) {
    Start(c, true, PLOTXFER_CLAIM_DELAY_EXE);
  }
  SetEnvironmentVariableW(L"PLOTXFER_TEST_CLAIM_DELAY_MS", nullptr);
  for (Copy& c : copies) {
    ResumeThread(c.pi.hThread);
  }
  auto running = [&] {
    int n = 0;
    for (const Copy& c : copies) {
      n += c.Running() ? 1 : 0;
    }
    return n;
  };
  ASSERT_TRUE(WaitUntil([&] { return running() == 1 && MainDialogs().size() == 1; }, 30000))
      << running() << " copies running, " << MainDialogs().size() << " main dialogs";
  // Give a late copy the chance to show a second dialog if the rule were broken.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(running(), 1);
  EXPECT_EQ(MainDialogs().size(), 1u);

  for (Copy& c : copies) {
    if (c.Running()) {
      HWND dialog = MainDialogOf(c);
      ASSERT_NE(dialog, nullptr);
      PostMessageW(dialog, WM_CLOSE, 0, 0);
      ASSERT_EQ(WaitForSingleObject(c.pi.hProcess, 30000), WAIT_OBJECT_0);
      EXPECT_EQ(c.ExitCode(), 0u);
    } else {
      const DWORD code = c.ExitCode();
      EXPECT_TRUE(code == kExitOtherActivated || code == kExitOtherNotActivated) << code;
    }
  }
  EXPECT_FALSE(MarkerExists());
}

}  // namespace
}  // namespace plotxfer
