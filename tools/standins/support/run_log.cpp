#include "support/run_log.h"

#include <cstdio>

namespace standin {

std::string JsonString(const std::string& bytes) {
  std::string out = "\"";
  for (char ch : bytes) {
    auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += ch;
        }
    }
  }
  out += '"';
  return out;
}

std::string FormatLogLine(const std::string& tool, const std::vector<std::string>& argv,
                          const std::string& command_line, const std::string& faults) {
  std::string line = "{\"tool\": " + JsonString(tool) + ", \"argv\": [";
  for (std::size_t i = 0; i < argv.size(); ++i) {
    if (i > 0) line += ", ";
    line += JsonString(argv[i]);
  }
  line += "], \"commandLine\": " + JsonString(command_line);
  if (!faults.empty()) line += ", \"faults\": " + JsonString(faults);
  line += "}\n";
  return line;
}

}  // namespace standin
