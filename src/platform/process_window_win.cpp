#include "platform/process_window.h"

#include <windows.h>

#include "platform/tool_start_win.h"

namespace plotxfer::platform {

namespace {

// The system calls a thread hung when it has not looked at its queue for some seconds and is not
// waiting for input; this wait looks more often than that even when nothing arrives.
constexpr DWORD kLookEveryMs = 250;

// Answers sent messages and dispatches paint messages until handle is signalled.
void WaitServing(HANDLE handle) {
  for (;;) {
    const DWORD r =
        MsgWaitForMultipleObjects(1, &handle, FALSE, kLookEveryMs, QS_PAINT | QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0) {
      return;
    }
    if (r == WAIT_FAILED) {
      WaitForSingleObject(handle, INFINITE);
      return;
    }
    MSG msg;
    // Sent messages are answered inside PeekMessage itself; the filter keeps any other message
    // from being taken.
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) {
      DispatchMessageA(&msg);
    }
  }
}

class WindowServingRunner : public ProcessRunner {
 public:
  ToolOutcome Run(const std::string& program, const std::string& command_line) override {
    PROCESS_INFORMATION info;
    if (!StartToolProcess(program, command_line, 0, info)) {
      return ToolOutcome::NotStarted;
    }
    WaitServing(info.hThread);
    WaitServing(info.hProcess);
    last_ = ToolExitOf(info.hProcess);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return ToolOutcome::Ended;
  }
  ToolExit LastExit() const override { return last_; }

 private:
  ToolExit last_;
};

}  // namespace

ProcessRunner& WindowServingProcessRunner() {
  static WindowServingRunner runner;
  return runner;
}

}  // namespace plotxfer::platform
