#include "core/text/scan.h"

#include <climits>

#include "core/text/ascii.h"

namespace plotxfer::text {

std::optional<ScannedDecimal> ScanDecimal(std::string_view text) {
  constexpr std::uint64_t kHeld = std::uint64_t{1} << 33;
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) {
    ++i;
  }
  ScannedDecimal number;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    number.negative = text[i] == '-';
    ++i;
  }
  if (i >= text.size() || !IsDigit(text[i])) {
    return std::nullopt;
  }
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    const unsigned digit = static_cast<unsigned>(text[i] - '0');
    number.magnitude = number.magnitude < kHeld ? number.magnitude * 10 + digit : kHeld;
    number.low_bits = number.low_bits * 10u + digit;  // unsigned: wraps, never overflows
  }
  return number;
}

std::optional<std::int32_t> WrappedInt(std::string_view text) {
  const std::optional<ScannedDecimal> n = ScanDecimal(text);
  if (!n) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(n->negative ? 0u - n->low_bits : n->low_bits);
}

std::optional<int> CheckedInt(std::string_view text) {
  const std::optional<ScannedDecimal> n = ScanDecimal(text);
  const std::uint64_t limit = n && n->negative ? std::uint64_t{INT_MAX} + 1 : INT_MAX;
  if (!n || n->magnitude > limit) {
    return std::nullopt;
  }
  const auto magnitude = static_cast<std::int64_t>(n->magnitude);
  return static_cast<int>(n->negative ? -magnitude : magnitude);
}

int ClampedInt(std::string_view text) {
  if (const std::optional<int> exact = CheckedInt(text)) {
    return *exact;
  }
  const std::optional<ScannedDecimal> n = ScanDecimal(text);
  return !n ? 0 : n->negative ? INT_MIN : INT_MAX;
}

}  // namespace plotxfer::text
