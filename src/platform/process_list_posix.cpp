#include "platform/process_list.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace plotxfer::platform {

namespace {

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

std::string AfterLastSeparator(const std::string& path) {
  const auto at = path.find_last_of("/\\");
  return at == std::string::npos ? path : path.substr(at + 1);
}

// A process that has ended but was not yet reaped by its parent (a zombie) still has its
// name in /proc; it renders nothing and must not hold up a run.
bool HasEnded(const std::string& pid_dir) {
  std::string stat;
  {
    std::ifstream in(pid_dir + "/stat");
    std::getline(in, stat);
  }
  // The state follows the name, which is in parentheses and may itself hold ") ".
  const auto close = stat.rfind(')');
  if (close == std::string::npos || close + 2 >= stat.size()) {
    return true;  // gone meanwhile
  }
  const char state = stat[close + 2];
  return state == 'Z' || state == 'X' || state == 'x';
}

bool Matches(const std::string& pid_dir, const std::string& exe_name) {
  std::string comm;
  {
    std::ifstream in(pid_dir + "/comm");
    std::getline(in, comm);
  }
  if (SameName(comm, exe_name)) {
    return true;
  }
  char target[4096];
  const ssize_t n = readlink((pid_dir + "/exe").c_str(), target, sizeof target - 1);
  if (n > 0 &&
      SameName(AfterLastSeparator(std::string(target, static_cast<size_t>(n))), exe_name)) {
    return true;
  }
  std::string argv0;
  {
    std::ifstream in(pid_dir + "/cmdline", std::ios::binary);
    std::getline(in, argv0, '\0');
  }
  return !argv0.empty() && SameName(AfterLastSeparator(argv0), exe_name);
}

bool MatchesRunning(const std::string& pid_dir, const std::string& exe_name) {
  return Matches(pid_dir, exe_name) && !HasEnded(pid_dir);
}

bool IsProgram(const std::string& pid_dir, const struct stat& program) {
  struct stat exe {};
  return stat((pid_dir + "/exe").c_str(), &exe) == 0 && exe.st_dev == program.st_dev &&
         exe.st_ino == program.st_ino && !HasEnded(pid_dir);
}

class ProcProcessList : public ProcessList {
 public:
  ProcessPresence Find(const std::string& exe_name) override {
    return Walk([&](const std::string& pid_dir) { return MatchesRunning(pid_dir, exe_name); });
  }

  ProcessPresence FindProgram(const std::string& program_path) override {
    struct stat program {};
    if (stat(program_path.c_str(), &program) != 0) {
      // No such file: nothing can run it, but the list must still be there.
      return Walk([](const std::string&) { return false; });
    }
    return Walk([&](const std::string& pid_dir) { return IsProgram(pid_dir, program); });
  }

 private:
  template <typename Match>
  ProcessPresence Walk(const Match& match) {
    DIR* proc = opendir("/proc");
    if (proc == nullptr) {
      return ProcessPresence::ListUnavailable;
    }
    ProcessPresence found = ProcessPresence::Absent;
    bool any = false;
    while (dirent* e = readdir(proc)) {
      const std::string name = e->d_name;
      if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) {
        continue;
      }
      any = true;
      // A process that ended meanwhile simply matches nothing.
      if (match("/proc/" + name)) {
        found = ProcessPresence::Running;
        break;
      }
    }
    closedir(proc);
    // /proc without a single process (not mounted) is no list at all: we ourselves run.
    return any ? found : ProcessPresence::ListUnavailable;
  }
};

}  // namespace

ProcessList& SystemProcessList() {
  static ProcProcessList list;
  return list;
}

}  // namespace plotxfer::platform
