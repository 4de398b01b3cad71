#pragma once
// Faults a test can ask a stand-in for, through environment variables.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace standin {

inline constexpr const char* kOnlyVariable = "PLOTXFER_STANDIN_ONLY";
inline constexpr const char* kSleepVariable = "PLOTXFER_STANDIN_SLEEP_MS";
inline constexpr const char* kCrashVariable = "PLOTXFER_STANDIN_CRASH";
inline constexpr const char* kNoOutputVariable = "PLOTXFER_STANDIN_NO_OUTPUT";
inline constexpr const char* kExitVariable = "PLOTXFER_STANDIN_EXIT";
inline constexpr const char* kFaultPlanVariable = "PLOTXFER_STANDIN_FAULTS";

// The longest sleep a knob can ask for, so a typo cannot hang a test run for days.
inline constexpr std::uint32_t kMaxSleepMs = 600000;

struct FaultKnobs {
  std::uint32_t sleep_ms = 0;    // wait this long before doing anything else
  bool crash = false;            // then end abnormally, writing nothing
  bool no_output = false;        // or do nothing and end with exit code 0
  std::optional<int> exit_code;  // end with this code once the work is done, whatever it gave
};

using EnvironmentLookup = std::function<std::optional<std::string>(const char*)>;

// The knobs that apply to the tool named (VXCVPX or RASTRON). With PLOTXFER_STANDIN_ONLY set to the
// other tool's name, none apply. Values that are not numbers are ignored, so a knob never turns a
// tool into something a test did not ask for.
FaultKnobs ReadFaultKnobs(const std::string& tool, const EnvironmentLookup& lookup);

// The name a fault plan knows one run by: the file name, without its extension, of the drawing
// (export tool) or of the output file (output utility); empty when the arguments name none.
std::string FaultSubject(const std::string& tool, const std::vector<std::string>& argv);

// Applies the lines of a fault plan that name this tool (case-insensitive) and subject over knobs.
// A line is "<tool> <subject> <fault>...", a fault being crash, no-output, exit=<0-255> or
// sleep=<ms>; other lines and words are ignored.
void ApplyFaultPlan(const std::string& plan, const std::string& tool, const std::string& subject,
                    FaultKnobs& knobs);

// The knobs in force as plan words ("sleep=200 crash"), for the run log; empty when none.
std::string DescribeFaults(const FaultKnobs& knobs);

}  // namespace standin
