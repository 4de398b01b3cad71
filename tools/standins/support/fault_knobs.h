#pragma once
// Faults a test can ask a stand-in for, through environment variables.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace standin {

inline constexpr const char* kOnlyVariable = "PLOTXFER_STANDIN_ONLY";
inline constexpr const char* kSleepVariable = "PLOTXFER_STANDIN_SLEEP_MS";
inline constexpr const char* kCrashVariable = "PLOTXFER_STANDIN_CRASH";
inline constexpr const char* kNoOutputVariable = "PLOTXFER_STANDIN_NO_OUTPUT";
inline constexpr const char* kExitVariable = "PLOTXFER_STANDIN_EXIT";

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

}  // namespace standin
