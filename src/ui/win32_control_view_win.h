#pragma once
// ControlView on the real controls of a Win32 dialog or property page; View is the view
// interface (DialogView, PageView) whose other methods the derived class gives.
#include <windows.h>

#include <string>

#include "ui/control_view.h"
#include "wingui/strings.h"
#include "wingui/window.h"

namespace plotxfer::ui {

template <class View>
class Win32ControlView : public View {
 public:
  // window: the dialog or page (its handle may arrive later).
  explicit Win32ControlView(const wingui::Window& window) : window_(window) {}

  bool IsChecked(int id) const override {
    return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  void SetCheck(int id, bool checked) override {
    SendMessageW(Item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  void Enable(int id, bool enabled) override { EnableWindow(Item(id), enabled ? TRUE : FALSE); }
  std::string Text(int id) const override { return wingui::Window(Item(id)).TextAnsi(); }
  void SetText(int id, const std::string& narrow) override {
    SetWindowTextA(Item(id), narrow.c_str());
  }
  std::string LoadText(int string_id) const override {
    return wingui::LoadTextUtf8(static_cast<UINT>(string_id));
  }

 protected:
  HWND hwnd() const { return window_.hwnd(); }
  HWND Item(int id) const { return window_.Item(id); }

 private:
  const wingui::Window& window_;
};

}  // namespace plotxfer::ui
