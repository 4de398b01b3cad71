#pragma once
// Numbers in the drafting system's text files, read the way its own C runtime reads them.
#include <cstdint>
#include <optional>
#include <string_view>

namespace plotxfer::params {

// An integer as "%d" takes it: leading white space skipped, an optional sign, decimal digits,
// anything after them ignored. Digits beyond 32 bits wrap, as the runtime's conversion does.
// Empty when the text does not begin with a number.
std::optional<std::int32_t> ParseInt(std::string_view text);

// A length as "%lf" takes it: leading white space skipped, a decimal number with optional sign,
// fraction and exponent, anything after it ignored. Empty when the text does not begin with a
// number, and for values no single-precision float can carry (infinities, NaN, beyond
// +-3.4e38): those would end up in the parameter file as "inf" or "nan".
std::optional<double> ParseLength(std::string_view text);

}  // namespace plotxfer::params
