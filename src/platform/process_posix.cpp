#include "platform/process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "core/text/command_line.h"
#include "platform/codepage.h"

extern char** environ;

#if !defined(__GLIBC__) || __GLIBC__ < 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ < 34)
#error "starting the tools needs posix_spawn_file_actions_addclosefrom_np (glibc 2.34 or later)"
#endif

namespace plotxfer::platform {

namespace {

class PosixProcessRunner : public ProcessRunner {
 public:
  explicit PosixProcessRunner(ToolOutput output) : output_(output) {}

  bool RunAndWait(const std::string& program, const std::string& command_line) override {
    // The same line a Windows tool would get, split as its C runtime would split it.
    std::vector<std::string> args = text::SplitCommandLine(command_line, ActiveCodePage());
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& a : args) {
      argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (output_ == ToolOutput::Discard) {
      posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
      posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    }
    // Nothing of ours leaks into the tool: a tool that kept a descriptor (a pipe, a lock file)
    // open could outlive us with it or keep our caller waiting.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);

    // The tool starts with no signal blocked, whatever the caller had blocked.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK);

    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
      return false;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
  }

 private:
  ToolOutput output_;
};

}  // namespace

ProcessRunner& SystemProcessRunner(ToolOutput output) {
  static PosixProcessRunner quiet(ToolOutput::Discard);
  static PosixProcessRunner shown(ToolOutput::Show);
  return output == ToolOutput::Show ? shown : quiet;
}

}  // namespace plotxfer::platform
