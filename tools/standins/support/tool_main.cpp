#include "support/tool_main.h"

#include <cstdio>

#include "support/fault_knobs.h"
#include "support/run_log.h"
#include "support/system.h"

namespace standin {

namespace {

// A plan is a few lines; a wrong path to something huge is not read whole.
bool ReadTextFile(const std::string& path, std::string* text) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0 && text->size() < (1u << 20)) {
    text->append(buffer, n);
  }
  const bool ok = std::ferror(f) == 0;
  std::fclose(f);
  return ok;
}

}  // namespace

int RunTool(const char* tool, int argc, char** argv, ToolBody body) {
  const std::vector<std::string> args = ReceivedArguments(argc, argv);
  FaultKnobs knobs = ReadFaultKnobs(tool, GetEnvironment);
  if (auto plan_path = GetEnvironment(kFaultPlanVariable); plan_path && !plan_path->empty()) {
    std::string plan;
    if (ReadTextFile(*plan_path, &plan)) {
      ApplyFaultPlan(plan, tool, FaultSubject(tool, args), knobs);
    } else {
      std::fprintf(stderr, "%s: cannot read the fault plan %s\n", tool, plan_path->c_str());
    }
  }
  if (auto log = GetEnvironment(kLogVariable); log && !log->empty()) {
    const std::string line =
        FormatLogLine(tool, args, ReceivedCommandLine(argc, argv), DescribeFaults(knobs));
    if (!AppendToFile(*log, line)) {
      std::fprintf(stderr, "%s: cannot append to the log %s\n", tool, log->c_str());
    }
  }

  if (knobs.sleep_ms > 0) SleepMilliseconds(knobs.sleep_ms);
  if (knobs.crash) CrashNow();
  if (knobs.no_output) return knobs.exit_code.value_or(0);

  std::string message;
  int code = body(args, &message);
  if (code != 0 && !message.empty()) std::fprintf(stderr, "%s: %s\n", tool, message.c_str());
  return knobs.exit_code.value_or(code);
}

}  // namespace standin
