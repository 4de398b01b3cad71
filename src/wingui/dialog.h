#pragma once
// Dialogs from templates of the resources, with a command table per class.
//
// A dialog class derives from DialogImpl<Derived> and gives a static CommandTable() that maps a
// control id (and notification code) to a member handler; the one window procedure looks the
// command up there instead of growing a switch. Commands nobody takes go on to the default accept
// and cancel handling and then to the application's own table (the help command lives there).
#include <windows.h>

#include <span>

#include "wingui/window.h"

namespace plotxfer::wingui {

template <class T>
struct CommandEntry {
  UINT id;
  UINT code;  // BN_CLICKED (0) for buttons and menu items; CBN_SELENDOK and the like otherwise
  void (T::*handler)();
};

class Dialog : public Window {
 public:
  explicit Dialog(UINT template_id, HWND parent = nullptr);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog until it ends; the value given to EndDialog, or -1 when it could not open.
  INT_PTR DoModal();
  // Opens the dialog without waiting (tests and tool windows); false when it could not open.
  bool Create(HWND parent = nullptr);
  void Destroy();

  // Ends a modal dialog; a modeless one is hidden and remembers the result.
  void EndDialog(INT_PTR result);
  bool has_ended() const { return ended_; }
  INT_PTR end_result() const { return result_; }

  UINT template_id() const { return template_id_; }
  HWND parent() const { return parent_; }
  bool is_modal() const { return modal_; }

  // The whole routing of one command: this class's table, accept and cancel, the application.
  bool ExecuteCommand(UINT id, UINT code);

  // Fills the controls from the members (save false) or reads them back (true).
  virtual void DoDataExchange(bool save);

 protected:
  // Base initialisation: fills the controls (DoDataExchange). True leaves the focus to the dialog
  // manager's default.
  virtual BOOL OnInitDialog();
  virtual bool DispatchCommand(UINT id, UINT code);
  // Accept: reads the controls back and ends with IDOK. Cancel: ends with IDCANCEL.
  // Both do nothing while the dialog's own button of that id is disabled, which is how Escape,
  // Enter and the close box are shut off while a dialog must stay open.
  virtual void OnOK();
  virtual void OnCancel();
  // The close box, Alt+F4 and the system menu's Close: the cancel command, unless a dialog
  // answers them otherwise.
  virtual void OnClose();
  // Each answers whether it handled the message; false leaves it to the default handling.
  virtual bool OnSysCommand(UINT id, LPARAM lparam);
  virtual bool OnPaint();
  virtual HICON OnQueryDragIcon();
  virtual bool OnNotify(NMHDR* header, LRESULT* result);
  // Any other message; set *result and answer true to take it.
  virtual bool HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam, INT_PTR* result);

  INT_PTR OnMessage(UINT msg, WPARAM wparam, LPARAM lparam);
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  static Dialog* FromHandle(HWND hwnd);
  void BindHandle(HWND hwnd);

 private:
  bool IsOwnButtonDisabled(int id) const;
  void CenterIfTopLevel();

  UINT template_id_;
  HWND parent_;
  bool modal_ = false;
  bool ended_ = false;
  INT_PTR result_ = 0;
};

template <class Derived, class Base = Dialog>
class DialogImpl : public Base {
 public:
  using Base::Base;

 protected:
  bool DispatchCommand(UINT id, UINT code) override {
    for (const CommandEntry<Derived>& entry : Derived::CommandTable()) {
      if (entry.id == id && entry.code == code) {
        (static_cast<Derived*>(this)->*entry.handler)();
        return true;
      }
    }
    return Base::DispatchCommand(id, code);
  }
};

}  // namespace plotxfer::wingui
