#pragma once
// Command lines as one string, the way Windows hands them to a program.
//
// The tools are always started from one command-line string. On Windows the child's C runtime
// splits it into argv; on Linux we split it ourselves by the same rules, so both platforms
// start the tools from the same text and the tools see the same argv.
#include <string>
#include <string_view>
#include <vector>

#include "core/text/codepage.h"

namespace plotxfer::text {

// Splits a command line into argv by the rules of the Microsoft C runtime (2008 and later):
// - the program name (first token) ends at the first blank outside double quotes; quotes in it
//   only switch quoting on and off, and backslashes are plain characters;
// - after it, tokens are separated by runs of spaces and tabs outside quotes;
// - 2n backslashes followed by a double quote give n backslashes and the quote switches
//   quoting; 2n+1 backslashes followed by a double quote give n backslashes and a literal quote;
// - backslashes not followed by a double quote are literal;
// - inside quotes, two double quotes in a row give one literal quote and quoting goes on.
// In Shift-JIS a lead byte takes its trail byte along, so a trail byte 0x5C is no backslash.
std::vector<std::string> SplitCommandLine(std::string_view line, CodePage cp);

// Whether text can stand between double quotes so that it comes back unchanged as one argument:
// a double quote, a zero byte, a lead byte without a valid second byte, or a backslash or a lone
// lead byte as the last character (either would take the closing quote) would each change the
// tokens a tool receives. Blanks and other control characters come back as they were.
bool Quotable(std::string_view text, CodePage cp, std::string* why = nullptr);

}  // namespace plotxfer::text
