#include "app/single_instance_win.h"

#include <cwchar>
#include <string_view>

namespace plotxfer::app {
namespace {

// Serialises the marker test and the marker's creation between copies of one logon session.
constexpr wchar_t kClaimMutexName[] = L"Local\\PLOTXFER.SingleInstanceClaim";
constexpr wchar_t kMarkerClass[] = L"PLOTXFER.InstanceMarker";
// Long enough for any copy to finish its claim; a copy that somehow holds it longer must not
// keep the next start waiting silently for ever.
constexpr DWORD kClaimWaitMs = 10000;

class ClaimLock {
 public:
  ClaimLock() : mutex_(CreateMutexW(nullptr, FALSE, kClaimMutexName)) {
    if (mutex_) {
      const DWORD r = WaitForSingleObject(mutex_, kClaimWaitMs);
      // An abandoned mutex (its holder died mid-claim) is ours now all the same.
      held_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    }
  }
  ~ClaimLock() {
    if (held_) {
      ReleaseMutex(mutex_);
    }
    if (mutex_) {
      CloseHandle(mutex_);
    }
  }
  ClaimLock(const ClaimLock&) = delete;
  ClaimLock& operator=(const ClaimLock&) = delete;

 private:
  HANDLE mutex_;
  bool held_ = false;
};

#ifdef PLOTXFER_CLAIM_DELAY_HOOK
// Only in a build for tests, never in the shipped program, which reads no environment:
// PLOTXFER_TEST_CLAIM_DELAY_MS (at most 5000) widens the moment between the marker test and the
// marker's creation, so that a test can show that two copies started together cannot both slip
// through it.
void WaitForTests() {
  wchar_t value[16] = {};
  if (GetEnvironmentVariableW(L"PLOTXFER_TEST_CLAIM_DELAY_MS", value, 16) == 0) {
    return;
  }
  const long ms = std::wcstol(value, nullptr, 10);
  if (ms > 0) {
    Sleep(static_cast<DWORD>(ms > 5000 ? 5000 : ms));
  }
}
#else
void WaitForTests() {
}
#endif

void CreateMarkerWindow(HINSTANCE instance) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = kMarkerClass;
  RegisterClassW(&wc);
  // Never shown and never destroyed: it lives exactly as long as the process.
  CreateWindowExW(0, kMarkerClass, kMarkerTitle, WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr,
                  nullptr, instance, nullptr);
}

struct MainDialogSearch {
  DWORD process;
  const std::wstring* title;
  HWND found = nullptr;
};

BOOL CALLBACK FindMainDialog(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<MainDialogSearch*>(lparam);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process != search->process || GetWindow(hwnd, GW_OWNER) || !IsWindowVisible(hwnd)) {
    return TRUE;
  }
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  // During a run the title goes on with the run's progress.
  if (std::wstring_view(text).starts_with(*search->title)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

InstanceClaim ClaimSingleInstance(HINSTANCE instance, const std::wstring& program_title) {
  HWND marker = nullptr;
  {
    ClaimLock lock;
    marker = FindWindowW(nullptr, kMarkerTitle);
    if (!marker) {
      WaitForTests();
      CreateMarkerWindow(instance);
      return InstanceClaim::kFirst;
    }
  }
  // The claim is released before the other copy is touched, and nothing below waits for that
  // copy: while it is busy (a conversion handles no messages), a further start must still end
  // at once instead of hanging, and every start after it behind the claim.
  // The main dialog is the marker's process's window without an owner whose title begins with
  // the program title, compared as UTF-16 so that the Japanese title matches under any code page.
  MainDialogSearch search{0, &program_title};
  GetWindowThreadProcessId(marker, &search.process);
  EnumWindows(&FindMainDialog, reinterpret_cast<LPARAM>(&search));
  HWND main = search.found;
  if (!main) {
    return InstanceClaim::kOtherNotActivated;
  }
  // While the dialog shows a modal window (the output sheet, a chooser, a message box), the
  // dialog itself is disabled and only the modal window can be used: that is the one to bring
  // forward, never the dialog over it.
  if (IsIconic(main)) {
    // Restored without taking the activation: done later on the other copy's thread, a restore
    // that activated would put the disabled dialog over its modal window again.
    ShowWindowAsync(main, SW_SHOWNOACTIVATE);
  }
  HWND usable = GetLastActivePopup(main);
  SetForegroundWindow(usable ? usable : main);
  return InstanceClaim::kOtherActivated;
}

}  // namespace plotxfer::app
