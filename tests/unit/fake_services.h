#pragma once
// In-memory stand-ins for the processes and file operations of a conversion.
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/process_list.h"

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
  bool WriteFile(const std::string& path, const std::string& bytes) override {
    if (unwritable.count(path) != 0) {
      return false;
    }
    existing.insert(path);
    written[path] = bytes;
    return true;
  }
  bool SameFile(const std::string& a, const std::string& b) override {
    return one_file.count({a, b}) != 0 || one_file.count({b, a}) != 0;
  }

  std::set<std::string> existing;
  std::set<std::pair<std::string, std::string>> one_file;  // two spellings of one file
  std::set<std::string> locked;                            // cannot be deleted
  std::set<std::string> unwritable;                        // cannot be written
  std::vector<std::string> removed;
  std::map<std::string, std::string> written;  // the last bytes written to each file
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
  platform::ToolOutcome Run(const std::string& program, const std::string& command_line) override {
    const auto forced = outcomes.find(program);
    if (forced == outcomes.end()) {
      return ProcessRunner::Run(program, command_line);
    }
    RunAndWait(program, command_line);  // what it did before it was stopped
    return forced->second;
  }

  std::map<std::string, Behaviour> programs;
  // A program listed here does what its behaviour does, but its run ends with this outcome (a
  // time limit, a cancel).
  std::map<std::string, platform::ToolOutcome> outcomes;
  std::vector<Call> calls;
};

// Locks that answer with a set state and count how many are held.
class FakeLocks : public platform::FileLocks {
 public:
  platform::LockAttempt TryLock(const std::string& path) override {
    asked.push_back(path);
    platform::LockAttempt attempt;
    attempt.state = state;
    if (state == platform::LockState::Taken) {
      attempt.lock = std::make_unique<Held>(held);
    }
    return attempt;
  }

  platform::LockState state = platform::LockState::Taken;
  int held = 0;
  std::vector<std::string> asked;

 private:
  class Held : public platform::HeldLock {
   public:
    explicit Held(int& count) : count_(count) { ++count_; }
    ~Held() override { --count_; }

   private:
    int& count_;
  };
};

class FakeProcessList : public platform::ProcessList {
 public:
  platform::ProcessPresence Find(const std::string& exe_name) override {
    asked.push_back(exe_name);
    return presence;
  }

  platform::ProcessPresence presence = platform::ProcessPresence::Absent;
  std::vector<std::string> asked;
};

}  // namespace plotxfer::testing
