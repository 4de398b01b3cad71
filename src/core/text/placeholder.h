#pragma once
// The string table's texts carry their values in C placeholders ("%d", "%s"): each value given
// takes the first placeholder left, as it is (a path with "%" in it stays whole).
#include <algorithm>
#include <string>
#include <string_view>

namespace plotxfer::text {

inline std::string FillPlaceholder(std::string text, std::string_view value) {
  const std::size_t at = std::min(text.find("%d"), text.find("%s"));
  if (at != std::string::npos) {
    text.replace(at, 2, value);
  }
  return text;
}

inline std::string FillPlaceholder(std::string text, int value) {
  return FillPlaceholder(std::move(text), std::to_string(value));
}

}  // namespace plotxfer::text
