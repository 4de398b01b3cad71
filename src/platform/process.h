#pragma once
// Starting an external tool and waiting for it.
#include <string>

namespace plotxfer::platform {

class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  // Starts program with the whole command line (whose first token repeats the program path)
  // and waits, without a time limit, until it has ended. True when it started.
  virtual bool RunAndWait(const std::string& program, const std::string& command_line) = 0;
};

ProcessRunner& SystemProcessRunner();

}  // namespace plotxfer::platform
