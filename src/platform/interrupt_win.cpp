#include <windows.h>

#include <cstring>

#include "platform/interrupt.h"

namespace plotxfer::platform {

namespace {

InterruptHandling* g_handling = nullptr;
std::atomic<int> g_count{0};
HANDLE g_run_ended = nullptr;

void Say(const char* text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written,
            nullptr);
}

BOOL WINAPI OnControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      break;
    default:
      return FALSE;
  }
  const int count = ++g_count;
  if (g_handling != nullptr && g_handling->before_run != nullptr &&
      g_handling->before_run->load()) {
    Say("\r\nplotxfer-batch: interrupted while reading the drawings; nothing was converted\r\n");
    ExitProcess(130);
  }
  if (g_handling != nullptr) {
    if (count == 1) {
      g_handling->stop->store(true);
      Say("\r\nplotxfer-batch: interrupted; the drawing under way is finished, no other is "
          "started (interrupt again to end it at once)\r\n");
    } else if (count == 2 && g_handling->at_once != nullptr) {
      Say("\r\nplotxfer-batch: interrupted again; ending the running tool\r\n");
      g_handling->at_once(g_handling->context);
    }
  }
  // After a closed console or a shutdown the process is ended as soon as this handler returns
  // (or a few seconds later): wait for the run to finish its drawing and write its report.
  if ((event == CTRL_CLOSE_EVENT || event == CTRL_SHUTDOWN_EVENT) && g_run_ended != nullptr) {
    WaitForSingleObject(g_run_ended, INFINITE);
  }
  return TRUE;
}

}  // namespace

void InstallInterruptHandlers(InterruptHandling* handling) {
  g_handling = handling;
  g_run_ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  // A program started in a new process group begins with Ctrl-C ignored; a script that starts
  // us so still means its Ctrl-C.
  SetConsoleCtrlHandler(nullptr, FALSE);
  SetConsoleCtrlHandler(OnControl, TRUE);
}

void InterruptibleRunEnded() {
  if (g_run_ended != nullptr) {
    SetEvent(g_run_ended);
  }
}

}  // namespace plotxfer::platform
