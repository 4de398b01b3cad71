#pragma once
// Texts of the platform's narrow encoding for readers that expect UTF-8.
#include <string>

namespace plotxfer::cli {

// Windows: from the ANSI code page (Shift-JIS under 932); elsewhere the text is UTF-8 already.
// Bytes that cannot be converted are left for the caller to replace.
std::string NarrowToUtf8(const std::string& text);

}  // namespace plotxfer::cli
