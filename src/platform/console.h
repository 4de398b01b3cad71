#pragma once
// The terminal plotxfer-batch may draw its progress line on.
#include <cstdio>

namespace plotxfer::platform {

// True when the stream is a terminal (a console window on Windows).
bool IsTerminal(std::FILE* stream);

// The terminal's width in columns; 80 when it cannot be asked.
int TerminalColumns(std::FILE* stream);

}  // namespace plotxfer::platform
