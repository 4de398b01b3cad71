#pragma once
// What the Wine tests of the dialogs share: the application object of the test program, driving
// modal windows from inside their own message loops, and finding this thread's windows.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "wingui/application.h"

namespace plotxfer::guitest {

class TestApplication : public wingui::ApplicationImpl<TestApplication> {
 public:
  TestApplication();
  static std::span<const wingui::CommandEntry<TestApplication>> CommandTable();

  // Documents the framework's help handed to the shell (nothing is really opened).
  std::vector<std::wstring> opened;
  // Whether the shell takes them, and the pages reported as unavailable.
  bool shell_opens = true;
  std::vector<std::wstring> unavailable;
  // How many more idle calls to want, and the counts seen.
  long idle_wanted = 0;
  std::vector<long> idle_counts;

  bool OnIdle(long count) override;

 protected:
  bool OpenDocument(const std::wstring& path) override;
  void OnHelpUnavailable(const std::wstring& path) override { unavailable.push_back(path); }
};

TestApplication& App();

// Runs action once from a thread timer after delay_ms, that is from inside whatever message loop
// runs then (a modal dialog's, a property sheet's, a message box's).
void AfterDelay(int delay_ms, std::function<void()> action);

// Retries action from timers every 20 ms until it answers true, at most `tries` times.
void WhenReady(std::function<bool()> action, int tries = 100);

// A visible dialog window of this thread whose title is title (null when there is none).
HWND FindThreadDialog(const std::wstring& title);

// A visible dialog of this thread owned by owner (message boxes, the folder browser).
HWND FindOwnedDialog(HWND owner);

// Handles every message already queued for this thread.
void PumpPending();

// The text of a control, through the wide-character functions.
std::wstring ItemText(HWND dialog, int id);

// A cell of a list view, in the ANSI code page, as the list view itself gives it out.
std::string ListCell(HWND list, int row, int column);

// A file name in the temporary folder, made unique to this process: the test programs of both
// code pages run side by side in one Wine prefix.
std::wstring TempPath(const std::wstring& name);

// A POSIX path of the build as Wine sees it (drive Z: is the root of the file system).
std::wstring WinePath(const std::string& posix_path);

}  // namespace plotxfer::guitest
