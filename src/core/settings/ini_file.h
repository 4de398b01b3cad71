#pragma once
// Reading one value of an initialisation file, giving the answers the Windows private-profile
// reader gives for the files the drafting system writes (VELLUMIX.SYS):
//
// - Lines end at CR, LF or any run of them. Blanks (space, tab, vertical tab, form feed and the
//   byte 0x1A) around lines, names and values do not count. A leading UTF-8 byte-order mark is
//   skipped.
// - A line starting with '[' names a section: the text up to the line's last ']', blanks
//   trimmed; anything after that ']' is ignored. A '[' line without ']' is ignored altogether.
//   Lines before the first section belong to a section with an empty name.
// - Any other line is a key: the text before the first '=' is the name, the text after it the
//   value. A line without '=' is a key without a value. A line starting with ';' is read as a key
//   like any other, and so never answers a real key's name.
// - Section and key names match without regard to the case of ASCII letters; a double-byte
//   character matches only itself. Only the first section of a name is searched, and the first
//   key of a name in it answers.
// - Names and values end at a zero byte.
// - When the value starts and ends with the same quote (' or "), and is at least two characters
//   long, the quotes are removed. The answer holds at most buffer_size - 1 characters and at most
//   buffer_size - 1 bytes, never half a double-byte character; a value that is cut loses its
//   closing quote as the platform reader loses it (a quoted value of exactly buffer_size - 1
//   characters inside its quotes gives one character less).
//
// Bytes are passed through as they are, including double-byte characters whose second byte is
// 0x5C, ']' or a letter. (The Windows reader converts through Unicode and so replaces bytes that
// are not valid in the code page; the drafting system's files hold none.)
#include <cstddef>
#include <string>
#include <string_view>

#include "core/text/codepage.h"

namespace plotxfer {

// The value of key in section of an initialisation file whose whole content is file_bytes; empty
// when the section or the key is missing or the value is empty.
std::string ProfileString(std::string_view file_bytes, std::string_view section,
                          std::string_view key, std::size_t buffer_size, text::CodePage cp);

}  // namespace plotxfer
