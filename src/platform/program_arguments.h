#pragma once
// The words of the program's command line, as the platform's narrow strings.
#include <string>
#include <vector>

namespace plotxfer::platform {

// argv as the narrow strings every other part takes. On Windows the command line is read as
// Unicode (GetCommandLineW) and each word converted without best fit, so a name the ANSI code
// page cannot hold is refused instead of becoming a look-alike of another file: false then, with
// *why naming the word.
bool ProgramArguments(int argc, char** argv, std::vector<std::string>* args, std::string* why);

}  // namespace plotxfer::platform
