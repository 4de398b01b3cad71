#pragma once
// Windows command lines: one string in, argv out, by the C runtime's rules; and back again.
#include <functional>
#include <string>
#include <vector>

namespace standin {

// Tells whether a byte starts a two-byte character in the narrow code page in force.
using LeadBytePredicate = std::function<bool(unsigned char)>;

// Splits a whole command line the way the Windows C runtime builds argv:
// - the program token ends at the first blank, or is everything between a leading pair of quotes
//   (no backslash escapes there);
// - other tokens are separated by runs of spaces and tabs; a quote toggles quoting, "" inside
// quotes
//   is a literal quote; 2n backslashes before a quote give n backslashes, 2n+1 give n and a literal
//   quote; backslashes before anything else are literal;
// - the second byte of a two-byte character is never taken for a backslash or a quote.
std::vector<std::string> SplitWindowsCommandLine(const std::string& line,
                                                 const LeadBytePredicate& is_lead_byte = nullptr);

// Quotes one argument so that SplitWindowsCommandLine gives it back unchanged; an argument that
// needs no quotes (not empty, no blank, no quote) is returned as it is.
std::string QuoteWindowsArgument(const std::string& arg);

// The command line Windows would hand a program started with these arguments: the program token
// always quoted (it cannot hold a quote), the rest quoted only where needed, one space between.
std::string JoinWindowsCommandLine(const std::vector<std::string>& argv);

}  // namespace standin
