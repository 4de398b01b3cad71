#pragma once
#include "core/text/codepage.h"

namespace plotxfer::setup {

// Splits text in place at any character of delimiters, as strtok does, but reading both texts
// character by character in the code page: a double-byte character is one character, may itself be
// a delimiter, and its trail byte never matches a single-byte delimiter. Runs of delimiters count
// as one; leading and trailing delimiters give no empty token.
//
// The first call passes the text, later calls pass nullptr to go on where the last one stopped.
// The position is kept per thread, so callers on different threads do not disturb each other.
// After the last token the position is dropped, so no pointer into the caller's buffer outlives
// the walk over it.
char* NextToken(char* text, const char* delimiters, text::CodePage cp);

}  // namespace plotxfer::setup
