#pragma once
// The run log: one JSON line per start of a stand-in, so tests can see exactly what each tool got.
#include <string>
#include <vector>

namespace standin {

// Environment variable naming the log file; nothing is logged without it.
inline constexpr const char* kLogVariable = "PLOTXFER_STANDIN_LOG";

// A JSON string literal of the bytes. Quote, backslash and bytes below 0x20 and 0x7F are escaped
// (\" \\ \b \f \n \r \t, otherwise \u00XX); bytes from 0x80 up are copied unchanged, so a path
// keeps its exact bytes in whatever code page it came in (Shift-JIS under Windows code page 932).
std::string JsonString(const std::string& bytes);

// {"tool": ..., "argv": [...], "commandLine": ...} followed by a line feed; with faults (the
// knobs in force, as DescribeFaults gives them) also "faults": ... before the closing brace.
std::string FormatLogLine(const std::string& tool, const std::vector<std::string>& argv,
                          const std::string& command_line, const std::string& faults = {});

}  // namespace standin
