// Numbers as the drafting system's runtime reads them: a length is always one a float can carry,
// and an integer of plain digits that fits 32 bits reads as itself.
#include <charconv>
#include <cfloat>
#include <cmath>
#include <string_view>

#include "core/params/number_text.h"
#include "core/text/scan.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  using namespace plotxfer::params;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto length = ParseLength(text)) {
    FUZZ_CHECK(std::isfinite(*length));
    FUZZ_CHECK(std::fabs(*length) <= static_cast<double>(FLT_MAX));
  }
  const auto number = plotxfer::text::WrappedInt(text);
  std::int32_t expected = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), expected);
  if (ec == std::errc() && end == text.data() + text.size()) {
    FUZZ_CHECK(number.has_value() && *number == expected);
  }
  if (text.empty() || text.find_first_of("0123456789") == std::string_view::npos) {
    FUZZ_CHECK(!number.has_value());
  }
  return 0;
}
