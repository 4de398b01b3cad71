#pragma once
// The About box, opened from the main dialog's system menu.
#include "resources/resource.h"
#include "wingui/dialog.h"

namespace plotxfer::ui {

class CAboutDlg : public wingui::DialogImpl<CAboutDlg> {
 public:
  explicit CAboutDlg(HWND parent = nullptr) : DialogImpl(IDD_ABOUTBOX, parent) {}
  // Nothing of its own: OK, Escape and the close box end it.
  static std::span<const wingui::CommandEntry<CAboutDlg>> CommandTable() { return {}; }
};

}  // namespace plotxfer::ui
