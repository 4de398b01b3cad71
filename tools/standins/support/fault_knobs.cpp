#include "support/fault_knobs.h"

#include <cctype>
#include <limits>
#include <sstream>

namespace standin {
namespace {

std::optional<long long> ParseWhole(const std::optional<std::string>& text) {
  if (!text || text->empty()) return std::nullopt;
  std::size_t i = 0;
  bool negative = false;
  if ((*text)[0] == '-' || (*text)[0] == '+') {
    negative = (*text)[0] == '-';
    i = 1;
  }
  if (i == text->size()) return std::nullopt;
  long long value = 0;
  for (; i < text->size(); ++i) {
    char c = (*text)[i];
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    if (value > (std::numeric_limits<long long>::max() - 9) / 10) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// The file name without folder or extension; both separators count, as the tools run on both.
std::string StemOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
  return s.size() >= prefix.size() && SameName(s.substr(0, prefix.size()), prefix);
}

}  // namespace

std::string FaultSubject(const std::string& tool, const std::vector<std::string>& argv) {
  if (SameName(tool, "VXCVPX")) {
    // ... <drawing> <CSD file>: the drawing is the last but one.
    return argv.size() >= 3 ? StemOf(argv[argv.size() - 2]) : std::string();
  }
  for (const std::string& arg : argv) {
    for (const std::string prefix : {"/pdfpath:", "/Imagepath:"}) {
      if (StartsWithNoCase(arg, prefix)) return StemOf(arg.substr(prefix.size()));
    }
  }
  return {};
}

void ApplyFaultPlan(const std::string& plan, const std::string& tool, const std::string& subject,
                    FaultKnobs& knobs) {
  if (subject.empty()) return;
  std::istringstream lines(plan);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string who;
    std::string what;
    if (!(words >> who >> what) || !SameName(who, tool) || what != subject) continue;
    for (std::string fault; words >> fault;) {
      const std::size_t eq = fault.find('=');
      const std::string name = fault.substr(0, eq);
      // -1 for a fault without a number, or with one that is not a whole number.
      long long n = -1;
      if (eq != std::string::npos) {
        // A named value: GCC 12 at -O3 takes the inlined temporary for uninitialised.
        const std::optional<std::string> number = fault.substr(eq + 1);
        n = ParseWhole(number).value_or(-1);
      }
      if (name == "crash" && eq == std::string::npos) {
        knobs.crash = true;
      } else if (name == "no-output" && eq == std::string::npos) {
        knobs.no_output = true;
      } else if (name == "exit" && n >= 0 && n <= 255) {
        knobs.exit_code = static_cast<int>(n);
      } else if (name == "sleep" && n > 0) {
        knobs.sleep_ms = static_cast<std::uint32_t>(n > kMaxSleepMs ? kMaxSleepMs : n);
      }
    }
  }
}

std::string DescribeFaults(const FaultKnobs& knobs) {
  std::string words;
  auto add = [&words](const std::string& w) { words += (words.empty() ? "" : " ") + w; };
  if (knobs.sleep_ms > 0) add("sleep=" + std::to_string(knobs.sleep_ms));
  if (knobs.crash) add("crash");
  if (knobs.no_output) add("no-output");
  if (knobs.exit_code) add("exit=" + std::to_string(*knobs.exit_code));
  return words;
}

FaultKnobs ReadFaultKnobs(const std::string& tool, const EnvironmentLookup& lookup) {
  FaultKnobs knobs;
  std::optional<std::string> only = lookup(kOnlyVariable);
  if (only && !only->empty() && !SameName(*only, tool)) return knobs;

  if (auto ms = ParseWhole(lookup(kSleepVariable)); ms && *ms > 0) {
    knobs.sleep_ms = static_cast<std::uint32_t>(*ms > kMaxSleepMs ? kMaxSleepMs : *ms);
  }
  if (auto crash = ParseWhole(lookup(kCrashVariable)); crash && *crash != 0) knobs.crash = true;
  if (auto none = ParseWhole(lookup(kNoOutputVariable)); none && *none != 0) knobs.no_output = true;
  if (auto code = ParseWhole(lookup(kExitVariable)); code && *code >= 0 && *code <= 255) {
    knobs.exit_code = static_cast<int>(*code);
  }
  return knobs;
}

}  // namespace standin
