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
  // Looks for a process whose executable is the file at program_path (not merely one of the
  // same name). A process whose executable cannot be looked at counts as another program.
  virtual ProcessPresence FindProgram(const std::string& program_path) = 0;
};

// Windows: a Toolhelp snapshot of all processes, names compared with _stricmp. Linux: /proc,
// matching the process's name (comm), its executable's file name or its argv[0]'s file name
// (either separator), so a program run under Wine or through an interpreter is found by the name
// it was started as. FindProgram: Windows, the full image name of the processes of that name
// (QueryFullProcessImageNameA), compared with the full path without regard to letter case;
// Linux, the file /proc/PID/exe leads to, by device and inode.
ProcessList& SystemProcessList();

}  // namespace plotxfer::platform
