#pragma once
// A thin, non-owning handle to a window or control.
#include <windows.h>

#include <string>

namespace plotxfer::wingui {

class Window {
 public:
  Window() = default;
  explicit Window(HWND hwnd) : hwnd_(hwnd) {}

  HWND hwnd() const { return hwnd_; }
  explicit operator bool() const { return hwnd_ != nullptr; }
  void Attach(HWND hwnd) { hwnd_ = hwnd; }
  HWND Detach() {
    HWND h = hwnd_;
    hwnd_ = nullptr;
    return h;
  }

  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const {
    return SendMessageW(hwnd_, msg, w, l);
  }

  void Enable(bool enabled) const { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
  bool IsEnabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
  void Show(bool shown) const { ShowWindow(hwnd_, shown ? SW_SHOW : SW_HIDE); }
  // The control's own visible style, whatever the visibility of its parents.
  bool HasVisibleStyle() const { return (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }

  std::wstring Text() const;
  void SetText(const std::wstring& text) const { SetWindowTextW(hwnd_, text.c_str()); }
  // ANSI code page: paths and what goes to the external tools.
  std::string TextAnsi() const;
  void SetTextAnsi(const std::string& text) const { SetWindowTextA(hwnd_, text.c_str()); }

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace plotxfer::wingui
