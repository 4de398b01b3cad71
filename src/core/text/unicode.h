#pragma once
// UTF-8 and UTF-16 without the OS: what well-formed UTF-8 is, and the one conversion from UTF-16
// that the REGEDIT4 reader, drawing lists and the Linux narrow encoding all use.
#include <string>
#include <string_view>

namespace plotxfer::text {

// True when text is well-formed UTF-8: no overlong form, surrogate or code point past U+10FFFF.
bool IsUtf8(std::string_view text);

// UTF-16 to UTF-8. False, with *out left as it was, for a lone surrogate.
bool Utf8FromUtf16(std::u16string_view text, std::string* out);

// The UTF-16 units of bytes, two bytes each, little- or big-endian; an odd last byte is left out.
std::u16string Utf16FromBytes(std::string_view bytes, bool big_endian);

}  // namespace plotxfer::text
