#include "support/fault_knobs.h"

#include <cctype>
#include <limits>

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

}  // namespace

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
