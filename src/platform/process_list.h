#pragma once
// Whether a program runs anywhere on the machine, by the name of its executable file.
#include <string>

namespace plotxfer::platform {

enum class ProcessPresence {
  Absent,
  Running,
  ListUnavailable,  // the list of running processes cannot be taken
};

class ProcessList {
 public:
  virtual ~ProcessList() = default;
  // Looks for a process whose executable file name (without its folder) is exe_name, letter
  // case ignored (ASCII letters).
  virtual ProcessPresence Find(const std::string& exe_name) = 0;
};

// Windows: a Toolhelp snapshot of all processes, names compared with _stricmp. Linux: /proc,
// matching the process's name (comm), its executable's file name or its argv[0]'s file name
// (either separator), so a program run under Wine or through an interpreter is found by the name
// it was started as.
ProcessList& SystemProcessList();

}  // namespace plotxfer::platform
