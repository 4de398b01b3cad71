#include "gui_test_support.h"

#include <commctrl.h>
#include <objbase.h>

#include <map>

#include "resources/resource.h"
#include "wingui/strings.h"

namespace plotxfer::guitest {
namespace {

std::map<UINT_PTR, std::function<void()>>& Pending() {
  static std::map<UINT_PTR, std::function<void()>> pending;
  return pending;
}

void CALLBACK FireOnce(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto it = Pending().find(id);
  if (it == Pending().end()) {
    return;
  }
  std::function<void()> action = std::move(it->second);
  Pending().erase(it);
  action();
}

struct FindState {
  const std::wstring* title;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND hwnd, LPARAM lparam) {
  auto* state = reinterpret_cast<FindState*>(lparam);
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(hwnd)) {
    return TRUE;
  }
  const int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<std::size_t>(n));
  if (text == *state->title) {
    state->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

struct OwnedDialogSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK MatchOwnedDialog(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<OwnedDialogSearch*>(lparam);
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(hwnd) &&
      GetWindow(hwnd, GW_OWNER) == search->owner) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

TestApplication::TestApplication() {
  CoInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), 0xFF};
  InitCommonControlsEx(&controls);
  InitInstance();
}

std::span<const wingui::CommandEntry<TestApplication>> TestApplication::CommandTable() {
  static const wingui::CommandEntry<TestApplication> table[] = {
      {wingui::kHelpCommand, BN_CLICKED, &TestApplication::OnHelp},
  };
  return table;
}

bool TestApplication::OnIdle(long count) {
  idle_counts.push_back(count);
  if (idle_wanted > 0) {
    --idle_wanted;
    return true;
  }
  return false;
}

bool TestApplication::OpenDocument(const std::wstring& path) {
  opened.push_back(path);
  return shell_opens;
}

TestApplication& App() {
  static TestApplication app;
  return app;
}

void AfterDelay(int delay_ms, std::function<void()> action) {
  const UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(delay_ms), &FireOnce);
  Pending()[id] = std::move(action);
}

void WhenReady(std::function<bool()> action, int tries) {
  AfterDelay(20, [action, tries] {
    if (!action() && tries > 1) {
      WhenReady(action, tries - 1);
    }
  });
}

HWND FindThreadDialog(const std::wstring& title) {
  FindState state{&title, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &MatchDialog, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

HWND FindOwnedDialog(HWND owner) {
  OwnedDialogSearch search{owner, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &MatchOwnedDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::wstring ItemText(HWND dialog, int id) {
  return wingui::Window(GetDlgItem(dialog, id)).Text();
}

std::string ListCell(HWND list, int row, int column) {
  char buffer[264] = {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = sizeof buffer;
  SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return buffer;
}

std::wstring TempPath(const std::wstring& name) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
}

std::wstring WinePath(const std::string& posix_path) {
  std::wstring out = L"Z:";
  for (char c : posix_path) {
    out.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
  }
  return out;
}

}  // namespace plotxfer::guitest
