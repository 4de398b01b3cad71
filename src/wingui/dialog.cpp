#include "wingui/dialog.h"

#include "wingui/application.h"
#include "wingui/guard.h"
#include "wingui/strings.h"

namespace plotxfer::wingui {

Dialog::Dialog(UINT template_id, HWND parent) : template_id_(template_id), parent_(parent) {
}

Dialog::~Dialog() {
  // A modeless dialog must not outlive its object: its procedure would find a dangling pointer.
  if (hwnd() && IsWindow(hwnd())) {
    SetWindowLongPtrW(hwnd(), DWLP_USER, 0);
    DestroyWindow(hwnd());
  }
}

INT_PTR Dialog::DoModal() {
  modal_ = true;
  ended_ = false;
  const INT_PTR result = DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(template_id_),
                                         parent_, &DialogProc, reinterpret_cast<LPARAM>(this));
  modal_ = false;
  return result;
}

bool Dialog::Create(HWND parent) {
  if (parent) {
    parent_ = parent;
  }
  modal_ = false;
  ended_ = false;
  HWND h = CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(template_id_), parent_,
                              &DialogProc, reinterpret_cast<LPARAM>(this));
  return h != nullptr;
}

void Dialog::Destroy() {
  if (hwnd()) {
    DestroyWindow(hwnd());
  }
}

void Dialog::EndDialog(INT_PTR result) {
  ended_ = true;
  result_ = result;
  if (!hwnd()) {
    return;
  }
  if (modal_) {
    ::EndDialog(hwnd(), result);
  } else {
    ShowWindow(hwnd(), SW_HIDE);
  }
}

void Dialog::DoDataExchange(bool) {
}

BOOL Dialog::OnInitDialog() {
  DoDataExchange(false);
  return TRUE;
}

bool Dialog::DispatchCommand(UINT, UINT) {
  return false;
}

void Dialog::CenterIfTopLevel() {
  // Templates give top-level dialogs no position of their own: they open centred over their
  // owner, or over the work area of the screen when they have none.
  const LONG_PTR style = GetWindowLongPtrW(hwnd(), GWL_STYLE);
  if (style & WS_CHILD) {
    return;
  }
  RECT area{};
  HWND owner = GetWindow(hwnd(), GW_OWNER);
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
    GetWindowRect(owner, &area);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT me{};
  GetWindowRect(hwnd(), &me);
  const int width = me.right - me.left;
  const int height = me.bottom - me.top;
  int x = area.left + ((area.right - area.left) - width) / 2;
  int y = area.top + ((area.bottom - area.top) - height) / 2;
  x = x < 0 ? 0 : x;
  y = y < 0 ? 0 : y;
  SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Dialog::IsOwnButtonDisabled(int id) const {
  HWND button = GetDlgItem(hwnd(), id);
  return button != nullptr && !IsWindowEnabled(button);
}

void Dialog::OnOK() {
  if (IsOwnButtonDisabled(IDOK)) {
    return;
  }
  DoDataExchange(true);
  EndDialog(IDOK);
}

void Dialog::OnCancel() {
  if (IsOwnButtonDisabled(IDCANCEL)) {
    return;
  }
  EndDialog(IDCANCEL);
}

void Dialog::OnClose() {
  // The close box acts as the cancel command, with the same gate.
  ExecuteCommand(IDCANCEL, BN_CLICKED);
}

bool Dialog::OnSysCommand(UINT, LPARAM) {
  return false;
}
bool Dialog::OnPaint() {
  return false;
}
HICON Dialog::OnQueryDragIcon() {
  return nullptr;
}
bool Dialog::OnNotify(NMHDR*, LRESULT*) {
  return false;
}
bool Dialog::HandleMessage(UINT, WPARAM, LPARAM, INT_PTR*) {
  return false;
}

bool Dialog::ExecuteCommand(UINT id, UINT code) {
  if (DispatchCommand(id, code)) {
    return true;
  }
  if (code == BN_CLICKED) {
    if (id == IDOK) {
      OnOK();
      return true;
    }
    if (id == IDCANCEL) {
      OnCancel();
      return true;
    }
    if (Application* app = Application::Current()) {
      return app->ExecuteCommand(id);
    }
  }
  return false;
}

INT_PTR Dialog::OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_INITDIALOG: {
      const BOOL focus_default = OnInitDialog();
      CenterIfTopLevel();
      return focus_default;
    }
    case WM_COMMAND:
      return ExecuteCommand(LOWORD(wparam), HIWORD(wparam)) ? TRUE : FALSE;
    case WM_SYSCOMMAND:
      return OnSysCommand(static_cast<UINT>(wparam), lparam) ? TRUE : FALSE;
    case WM_PAINT:
      return OnPaint() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      // One of the few messages whose answer a dialog procedure returns directly.
      return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    case WM_CLOSE:
      OnClose();
      return TRUE;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (OnNotify(reinterpret_cast<NMHDR*>(lparam), &result)) {
        SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, result);
        return TRUE;
      }
      return FALSE;
    }
    default:
      break;
  }
  INT_PTR result = 0;
  if (HandleMessage(msg, wparam, lparam, &result)) {
    return result;
  }
  return FALSE;
}

Dialog* Dialog::FromHandle(HWND hwnd) {
  return reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
}

void Dialog::BindHandle(HWND hwnd) {
  SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
  Attach(hwnd);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  Dialog* self = nullptr;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lparam);
    if (self) {
      self->BindHandle(hwnd);
    }
  } else {
    self = FromHandle(hwnd);
  }
  if (!self) {
    return FALSE;
  }
  const INT_PTR result = Guarded("dialog procedure", static_cast<INT_PTR>(FALSE),
                                 [&] { return self->OnMessage(msg, wparam, lparam); });
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->Detach();
  }
  return result;
}

}  // namespace plotxfer::wingui
