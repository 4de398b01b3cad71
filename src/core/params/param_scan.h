#pragma once
// Finding the value lines of the export section's tables in a parameter file.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "core/params/display_settings.h"
#include "core/params/param_lines.h"

namespace plotxfer::params {

enum class ParamTableKind { Color, Width, Ltype };

// Position of marker in line, or npos. The files are Shift-JIS: a match must start on a
// character, never on the trail byte of a double-byte character (many trail bytes are ASCII
// letters or "}").
std::size_t FindMarker(std::string_view line, std::string_view marker);
inline bool HoldsMarker(std::string_view line, std::string_view marker) {
  return FindMarker(line, marker) != std::string_view::npos;
}

// The value key of a table's items: "RGB", "Value" or "Segments".
std::string_view ValueKeyOf(ParamTableKind kind);

// Value line index for each pen (Color, Width) or line type (Ltype); only the first
// kPenCount or kLineTypeCount entries are used.
using ValueLines = std::array<std::size_t, kPenCount>;

// Scans one table after the export section's first line. True when every pen or line type of
// the table has a value line; otherwise false and, when given, *reason says what is missing.
bool ScanParamTable(const ParamLines& lines, ParamTableKind kind, ValueLines& value_lines,
                    std::string* reason = nullptr);

}  // namespace plotxfer::params
