#pragma once
// Names chosen in a file-open dialog, joined to their folder in the platform's narrow encoding:
// the folder's separator is added with WithTrailingSeparator, which asks the code page, so a
// folder ending in a double-byte character with a trail byte 0x5C still gets one.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/text/codepage.h"
#include "core/text/path.h"

namespace plotxfer::text {

// The longest path a drawing list keeps, in bytes (the 260-byte buffers hold the zero too).
inline constexpr std::size_t kMaxSelectedPath = 259;

// folder (ending in its separator, WithTrailingSeparator) joined with one chosen name; nothing when
// the path would be longer than max_bytes: such a file is dropped like any unacceptable one, never
// cut short into the name of another file.
std::optional<std::string> JoinSelectedName(std::string_view folder, std::string_view name,
                                            std::size_t max_bytes = kMaxSelectedPath);

}  // namespace plotxfer::text
