#pragma once
// DialogView on the real controls of a Win32 dialog.
#include <windows.h>

#include <string_view>
#include <optional>

#include "ui/dialog_view.h"
#include "ui/win32_control_view_win.h"
#include "wingui/window.h"

struct ITaskbarList3;

namespace plotxfer::ui {

// A name the shell gave in UTF-16, in the ANSI code page exactly (NarrowFromUtf16) or not at all.
ShellName ShellNameFromWide(std::wstring_view wide);

class Win32DialogView : public Win32ControlView<DialogView> {
 public:
  // dialog: the dialog window (its handle may arrive later); list_id: the list view's id.
  Win32DialogView(const wingui::Window& dialog, int list_id, HICON large_icon, HICON small_icon)
      : Win32ControlView(dialog),
        list_id_(list_id),
        large_icon_(large_icon),
        small_icon_(small_icon) {}
  ~Win32DialogView() override;
  Win32DialogView(const Win32DialogView&) = delete;
  Win32DialogView& operator=(const Win32DialogView&) = delete;

  bool IsEnabled(int id) const override;
  void Show(int id, bool shown) override;
  void Focus(int id) override;
  void Repaint() override;
  bool ProcessPendingMessages() override;

  std::string NarrowToUtf8(const std::string& narrow) const override;

  bool AppendSystemMenuItem(int command, const std::string& utf8_text) override;
  void SetDialogIcon() override;

  void ListAddExtendedStyle(unsigned bits) override;
  void ListInsertColumn(int index, const std::string& utf8_title, int width) override;
  int ListRowCount() const override;
  void ListInsertRow(int row, const std::string& narrow) override;
  void ListSetCell(int row, int column, const std::string& narrow) override;
  void ListSetUiCell(int row, int column, const std::string& utf8) override;
  std::string ListCell(int row, int column) const override;
  void ListDeleteRow(int row) override;
  std::vector<int> ListSelectedRows() const override;
  void ListSelectAndFocusRow(int row) override;
  void ListHoldPainting(bool hold) override;

  MessageAnswer ShowMessage(const MessageRequest& request) override;
  std::optional<std::vector<ShellName>> ChooseFiles(const FileRequest& request) override;
  std::optional<ShellName> ChooseFolder(const FolderRequest& request) override;
  void AcceptDrops(bool accept) override;

  int FocusedControl() const override;
  void SetTitle(const std::string& utf8) override;
  void ShowRunProgress(std::size_t done, std::size_t total, bool failed) override;
  void FlashIfInBackground() override;
  void OpenWithShell(const std::string& narrow_path) override;
  void ShowInFolder(const std::string& narrow_path) override;
  int TrackMenu(const std::vector<MenuItem>& items) override;

  // Where the next menu opens (screen coordinates); without it, at the pointer.
  void SetMenuPoint(POINT at) { menu_point_ = at; }

 private:
  HWND List() const { return Item(list_id_); }

  int list_id_;
  HICON large_icon_;
  HICON small_icon_;
  ::ITaskbarList3* taskbar_ = nullptr;
  bool taskbar_tried_ = false;
  std::optional<POINT> menu_point_;
};

}  // namespace plotxfer::ui
