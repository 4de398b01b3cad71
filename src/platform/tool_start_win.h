#pragma once
// The one way tools are started on Windows, shared by the runners (Windows sources only).
#include <windows.h>

#include <string>

#include "platform/process.h"

namespace plotxfer::platform {

// CreateProcessA with the program path and the whole line, CREATE_NO_WINDOW |
// NORMAL_PRIORITY_CLASS (0x08000020) plus extra_flags, no inherited handles, our environment and
// folder, a start-up record with only the window position 0,0 and an empty desktop name. False
// when the tool could not be started.
bool StartToolProcess(const std::string& program, const std::string& command_line,
                      DWORD extra_flags, PROCESS_INFORMATION& info);

// How the ended process ended: its exit code, or the exception code of a crash.
ToolExit ToolExitOf(HANDLE process);

}  // namespace plotxfer::platform
