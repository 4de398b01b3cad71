#include "platform/process_list.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

namespace plotxfer::platform {

namespace {

class ToolhelpProcessList : public ProcessList {
 public:
  ProcessPresence Find(const std::string& exe_name) override {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
      return ProcessPresence::ListUnavailable;
    }
    ProcessPresence found = ProcessPresence::Absent;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
      if (_stricmp(entry.szExeFile, exe_name.c_str()) == 0) {
        found = ProcessPresence::Running;
        break;
      }
    }
    CloseHandle(snapshot);
    return found;
  }
};

}  // namespace

ProcessList& SystemProcessList() {
  static ToolhelpProcessList list;
  return list;
}

}  // namespace plotxfer::platform
