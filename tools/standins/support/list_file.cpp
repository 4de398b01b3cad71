#include "support/list_file.h"

namespace standin {

bool ParseListFile(const std::string& bytes, std::vector<std::string>* paths, std::string* why) {
  paths->clear();
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) {
      *why = "empty line " + std::to_string(paths->size() + 1);
      return false;
    }
    paths->push_back(std::move(line));
    if (paths->size() > kMaxListEntries) {
      *why = "more than " + std::to_string(kMaxListEntries) + " entries";
      return false;
    }
    start = end + 1;
  }
  if (paths->empty()) {
    *why = "no CSD file named";
    return false;
  }
  return true;
}

}  // namespace standin
