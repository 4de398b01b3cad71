#pragma once
// Names that reach us as Unicode (the shell's dialogs, dropped files, the wide command line, list
// files in UTF-8 or UTF-16) become the platform's narrow strings here, and only here.
//
// On Windows the narrow encoding is the ANSI code page, and Windows' own conversion quietly
// replaces what the code page lacks by a look-alike ("best fit"): under code page 932 a "¥" in a
// file name becomes a backslash, and "plan¥old.VX" would name another file. These functions never
// do that: a name the narrow encoding cannot hold exactly is refused, and the caller says so.
#include <string>
#include <string_view>

namespace plotxfer::platform {

// UTF-16 to the narrow encoding (the ANSI code page on Windows, UTF-8 elsewhere). False, with
// *out left as it was, when a character has no exact narrow form or the UTF-16 is broken (a lone
// surrogate).
bool NarrowFromUtf16(std::u16string_view text, std::string* out);

// UTF-8 to the narrow encoding by the same rule. False for text that is not valid UTF-8 too.
bool NarrowFromUtf8(std::string_view text, std::string* out);

// The other way, for readers that expect UTF-8 (a report, a terminal): the narrow encoding's text
// as UTF-8. Windows: from the ANSI code page; elsewhere the text is UTF-8 already. Bytes that
// cannot be converted are left for the caller to replace.
std::string NarrowToUtf8(const std::string& text);

}  // namespace plotxfer::platform
