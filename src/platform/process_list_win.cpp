#include "platform/process_list.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <string>

namespace plotxfer::platform {

namespace {

std::string FileNameOf(const std::string& path) {
  const char* name = path.c_str();
  for (const char* p = name; *p != '\0'; p = CharNextExA(CP_ACP, p, 0)) {
    if (*p == '\\' || *p == '/' || *p == ':') {
      name = p + 1;
    }
  }
  return name;
}

std::string FullPathOf(const std::string& path) {
  char full[MAX_PATH * 4];
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return n > 0 && n < sizeof full ? std::string(full, n) : path;
}

// True when the process with this id runs the program at full_path.
bool RunsProgram(DWORD id, const std::string& full_path) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (process == nullptr) {
    return false;
  }
  char image[MAX_PATH * 4];
  DWORD size = sizeof image;
  const bool same = QueryFullProcessImageNameA(process, 0, image, &size) &&
                    _stricmp(FullPathOf(image).c_str(), full_path.c_str()) == 0;
  CloseHandle(process);
  return same;
}

class ToolhelpProcessList : public ProcessList {
 public:
  ProcessPresence Find(const std::string& exe_name) override {
    return Walk([&](const PROCESSENTRY32& entry) {
      return _stricmp(entry.szExeFile, exe_name.c_str()) == 0;
    });
  }

  ProcessPresence FindProgram(const std::string& program_path) override {
    const std::string name = FileNameOf(program_path);
    const std::string full = FullPathOf(program_path);
    return Walk([&](const PROCESSENTRY32& entry) {
      return _stricmp(entry.szExeFile, name.c_str()) == 0 && RunsProgram(entry.th32ProcessID, full);
    });
  }

 private:
  template <typename Match>
  ProcessPresence Walk(const Match& match) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
      return ProcessPresence::ListUnavailable;
    }
    ProcessPresence found = ProcessPresence::Absent;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
      if (match(entry)) {
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
