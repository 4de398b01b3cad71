#pragma once
// A decimal integer at the start of a text, read as the C runtime's scanners read one: white
// space skipped, an optional sign, decimal digits, anything after them ignored. One scanner; each
// reader of numbers chooses what a number beyond 32 bits becomes.
#include <cstdint>
#include <optional>
#include <string_view>

namespace plotxfer::text {

struct ScannedDecimal {
  bool negative = false;
  std::uint64_t magnitude = 0;  // held at 2^33 once beyond it: every such number is too big
  std::uint32_t low_bits = 0;   // the magnitude's low 32 bits, however long the number
};

// Empty when the text does not begin with a number (a sign alone is none).
std::optional<ScannedDecimal> ScanDecimal(std::string_view text);

// As "%d" takes it: digits beyond 32 bits wrap (a colour written as an unsigned 32-bit value
// keeps its bits).
std::optional<std::int32_t> WrappedInt(std::string_view text);

// A number that does not fit an int is no number.
std::optional<int> CheckedInt(std::string_view text);

// As atoi takes a number typed into an edit, no number being 0; but beyond an int's range it
// stays at the nearest end instead of wrapping into a value that would pass a range test.
int ClampedInt(std::string_view text);

}  // namespace plotxfer::text
