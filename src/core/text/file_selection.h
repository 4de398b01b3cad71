#pragma once
// The answer of a file-open dialog that lets the user choose several files. Its buffer holds
// either one full path, or a folder followed by the chosen names; each text is ended by a zero
// byte and the whole answer by an empty text. Both forms come back in the platform's narrow
// encoding: the folder's separator is added with WithTrailingSeparator, which asks the code
// page, so a folder ending in a double-byte character with a trail byte 0x5C still gets one.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/codepage.h"
#include "core/text/path.h"

namespace plotxfer::text {

// The longest path a drawing list keeps, in bytes (the 260-byte buffers hold the zero too).
inline constexpr std::size_t kMaxSelectedPath = 259;

// The texts of the buffer in order, up to the first empty text. A last text that reaches the
// end of the buffer without its zero byte is kept as it is.
std::vector<std::string> SplitFileSelection(std::string_view buffer);

// folder (ending in its separator, WithTrailingSeparator) joined with one chosen name; nothing when
// the path would be longer than max_bytes: such a file is dropped like any unacceptable one, never
// cut short into the name of another file.
std::optional<std::string> JoinSelectedName(std::string_view folder, std::string_view name,
                                            std::size_t max_bytes = kMaxSelectedPath);

}  // namespace plotxfer::text
