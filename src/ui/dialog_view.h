#pragma once
// What the dialog logic needs of its window: the controls by id, the list, the system menu,
// message boxes and the two choosers. The Win32 dialog implements it on the real controls;
// tests implement it in memory, so the dialog's rules run on every platform.
//
// Two encodings meet here. Paths (and list cells taken from paths) are narrow strings in the
// platform's narrow encoding, the ANSI code page on Windows. The program's own texts from the
// string table are UTF-8, so that they survive any ANSI code page on their way to the screen.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "ui/control_view.h"

namespace plotxfer::ui {

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { Warning, Question, Error };
enum class MessageAnswer { Ok, Yes, No, Closed };

struct MessageRequest {
  std::string text;     // UTF-8
  std::string caption;  // UTF-8
  MessageButtons buttons = MessageButtons::Ok;
  MessageIcon icon = MessageIcon::Warning;
  bool task_modal = false;
  bool default_no = false;  // Yes/No with No as the default button
};

struct FileRequest {
  std::string title;           // UTF-8
  std::string filter;          // UTF-8, "label|pattern|...||" as the string table holds it
  std::string initial_folder;  // narrow
  std::size_t result_chars = 65535;
};

// A name from the shell (the file dialog, the folder browser, a drop), converted to the narrow
// encoding exactly or not at all: a look-alike could name another file.
struct ShellName {
  std::string narrow;  // the name, when the narrow encoding holds it
  std::string utf8;    // when it does not: the name as the user sees it, for messages
  bool held = true;

  ShellName() = default;
  ShellName(std::string held_narrow) : narrow(std::move(held_narrow)) {}  // NOLINT: implicit
  ShellName(const char* held_narrow) : narrow(held_narrow) {}             // NOLINT: implicit
  static ShellName NotHeld(std::string utf8_name) {
    ShellName name;
    name.utf8 = std::move(utf8_name);
    name.held = false;
    return name;
  }
};

// One item of a popup menu.
struct MenuItem {
  int command;
  std::string text;  // UTF-8
  bool enabled = true;
};

struct FolderRequest {
  std::string instruction;     // UTF-8
  std::string initial_folder;  // narrow; selected when the browser opens
};

class DialogView : public ControlView {
 public:
  virtual bool IsEnabled(int id) const = 0;
  virtual void Show(int id, bool shown) = 0;
  virtual void Focus(int id) = 0;
  // Redraws the whole dialog at once, without waiting for the message queue.
  virtual void Repaint() = 0;
  // Handles every message waiting in the thread's queue through the application's pump, then
  // its idle work. False when the quit message was among them: it is posted again, so that the
  // program still ends once the caller is done.
  virtual bool ProcessPendingMessages() = 0;

  // A narrow text (a path) as UTF-8, for messages that quote it.
  virtual std::string NarrowToUtf8(const std::string& narrow) const = 0;

  // Appends a separator and an item to the system menu; false when there is no system menu.
  virtual bool AppendSystemMenuItem(int command, const std::string& utf8_text) = 0;
  // Gives the dialog the program's icon, large and small.
  virtual void SetDialogIcon() = 0;

  // The list view.
  virtual void ListAddExtendedStyle(unsigned bits) = 0;
  virtual void ListInsertColumn(int index, const std::string& utf8_title, int width) = 0;
  virtual int ListRowCount() const = 0;
  // Inserts a row whose first cell holds text and whose other cells are empty.
  virtual void ListInsertRow(int row, const std::string& narrow) = 0;
  virtual void ListSetCell(int row, int column, const std::string& narrow) = 0;
  virtual void ListSetUiCell(int row, int column, const std::string& utf8) = 0;
  virtual std::string ListCell(int row, int column) const = 0;  // narrow
  virtual void ListDeleteRow(int row) = 0;
  virtual std::vector<int> ListSelectedRows() const = 0;  // ascending
  virtual void ListSelectAndFocusRow(int row) = 0;
  // Holds the list's painting while many rows change; releasing it paints them all at once.
  virtual void ListHoldPainting(bool hold) = 0;

  virtual MessageAnswer ShowMessage(const MessageRequest& request) = 0;
  // The file selection. Cancelled: nothing. Otherwise the texts of the result in order: either
  // one full path, or a folder followed by the chosen names.
  virtual std::optional<std::vector<ShellName>> ChooseFiles(const FileRequest& request) = 0;
  // The folder browser: the chosen folder's file-system path, or nothing when cancelled or
  // when the chosen item has none.
  virtual std::optional<ShellName> ChooseFolder(const FolderRequest& request) = 0;
  // Whether files dropped on the dialog are taken; a window that takes none shows the no-drop
  // cursor.
  virtual void AcceptDrops(bool accept) = 0;

  // What a run shows outside the list, and what the rows open.
  // The control of the dialog that has the keyboard focus; 0 when none has.
  virtual int FocusedControl() const = 0;
  virtual void SetTitle(const std::string& utf8) = 0;
  // The task-bar button's progress: done of total rows, in the error state once a row failed;
  // total 0 takes the progress away.
  virtual void ShowRunProgress(std::size_t done, std::size_t total, bool failed) = 0;
  // Flashes the task-bar button until the dialog comes forward, when another window is in front.
  virtual void FlashIfInBackground() = 0;
  // Opens a file with the program associated with it.
  virtual void OpenWithShell(const std::string& narrow_path) = 0;
  // Opens the file's folder with the file selected.
  virtual void ShowInFolder(const std::string& narrow_path) = 0;
  // A popup menu at the pointer, or beside the list's focused row when opened from the keyboard;
  // the chosen command, 0 when none.
  virtual int TrackMenu(const std::vector<MenuItem>& items) = 0;
};

}  // namespace plotxfer::ui
