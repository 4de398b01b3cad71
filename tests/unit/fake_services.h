#pragma once
// In-memory stand-ins for the processes and file operations of a conversion.
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/process.h"

namespace plotxfer::testing {

class FakeFiles : public platform::FileSystem {
 public:
  bool RemoveFile(const std::string& path) override {
    removed.push_back(path);
    if (locked.count(path) != 0) {
      return false;
    }
    return existing.erase(path) != 0;
  }
  bool Exists(const std::string& path) override { return existing.count(path) != 0; }
  bool SameFile(const std::string& a, const std::string& b) override {
    return one_file.count({a, b}) != 0 || one_file.count({b, a}) != 0;
  }

  std::set<std::string> existing;
  std::set<std::pair<std::string, std::string>> one_file;  // two spellings of one file
  std::set<std::string> locked;                            // cannot be deleted
  std::vector<std::string> removed;
};

// Each program has a behaviour; a program without one fails to start.
class FakeRunner : public platform::ProcessRunner {
 public:
  struct Call {
    std::string program;
    std::string command_line;
  };
  using Behaviour = std::function<bool(const std::string& command_line)>;

  bool RunAndWait(const std::string& program, const std::string& command_line) override {
    calls.push_back({program, command_line});
    const auto it = programs.find(program);
    return it != programs.end() && it->second(command_line);
  }

  std::map<std::string, Behaviour> programs;
  std::vector<Call> calls;
};

}  // namespace plotxfer::testing
