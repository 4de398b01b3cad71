#include "core/text/name_order.h"

#include <algorithm>

#include "core/text/ascii.h"

namespace plotxfer::text {
bool NameBefore(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char x = LowerAscii(a[i]);
    const char y = LowerAscii(b[i]);
    if (x != y) {
      return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
  }
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

}  // namespace plotxfer::text
