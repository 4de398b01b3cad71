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
  bool ReadFile(const std::string& path, std::string* bytes) override {
    const auto it = written.find(path);
    if (existing.count(path) == 0 || it == written.end()) {
      return false;
    }
    *bytes = it->second;
    return true;
  }
  bool RenameFile(const std::string& from, const std::string& to) override {
    renamed.push_back(from + " -> " + to);
    if (locked.count(from) != 0 || existing.count(from) == 0) {
      return false;
    }
    existing.erase(from);
    existing.insert(to);
    const auto bytes = written.find(from);
    if (bytes != written.end()) {
      written[to] = bytes->second;
      written.erase(from);
    }
    return true;
  }
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
  std::vector<std::string> renamed;            // "from -> to"
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

  platform::ToolOutcome Run(const std::string& program, const std::string& command_line) override {
    calls.push_back({program, command_line});
    const auto it = programs.find(program);
    // A forced outcome comes after what the program did before it was stopped.
    const bool started = it != programs.end() && it->second(command_line);
    const auto forced = outcomes.find(program);
    if (forced != outcomes.end()) {
      return forced->second;
    }
    return started ? platform::ToolOutcome::Ended : platform::ToolOutcome::NotStarted;
  }

  std::map<std::string, Behaviour> programs;
  // A program listed here does what its behaviour does, but its run ends with this outcome (a
  // time limit, a cancel).
  std::map<std::string, platform::ToolOutcome> outcomes;
  // How a program's runs end, as LastExit tells it; a program not listed ends with exit code 0.
  std::map<std::string, platform::ToolExit> exits;
  std::vector<Call> calls;

  platform::ToolExit LastExit() const override {
    if (calls.empty()) {
      return {};
    }
    const auto it = exits.find(calls.back().program);
    return it != exits.end() ? it->second : platform::ToolExit{platform::ToolExit::Kind::Code, 0};
  }
};

// Locks that answer with a set state and count how many are held.
class FakeLocks : public platform::FileLocks {
 public:
  platform::LockAttempt TryLock(const std::string& path) override {
    asked.push_back(path);
    platform::LockAttempt attempt;
    attempt.state = state;
    if (!states.empty()) {
      attempt.state = states.front();
      states.erase(states.begin());
    }
    if (attempt.state == platform::LockState::Taken) {
      attempt.lock = std::make_unique<Held>(held);
    }
    return attempt;
  }

  platform::LockState state = platform::LockState::Taken;
  std::vector<platform::LockState> states;  // the answers of the next attempts, then state
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
    return Next(presence);
  }
  platform::ProcessPresence FindProgram(const std::string& program_path) override {
    asked.push_back(program_path);
    return Next(program_presence);
  }

  platform::ProcessPresence presence = platform::ProcessPresence::Absent;
  platform::ProcessPresence program_presence = platform::ProcessPresence::Absent;
  // When not empty, the answers of the next questions, whichever is asked; then the fields.
  std::vector<platform::ProcessPresence> answers;
  std::vector<std::string> asked;

 private:
  platform::ProcessPresence Next(platform::ProcessPresence otherwise) {
    if (answers.empty()) {
      return otherwise;
    }
    const platform::ProcessPresence next = answers.front();
    answers.erase(answers.begin());
    return next;
  }
};

}  // namespace plotxfer::testing
