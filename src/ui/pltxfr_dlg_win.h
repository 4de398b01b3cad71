#pragma once
// The main dialog on Win32: the window, its command table and the handlers that need the window
// itself (system menu, painting while minimised, drag icon). The rules live in MainDialog.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "core/settings/options.h"
#include "core/settings/settings_store.h"
#include "resources/resource.h"
#include "ui/main_dialog.h"
#include "ui/win32_dialog_view_win.h"
#include "wingui/dialog.h"

namespace plotxfer::ui {

class PLTXFRDlg : public wingui::DialogImpl<PLTXFRDlg>, public MainDialog {
 public:
  explicit PLTXFRDlg(HWND parent = nullptr);
  ~PLTXFRDlg() override;

  static std::span<const wingui::CommandEntry<PLTXFRDlg>> CommandTable();

  HICON icon() const { return icon_; }
  DialogView& dialog_view() { return view_; }

  // The record the output settings sheet edits and the store its OK writes to; without them the
  // sheet's button does nothing.
  void UseRecord(ConversionOptions& record, SettingsStore& store) {
    record_ = &record;
    store_ = &store;
  }
  void OnOutputSettings();
  // Execute: the run, then the end of the dialog when a close was confirmed during it.
  void OnExecuteClicked();

 protected:
  BOOL OnInitDialog() override;
  bool OnSysCommand(UINT id, LPARAM lparam) override;
  bool OnPaint() override;
  HICON OnQueryDragIcon() override;
  void OnOK() override;
  void OnCancel() override;
  void OnClose() override;
  bool OnNotify(NMHDR* header, LRESULT* result) override;
  bool HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, INT_PTR* result) override;

 private:
  // Files and folders dropped from Explorer, their names taken as UTF-16.
  void TakeDrop(HDROP drop);
  // A failed row's reason as the tip the list asks for.
  void FillRowTip(NMLVGETINFOTIPW& tip) const;
  // The right-click menu of the row at a screen point, or of the focused row (point -1, -1: the
  // keyboard's menu key).
  void OnListContextMenu(LPARAM point);

  HICON icon_;
  HICON small_icon_;
  // What a run goes through on this system: the tools wait with the window kept alive.
  ConversionServices conversion_;
  RunPorts run_ports_;
  params::ParamServices params_;
  Win32DialogView view_;
  ConversionOptions* record_ = nullptr;
  SettingsStore* store_ = nullptr;
};

}  // namespace plotxfer::ui
