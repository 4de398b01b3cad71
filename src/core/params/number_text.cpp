#include "core/params/number_text.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/text/ascii.h"

namespace plotxfer::params {

namespace {

std::size_t SkipDigits(std::string_view s, std::size_t i) {
  while (i < s.size() && text::IsDigit(s[i])) {
    ++i;
  }
  return i;
}

}  // namespace

std::optional<double> ParseLength(std::string_view text) {
  // Only the plain decimal form is taken, so that both runtimes agree on what a number is
  // (strtod alone would also take "inf", "nan" and hexadecimal forms).
  std::size_t start = 0;
  while (start < text.size() && text::IsSpace(text[start])) {
    ++start;
  }
  std::size_t i = start;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    ++i;
  }
  const std::size_t int_start = i;
  i = SkipDigits(text, i);
  std::size_t digits = i - int_start;
  if (i < text.size() && text[i] == '.') {
    const std::size_t frac_start = i + 1;
    const std::size_t frac_end = SkipDigits(text, frac_start);
    digits += frac_end - frac_start;
    if (digits > 0) {
      i = frac_end;
    }
  }
  if (digits == 0) {
    return std::nullopt;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      ++j;
    }
    const std::size_t exp_end = SkipDigits(text, j);
    if (exp_end > j) {  // an "e" without digits is not part of the number
      i = exp_end;
    }
  }
  const std::string number(text.substr(start, i - start));
  const double value = std::strtod(number.c_str(), nullptr);
  if (!std::isfinite(value) || std::fabs(value) > static_cast<double>(FLT_MAX)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace plotxfer::params
