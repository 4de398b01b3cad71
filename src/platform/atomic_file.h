#pragma once
// Replacing a file's whole content so that readers only ever see the old file or the new one.
#include <string>
#include <string_view>

namespace plotxfer::platform {

// Writes bytes to a temporary file beside path, flushes it to the disk and puts it in place
// in one step. On any failure the old file is left whole, the temporary file is removed,
// false is returned and *error (when given) says why.
bool ReplaceFileContents(const std::string& path, std::string_view bytes,
                         std::string* error = nullptr);

}  // namespace plotxfer::platform
