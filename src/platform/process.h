#pragma once
// Starting an external tool and waiting for it.
#include <string>

namespace plotxfer::platform {

class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  // Starts program with the whole command line (whose first token repeats the program path)
  // and waits, without a time limit, until it has ended. True when it started, whatever it did
  // afterwards (its exit code is not looked at).
  virtual bool RunAndWait(const std::string& program, const std::string& command_line) = 0;
};

// Where a tool's standard output and error go on Linux. On Windows tools always run without a
// console window and inherit no handles, so their output is never seen.
enum class ToolOutput {
  Discard,
  Show,  // for --verbose: the tool writes to our own standard output and error
};

// Windows: CreateProcessA with the program path and the whole line, no console window, no
// inherited handles, window position 0,0 and an empty desktop name; waits on the first thread
// and then on the process. Linux: the line is split into argv by the Windows C runtime's rules;
// the tool gets our environment and current folder, standard input from /dev/null and no other
// descriptor of ours.
ProcessRunner& SystemProcessRunner(ToolOutput output = ToolOutput::Discard);

}  // namespace plotxfer::platform
