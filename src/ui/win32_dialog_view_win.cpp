#include "ui/win32_dialog_view_win.h"

#include <commctrl.h>
#include <algorithm>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/shell_text.h"
#include "wingui/application.h"
#include "wingui/strings.h"

namespace plotxfer::ui {
namespace {

using wingui::AnsiToWide;
using wingui::Utf8ToWide;

// The texts of the file dialog's answer up to the first empty one: one full path, or the folder
// followed by the chosen names.
std::vector<ShellName> SelectionNames(const std::vector<wchar_t>& buffer) {
  std::vector<ShellName> names;
  std::size_t at = 0;
  while (at < buffer.size() && buffer[at] != L'\0') {
    std::size_t end = at;
    while (end < buffer.size() && buffer[end] != L'\0') {
      ++end;
    }
    names.push_back(ShellNameFromWide(std::wstring_view(buffer.data() + at, end - at)));
    at = end + 1;
  }
  return names;
}

int CALLBACK BrowseCallback(HWND hwnd, UINT msg, LPARAM lparam, LPARAM data) {
  switch (msg) {
    case BFFM_INITIALIZED: {
      const auto* initial = reinterpret_cast<const wchar_t*>(data);
      if (initial && *initial) {
        SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(initial));
        SendMessageW(hwnd, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(initial));
      }
      break;
    }
    case BFFM_SELCHANGED: {
      wchar_t path[MAX_PATH + 4] = {};
      if (SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(lparam), path)) {
        SendMessageW(hwnd, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path));
      }
      break;
    }
    default:
      break;
  }
  return 0;
}

}  // namespace

ShellName ShellNameFromWide(std::wstring_view wide) {
  std::string narrow;
  if (platform::NarrowFromUtf16(
          std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()),
          &narrow)) {
    return ShellName(std::move(narrow));
  }
  return ShellName::NotHeld(wingui::WideToUtf8(wide));
}

bool Win32DialogView::IsEnabled(int id) const {
  return IsWindowEnabled(Item(id)) != FALSE;
}

void Win32DialogView::Show(int id, bool shown) {
  ShowWindow(Item(id), shown ? SW_SHOW : SW_HIDE);
}

void Win32DialogView::Focus(int id) {
  // Through the dialog manager, so that the default button follows the focus.
  SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
}

void Win32DialogView::Repaint() {
  RedrawWindow(hwnd(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool Win32DialogView::ProcessPendingMessages() {
  wingui::Application* app = wingui::Application::Current();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (app) {
      if (!app->PumpMessage()) {
        PostQuitMessage(0);
        return false;
      }
      continue;
    }
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      break;
    }
    if (msg.message == WM_QUIT) {
      PostQuitMessage(0);
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (app) {
    app->RunIdle();
  }
  return true;
}

std::string Win32DialogView::NarrowToUtf8(const std::string& narrow) const {
  return platform::NarrowToUtf8(narrow);
}

bool Win32DialogView::AppendSystemMenuItem(int command, const std::string& utf8_text) {
  HMENU menu = GetSystemMenu(hwnd(), FALSE);
  if (!menu) {
    return false;
  }
  const std::wstring text = Utf8ToWide(utf8_text);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(command), text.c_str());
  return true;
}

void Win32DialogView::SetDialogIcon() {
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large_icon_));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_));
}

void Win32DialogView::ListAddExtendedStyle(unsigned bits) {
  const LRESULT now = SendMessageW(List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  SendMessageW(List(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, now | static_cast<LPARAM>(bits));
}

void Win32DialogView::ListInsertColumn(int index, const std::string& utf8_title, int width) {
  std::wstring title = Utf8ToWide(utf8_title);
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = width;
  column.pszText = title.data();
  column.iSubItem = index;
  SendMessageW(List(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&column));
}

int Win32DialogView::ListRowCount() const {
  return static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
}

void Win32DialogView::ListInsertRow(int row, const std::string& narrow) {
  std::string text = narrow;
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = 0;
  item.pszText = text.data();
  SendMessageA(List(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void Win32DialogView::ListSetCell(int row, int column, const std::string& narrow) {
  std::string text = narrow;
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text.data();
  SendMessageA(List(), LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void Win32DialogView::ListSetUiCell(int row, int column, const std::string& utf8) {
  std::wstring text = Utf8ToWide(utf8);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text.data();
  SendMessageW(List(), LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::string Win32DialogView::ListCell(int row, int column) const {
  std::vector<char> buffer(264);
  for (;;) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const auto n = static_cast<std::size_t>(SendMessageA(
        List(), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    if (n + 2 < buffer.size() || buffer.size() >= 65536) {
      return std::string(buffer.data(), std::min(n, buffer.size() - 1));
    }
    buffer.resize(buffer.size() * 4);
  }
}

void Win32DialogView::ListDeleteRow(int row) {
  SendMessageW(List(), LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

std::vector<int> Win32DialogView::ListSelectedRows() const {
  std::vector<int> rows;
  int row = -1;
  for (;;) {
    row = static_cast<int>(
        SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
    if (row < 0) {
      return rows;
    }
    rows.push_back(row);
  }
}

void Win32DialogView::ListSelectAndFocusRow(int row) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void Win32DialogView::ListHoldPainting(bool hold) {
  // Each row the list paints on its own costs more than the whole list painted once.
  SendMessageW(List(), WM_SETREDRAW, hold ? FALSE : TRUE, 0);
  if (!hold) {
    InvalidateRect(List(), nullptr, TRUE);
  }
}

MessageAnswer Win32DialogView::ShowMessage(const MessageRequest& request) {
  UINT flags = request.buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK;
  switch (request.icon) {
    case MessageIcon::Warning:
      flags |= MB_ICONWARNING;
      break;
    case MessageIcon::Question:
      flags |= MB_ICONQUESTION;
      break;
    case MessageIcon::Error:
      flags |= MB_ICONERROR;
      break;
  }
  if (request.task_modal) {
    flags |= MB_TASKMODAL;
  }
  if (request.default_no) {
    flags |= MB_DEFBUTTON2;
  }
  const std::wstring text = Utf8ToWide(request.text);
  const std::wstring caption = Utf8ToWide(request.caption);
  switch (MessageBoxW(hwnd(), text.c_str(), caption.c_str(), flags)) {
    case IDOK:
      return MessageAnswer::Ok;
    case IDYES:
      return MessageAnswer::Yes;
    case IDNO:
      return MessageAnswer::No;
    default:
      return MessageAnswer::Closed;
  }
}

std::optional<std::vector<ShellName>> Win32DialogView::ChooseFiles(const FileRequest& request) {
  // The string table keeps the filter with '|' separators; the dialog wants zeros.
  std::wstring filter = Utf8ToWide(request.filter);
  for (wchar_t& c : filter) {
    if (c == L'|') {
      c = L'\0';
    }
  }
  filter.push_back(L'\0');
  const std::wstring title = Utf8ToWide(request.title);
  const std::wstring initial = AnsiToWide(request.initial_folder);
  std::vector<wchar_t> result(request.result_chars + 1, L'\0');

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd();
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = result.data();
  ofn.nMaxFile = static_cast<DWORD>(request.result_chars);
  ofn.lpstrInitialDir = initial.empty() ? nullptr : initial.c_str();
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY |
              OFN_DONTADDTORECENT;
  if (!GetOpenFileNameW(&ofn)) {
    return std::nullopt;
  }
  return SelectionNames(result);
}

std::optional<ShellName> Win32DialogView::ChooseFolder(const FolderRequest& request) {
  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator)) || !allocator) {
    return std::nullopt;
  }
  LPITEMIDLIST root = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &root))) {
    root = nullptr;
  }
  const std::wstring instruction = Utf8ToWide(request.instruction);
  std::wstring initial = AnsiToWide(request.initial_folder);
  wchar_t display_name[MAX_PATH + 4] = {};

  BROWSEINFOW info{};
  info.hwndOwner = hwnd();
  info.pidlRoot = root;
  info.pszDisplayName = display_name;
  info.lpszTitle = instruction.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
  info.lpfn = &BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(initial.c_str());

  std::optional<ShellName> chosen;
  LPITEMIDLIST item = SHBrowseForFolderW(&info);
  if (item) {
    wchar_t path[MAX_PATH + 4] = {};
    if (SHGetPathFromIDListW(item, path) && path[0] != L'\0') {
      chosen = ShellNameFromWide(path);
    }
    allocator->Free(item);
  }
  if (root) {
    allocator->Free(root);
  }
  allocator->Release();
  return chosen;
}

void Win32DialogView::AcceptDrops(bool accept) {
  DragAcceptFiles(hwnd(), accept ? TRUE : FALSE);
}

Win32DialogView::~Win32DialogView() {
  if (taskbar_) {
    taskbar_->Release();
  }
}

int Win32DialogView::FocusedControl() const {
  HWND focus = GetFocus();
  if (!focus || !IsChild(hwnd(), focus)) {
    return 0;  // another window has it (a modal window, another program)
  }
  // A control's own child (the list's header or label edit) counts as the control.
  while (focus && GetParent(focus) != hwnd()) {
    focus = GetParent(focus);
  }
  return focus ? GetDlgCtrlID(focus) : 0;
}

void Win32DialogView::SetTitle(const std::string& utf8) {
  SetWindowTextW(hwnd(), Utf8ToWide(utf8).c_str());
}

void Win32DialogView::ShowRunProgress(std::size_t done, std::size_t total, bool failed) {
  if (!taskbar_tried_) {
    // Asked once: a shell without task-bar progress shows the run in the title only.
    taskbar_tried_ = true;
    void* list = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ITaskbarList3, &list)) &&
        list) {
      taskbar_ = static_cast<ITaskbarList3*>(list);
      if (FAILED(taskbar_->HrInit())) {
        taskbar_->Release();
        taskbar_ = nullptr;
      }
    }
  }
  if (!taskbar_) {
    return;
  }
  if (total == 0) {
    taskbar_->SetProgressState(hwnd(), TBPF_NOPROGRESS);
    return;
  }
  taskbar_->SetProgressState(hwnd(), failed ? TBPF_ERROR : TBPF_NORMAL);
  taskbar_->SetProgressValue(hwnd(), done, total);
}

void Win32DialogView::FlashIfInBackground() {
  if (GetForegroundWindow() == hwnd()) {
    return;
  }
  FLASHWINFO flash{};
  flash.cbSize = sizeof flash;
  flash.hwnd = hwnd();
  flash.dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;
  FlashWindowEx(&flash);
}

void Win32DialogView::OpenWithShell(const std::string& narrow_path) {
  ShellExecuteW(hwnd(), L"open", AnsiToWide(narrow_path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32DialogView::ShowInFolder(const std::string& narrow_path) {
  const std::wstring select = L"/select,\"" + AnsiToWide(narrow_path) + L"\"";
  ShellExecuteW(hwnd(), L"open", L"explorer.exe", select.c_str(), nullptr, SW_SHOWNORMAL);
}

int Win32DialogView::TrackMenu(const std::vector<MenuItem>& items) {
  HMENU menu = CreatePopupMenu();
  if (!menu) {
    return 0;
  }
  for (const MenuItem& item : items) {
    const std::wstring text = Utf8ToWide(item.text);
    AppendMenuW(menu, MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED),
                static_cast<UINT_PTR>(item.command), text.c_str());
  }
  POINT at{};
  if (menu_point_) {
    at = *menu_point_;
    menu_point_.reset();
  } else {
    GetCursorPos(&at);
  }
  const int chosen = static_cast<int>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, hwnd(), nullptr));
  DestroyMenu(menu);
  return chosen;
}

}  // namespace plotxfer::ui
