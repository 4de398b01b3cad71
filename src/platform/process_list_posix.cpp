#include "platform/process_list.h"

#include <dirent.h>
#include <strings.h>
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

class ProcProcessList : public ProcessList {
 public:
  ProcessPresence Find(const std::string& exe_name) override {
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
      if (Matches("/proc/" + name, exe_name)) {
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
