#pragma once
// UTF-8 to UTF-16, for the document title of a PDF.
#include <string>

namespace standin {

// Malformed sequences (stray continuation bytes, overlong or truncated forms, surrogates) each
// become U+FFFD, so any bytes give a valid result.
std::u16string Utf8ToUtf16(const std::string& text);

}  // namespace standin
