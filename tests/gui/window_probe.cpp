// Acts on the dialog program's windows from outside, for the screenshots:
//   window_probe show-about               shows the About box (dialog 100 of the real resources)
//   window_probe show-sheet pdf|image     shows the output settings sheet on a sample record,
//                                         on the tab named; closing it stores nothing
//   window_probe rect main|about|sheet    prints "x y width height" of the window
//   window_probe wait main|about|sheet N  waits up to N seconds for the window; exit 0 when shown
//   window_probe close main|about|sheet   closes the window as its close box would
//   window_probe click ID                 clicks the main dialog's control ID (posted)
//   window_probe wait-enabled ID N        waits up to N seconds until the main dialog's control
//                                         ID is enabled (after a run: Execute comes back)
//   window_probe add NAME...              clicks the main dialog's add button and chooses the
//                                         named files in the folder its file dialog opens on
//   window_probe refuse-dpi               puts 1000 into the open sheet's resolution and turns to
//                                         the PDF tab, which the image page refuses
//   window_probe second-start PROGRAM [minimised]
//                                         opens the running copy's output settings sheet, puts
//                                         a window of its own in front (or minimises the main
//                                         dialog), starts PROGRAM again and prints how long it
//                                         took until the sheet was in front and answering
//   window_probe press setup|uninstall ID clicks control ID of the installer's or uninstaller's
//                                         window or of its current page (posted)
// The main dialog is found by the program title (string 200), the About box and the sheet by
// their captions, the installer and the uninstaller by theirs (Japanese or English).
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include <commctrl.h>

#include "platform/system_settings.h"
#include "resources/resource.h"
#include "ui/about_dlg_win.h"
#include "ui/output_sheet_win.h"
#include "wingui/strings.h"

namespace {

BOOL CALLBACK FindMainDialog(HWND hwnd, LPARAM lparam) {
  auto* found = reinterpret_cast<HWND*>(lparam);
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  // During a run the title goes on with the run's progress.
  const std::wstring title = plotxfer::wingui::LoadText(IDS_APP_TITLE);
  const std::wstring_view shown(text);
  const bool titled =
      shown == title || (shown.starts_with(title + L" (") && shown.size() > title.size() + 2 &&
                         iswdigit(shown[title.size() + 2]));
  if (std::wstring_view(cls) == L"#32770" && !GetWindow(hwnd, GW_OWNER) && titled) {
    *found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// The installer's and the uninstaller's captions begin with the program's display name and end
// in "セットアップ" or "Setup", "アンインストール" or "Uninstall".
struct InstallerSearch {
  bool uninstaller;
  HWND found;
};

BOOL CALLBACK MatchInstaller(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<InstallerSearch*>(param);
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  std::wstring caption = text;
  // The Japanese captions end in a space.
  while (!caption.empty() && caption.back() == L' ') {
    caption.pop_back();
  }
  static const std::wstring kName =
      L"\u753b\u50cf\u5909\u63db\u30a2\u30d7\u30ea\u30b1\u30fc\u30b7\u30e7\u30f3 (PLOTXFER)";
  static const wchar_t* const kEnds[2][2] = {
      {L"\u30bb\u30c3\u30c8\u30a2\u30c3\u30d7", L"Setup"},
      {L"\u30a2\u30f3\u30a4\u30f3\u30b9\u30c8\u30fc\u30eb", L"Uninstall"}};
  if (caption.rfind(kName, 0) != 0) {
    return TRUE;
  }
  for (const wchar_t* end : kEnds[search->uninstaller ? 1 : 0]) {
    const std::wstring tail = end;
    if (caption.size() >= tail.size() &&
        caption.compare(caption.size() - tail.size(), tail.size(), tail) == 0) {
      search->found = window;
      return FALSE;
    }
  }
  return TRUE;
}

HWND FindInstaller(bool uninstaller) {
  InstallerSearch search{uninstaller, nullptr};
  EnumWindows(MatchInstaller, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND Find(const char* which) {
  if (std::strcmp(which, "setup") == 0 || std::strcmp(which, "uninstall") == 0) {
    return FindInstaller(std::strcmp(which, "uninstall") == 0);
  }
  if (std::strcmp(which, "about") == 0) {
    return FindWindowW(L"#32770", L"\u30d0\u30fc\u30b8\u30e7\u30f3\u60c5\u5831");
  }
  if (std::strcmp(which, "sheet") == 0) {
    return FindWindowW(L"#32770", plotxfer::wingui::LoadText(IDS_OUTPUT_SETTINGS).c_str());
  }
  HWND main = nullptr;
  EnumWindows(&FindMainDialog, reinterpret_cast<LPARAM>(&main));
  return main;
}

void CALLBACK ShowImageTab(HWND, UINT, UINT_PTR id, DWORD) {
  if (HWND sheet = Find("sheet")) {
    KillTimer(nullptr, id);
    PropSheet_SetCurSel(sheet, nullptr, 1);
  }
}

// The sheet as a user who chose specified sizes would see it: A3 and combined PDF output, a
// custom image size at 200 dpi.
int ShowSheet(bool image_tab) {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), 0xFF};
  InitCommonControlsEx(&controls);
  plotxfer::ConversionOptions record = plotxfer::ConversionOptions::WithScreenDpi(96);
  record.PdfSizeType = 1;
  record.PdfPaperType = 3;
  record.ConnectNum = 1;
  record.ImgSizeType = 1;
  record.ImgPaperType = plotxfer::kCustomPaper;
  record.ImgOptXSize = 400;
  record.ImgOptYSize = 300;
  record.OutXdpi = 200;
  if (image_tab) {
    SetTimer(nullptr, 0, 50, &ShowImageTab);
  }
  const INT_PTR result =
      plotxfer::ui::OpenOutputSettings(nullptr, record, plotxfer::platform::SystemSettingsStore());
  return result == IDOK ? 0 : 1;
}

HWND WaitFor(const wchar_t* title, int seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    if (HWND h = FindWindowW(L"#32770", title); h && IsWindowVisible(h)) {
      return h;
    }
    Sleep(100);
  }
  return nullptr;
}

// The names (the arguments from the third on) typed into the file dialog's name box as
// "a.VX" "b.VX" ...; taken as UTF-16 so that Japanese names survive any code page.
int AddFiles() {
  int argc = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &argc);
  HWND main = Find("main");
  if (!main || !args || argc < 3) {
    std::fprintf(stderr, "window_probe: no main dialog, or no names\n");
    return 1;
  }
  PostMessageW(GetDlgItem(main, IDC_ADD_FILE), BM_CLICK, 0, 0);
  const std::wstring title = plotxfer::wingui::LoadText(IDS_SELECT_DRAWINGS);
  HWND chooser = WaitFor(title.c_str(), 30);
  if (!chooser) {
    std::fprintf(stderr, "window_probe: the file dialog did not appear\n");
    return 1;
  }
  std::wstring typed;
  for (int i = 2; i < argc; ++i) {
    typed += (i > 2 ? L" \"" : L"\"") + std::wstring(args[i]) + L"\"";
  }
  LocalFree(args);
  HWND combo = GetDlgItem(chooser, 1148);  // the file-name box
  HWND edit = combo ? FindWindowExW(combo, nullptr, L"Edit", nullptr) : nullptr;
  SendMessageW(edit ? edit : combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
  PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  for (int i = 0; i < 100 && IsWindow(chooser); ++i) {
    Sleep(100);
  }
  return IsWindow(chooser) ? 1 : 0;
}

long long MillisecondsSince(LARGE_INTEGER start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return (now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart;
}

// A second start while the running copy shows its output settings sheet: the sheet, not the
// disabled main dialog, must come to the front, and answer.
int SecondStart(const char* program, bool minimise) {
  HWND main = Find("main");
  if (!main) {
    std::fprintf(stderr, "window_probe: no main dialog\n");
    return 1;
  }
  PostMessageW(GetDlgItem(main, IDC_OUTPUT_SETTINGS), BM_CLICK, 0, 0);
  HWND sheet = nullptr;
  for (int i = 0; i < 300 && !(sheet && IsWindowVisible(sheet)); ++i) {
    Sleep(100);
    sheet = Find("sheet");
  }
  if (!sheet || GetLastActivePopup(main) != sheet) {
    std::fprintf(stderr, "window_probe: the output settings sheet did not open\n");
    return 1;
  }
  HWND other = nullptr;
  if (minimise) {
    ShowWindow(main, SW_MINIMIZE);
  } else {
    // Another program's window in front of both, as when the user went elsewhere.
    other = CreateWindowExW(0, L"Static", L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                            0, 640, 480, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(other);
  }
  Sleep(1000);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    DispatchMessageW(&msg);
  }
  const bool usable_before = GetForegroundWindow() == sheet && IsWindowVisible(sheet);
  if (minimise ? !IsIconic(main) : usable_before) {
    std::fprintf(stderr, "window_probe: the sheet was in front before the second start\n");
    return 1;
  }

  std::wstring command = L"\"" + plotxfer::wingui::AnsiToWide(program) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    std::fprintf(stderr, "window_probe: the second copy did not start\n");
    return 1;
  }
  long long in_front = -1;
  long long ended = -1;
  while (MillisecondsSince(start) < 10000 && (in_front < 0 || ended < 0)) {
    if (ended < 0 && WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) {
      ended = MillisecondsSince(start);
    }
    if (in_front < 0 && GetForegroundWindow() == sheet && IsWindowVisible(sheet) &&
        !IsIconic(main)) {
      in_front = MillisecondsSince(start);
    }
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&msg);
    }
    Sleep(5);
  }
  DWORD exit_code = 0;
  GetExitCodeProcess(pi.hProcess, &exit_code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  DWORD_PTR answer = 0;
  const bool answers = SendMessageTimeoutW(sheet, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer) != 0;
  std::printf(
      "second start (%s): the sheet was in front and %s after %lld ms; "
      "the second copy ended after %lld ms with exit code %lu\n",
      minimise ? "main dialog minimised" : "another window in front",
      answers ? "answering" : "NOT answering", in_front, ended, exit_code);
  if (other) {
    DestroyWindow(other);
  }
  return in_front >= 0 && answers ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: window_probe show-about|rect|wait|close [main|about] [seconds]\n");
    return 2;
  }
  const char* verb = argv[1];
  const char* which = argc > 2 ? argv[2] : "main";
  if (std::strcmp(verb, "click") == 0 || std::strcmp(verb, "wait-enabled") == 0) {
    HWND main = Find("main");
    HWND control = main && argc > 2 ? GetDlgItem(main, std::atoi(argv[2])) : nullptr;
    if (!control) {
      std::fprintf(stderr, "window_probe: no such control\n");
      return 1;
    }
    if (std::strcmp(verb, "click") == 0) {
      PostMessageW(control, BM_CLICK, 0, 0);
      return 0;
    }
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 10;
    for (int i = 0; i < seconds * 10; ++i) {
      if (IsWindowEnabled(control)) {
        return 0;
      }
      Sleep(100);
    }
    return 1;
  }
  if (std::strcmp(verb, "press") == 0 && argc > 3) {
    HWND window = Find(which);
    HWND control = window ? GetDlgItem(window, std::atoi(argv[3])) : nullptr;
    // The page is a dialog inside the window.
    HWND page = window ? FindWindowExW(window, nullptr, L"#32770", nullptr) : nullptr;
    if (!control && page) {
      control = GetDlgItem(page, std::atoi(argv[3]));
    }
    if (!control) {
      std::fprintf(stderr, "window_probe: no such control\n");
      return 1;
    }
    PostMessageW(control, BM_CLICK, 0, 0);
    return 0;
  }
  if (std::strcmp(verb, "add") == 0) {
    return AddFiles();
  }
  if (std::strcmp(verb, "refuse-dpi") == 0) {
    HWND sheet = Find("sheet");
    HWND page = sheet ? PropSheet_GetCurrentPageHwnd(sheet) : nullptr;
    HWND dpi = page ? GetDlgItem(page, IDC_IMG_DPI) : nullptr;
    if (!dpi) {
      std::fprintf(stderr, "window_probe: no resolution edit\n");
      return 1;
    }
    SendMessageW(dpi, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"1000"));
    PostMessageW(sheet, PSM_SETCURSEL, 0, 0);
    return 0;
  }
  if (std::strcmp(verb, "second-start") == 0 && argc > 2) {
    return SecondStart(argv[2], argc > 3 && std::strcmp(argv[3], "minimised") == 0);
  }
  if (std::strcmp(verb, "show-about") == 0) {
    plotxfer::ui::CAboutDlg about;
    return about.DoModal() == IDOK ? 0 : 1;
  }
  if (std::strcmp(verb, "show-sheet") == 0) {
    return ShowSheet(std::strcmp(which, "image") == 0);
  }
  if (std::strcmp(verb, "wait") == 0) {
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 10;
    for (int i = 0; i < seconds * 10; ++i) {
      if (HWND h = Find(which); h && IsWindowVisible(h)) {
        return 0;
      }
      Sleep(100);
    }
    return 1;
  }
  HWND h = Find(which);
  if (!h) {
    std::fprintf(stderr, "window_probe: window not found\n");
    return 1;
  }
  if (std::strcmp(verb, "rect") == 0) {
    RECT r{};
    GetWindowRect(h, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
  }
  if (std::strcmp(verb, "close") == 0) {
    PostMessageW(h, WM_CLOSE, 0, 0);
    return 0;
  }
  std::fprintf(stderr, "window_probe: unknown verb %s\n", verb);
  return 2;
}
