#include "platform/process.h"

#include <windows.h>

#include <vector>

namespace plotxfer::platform {

namespace {

class WindowsProcessRunner : public ProcessRunner {
 public:
  bool RunAndWait(const std::string& program, const std::string& command_line) override {
    // CreateProcessA may write into the command line, so it gets a copy of its own.
    std::vector<char> line(command_line.begin(), command_line.end());
    line.push_back('\0');
    char desktop[] = "";

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop;
    startup.dwFlags = STARTF_USEPOSITION;
    startup.dwX = 0;
    startup.dwY = 0;
    PROCESS_INFORMATION info{};
    constexpr DWORD kFlags = CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS;  // 0x08000020
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, kFlags, nullptr,
                        nullptr, &startup, &info)) {
      return false;
    }
    WaitForSingleObject(info.hThread, INFINITE);
    WaitForSingleObject(info.hProcess, INFINITE);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
  }
};

}  // namespace

ProcessRunner& SystemProcessRunner(ToolOutput) {
  static WindowsProcessRunner runner;
  return runner;
}

}  // namespace plotxfer::platform
