#pragma once
// What both stand-ins do around their work: log the start, honour the fault knobs, report errors.
#include <string>
#include <vector>

namespace standin {

// The tool's work: the received arguments in, an exit code out (a reason in *message when not 0).
using ToolBody = int (*)(const std::vector<std::string>& argv, std::string* message);

int RunTool(const char* tool, int argc, char** argv, ToolBody body);

}  // namespace standin
