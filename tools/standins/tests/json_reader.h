#pragma once
// A small reader for the run log's JSON lines, independent of the writer it checks.
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace standin_test {

struct LogEntry {
  std::string tool;
  std::vector<std::string> argv;
  std::string command_line;
};

// Parses one line of the form {"tool": "...", "argv": ["...", ...], "commandLine": "..."}, with any
// JSON whitespace and escapes; \u escapes above 0x7F come back as UTF-8. Nothing else is accepted.
std::optional<LogEntry> ParseLogLine(const std::string& line);

// Every line of a log file.
std::vector<LogEntry> ReadLog(const std::string& path);

}  // namespace standin_test
