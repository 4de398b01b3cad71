#include "support/tool_main.h"

#include <cstdio>

#include "support/fault_knobs.h"
#include "support/run_log.h"
#include "support/system.h"

namespace standin {

int RunTool(const char* tool, int argc, char** argv, ToolBody body) {
  const std::vector<std::string> args = ReceivedArguments(argc, argv);
  if (auto log = GetEnvironment(kLogVariable); log && !log->empty()) {
    if (!AppendToFile(*log, FormatLogLine(tool, args, ReceivedCommandLine(argc, argv)))) {
      std::fprintf(stderr, "%s: cannot append to the log %s\n", tool, log->c_str());
    }
  }

  const FaultKnobs knobs = ReadFaultKnobs(tool, GetEnvironment);
  if (knobs.sleep_ms > 0) SleepMilliseconds(knobs.sleep_ms);
  if (knobs.crash) CrashNow();
  if (knobs.no_output) return knobs.exit_code.value_or(0);

  std::string message;
  int code = body(args, &message);
  if (code != 0 && !message.empty()) std::fprintf(stderr, "%s: %s\n", tool, message.c_str());
  return knobs.exit_code.value_or(code);
}

}  // namespace standin
