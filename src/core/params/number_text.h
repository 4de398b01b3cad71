#pragma once
// Lengths in the drafting system's text files, read the way its own C runtime reads them (its
// integers: text::WrappedInt).
#include <optional>
#include <string_view>

namespace plotxfer::params {

// A length as "%lf" takes it: leading white space skipped, a decimal number with optional sign,
// fraction and exponent, anything after it ignored. Empty when the text does not begin with a
// number, and for values no single-precision float can carry (infinities, NaN, beyond
// +-3.4e38): those would end up in the parameter file as "inf" or "nan".
std::optional<double> ParseLength(std::string_view text);

}  // namespace plotxfer::params
