#pragma once
// The application object: one per process, built before start-up, with its own command table.
#include <windows.h>

#include <span>
#include <string>

#include "wingui/dialog.h"

namespace plotxfer::wingui {

// The help command: the Help buttons of dialogs and sheets send it; the application answers it.
inline constexpr UINT kHelpCommand = 0xE146;

class Application {
 public:
  Application();
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The application object of the process (the last one built and not yet destroyed).
  static Application* Current();

  // The process entry: start-up, then the framework's message loop only when start-up answered
  // true. Returns the exit code.
  int Run(HINSTANCE instance, int show_command);

  // Start-up. The base start-up records where the help page lies; derived classes call it first.
  virtual bool InitInstance();
  // End of the application; the answer is the process's exit code.
  virtual int ExitInstance();

  // One step of the message pump: takes, translates and dispatches one message, waiting for one
  // when none is queued. False on the quit message (its exit code is kept in quit_code()).
  bool PumpMessage();
  // Idle work, asked with counts 0, 1, 2, ...; answers whether it wants to be called again.
  virtual bool OnIdle(long count);
  // Runs OnIdle with rising counts until it wants no more; answers how many calls were made.
  long RunIdle();
  // Keyboard navigation of dialogs; true when the message was consumed.
  virtual bool PreTranslateMessage(MSG& msg);

  // A command that no window took (the help command arrives here).
  bool ExecuteCommand(UINT id);

  // The framework's help: opens the help page beside the program; a page that is missing or that
  // the shell cannot open goes to OnHelpUnavailable.
  void OnHelp();
  void set_help_file_path(std::wstring path) { help_file_path_ = std::move(path); }

  HINSTANCE instance() const { return instance_; }
  int show_command() const { return show_command_; }
  int exit_code() const { return exit_code_; }
  void set_exit_code(int code) { exit_code_ = code; }
  WPARAM quit_code() const { return quit_code_; }

 protected:
  virtual bool DispatchCommand(UINT id);
  // Hands a document to the shell; true when the shell took it.
  virtual bool OpenDocument(const std::wstring& path);
  // The help page could not be shown; the application says so in its own words.
  virtual void OnHelpUnavailable(const std::wstring& path);

 private:
  HINSTANCE instance_ = nullptr;
  int show_command_ = SW_SHOWDEFAULT;
  int exit_code_ = 0;
  WPARAM quit_code_ = 0;
  std::wstring help_file_path_;
  Application* previous_ = nullptr;
};

// The help page that belongs to a program file: the same path with the extension ".html".
std::wstring HelpPageFor(const std::wstring& program_path);

template <class Derived, class Base = Application>
class ApplicationImpl : public Base {
 protected:
  bool DispatchCommand(UINT id) override {
    for (const CommandEntry<Derived>& entry : Derived::CommandTable()) {
      if (entry.id == id && entry.code == BN_CLICKED) {
        (static_cast<Derived*>(this)->*entry.handler)();
        return true;
      }
    }
    return Base::DispatchCommand(id);
  }
};

}  // namespace plotxfer::wingui
