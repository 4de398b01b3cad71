#include "platform/process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "core/text/command_line.h"
#include "platform/codepage.h"

extern char** environ;

#if !defined(__GLIBC__) || __GLIBC__ < 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ < 34)
#error "starting the tools needs posix_spawn_file_actions_addclosefrom_np (glibc 2.34 or later)"
#endif

namespace plotxfer::platform {

namespace {

// Starts the tool; 0 when it could not be started. With own_group the tool leads a new process
// group.
pid_t Spawn(const std::string& program, const std::string& command_line, ToolOutput output,
            bool own_group) {
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
  if (output == ToolOutput::Discard) {
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
  short flags = POSIX_SPAWN_SETSIGMASK;
  if (own_group) {
    posix_spawnattr_setpgroup(&attr, 0);
    flags |= POSIX_SPAWN_SETPGROUP;
  }
  posix_spawnattr_setflags(&attr, flags);

  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : 0;
}

void Reap(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

class PosixProcessRunner : public ProcessRunner {
 public:
  explicit PosixProcessRunner(ToolOutput output) : output_(output) {}

  bool RunAndWait(const std::string& program, const std::string& command_line) override {
    const pid_t pid = Spawn(program, command_line, output_, false);
    if (pid == 0) {
      return false;
    }
    Reap(pid);
    return true;
  }

 private:
  ToolOutput output_;
};

// True once the process has ended; it is left a zombie, so its pid (and the id of the group it
// leads) cannot be taken by another process until it is reaped.
bool HasEnded(pid_t pid) {
  siginfo_t info{};
  return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == pid;
}

int OpenPidDescriptor(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  return -1;
#endif
}

class SupervisedProcessRunner : public ProcessRunner {
 public:
  explicit SupervisedProcessRunner(const ToolLimits& limits) : limits_(limits) {}

  bool RunAndWait(const std::string& program, const std::string& command_line) override {
    const ToolOutcome outcome = Start(program, command_line);
    return outcome != ToolOutcome::NotStarted && started_;
  }

  ToolOutcome Run(const std::string& program, const std::string& command_line) override {
    return Start(program, command_line);
  }

 private:
  ToolOutcome Start(const std::string& program, const std::string& command_line) {
    started_ = false;
    if (limits_.cancel != nullptr && limits_.cancel->Requested()) {
      return ToolOutcome::Cancelled;
    }
    const pid_t pid = Spawn(program, command_line, limits_.output, true);
    if (pid == 0) {
      return ToolOutcome::NotStarted;
    }
    started_ = true;
    const ToolOutcome outcome = Wait(pid);
    // The tool, if it still runs, and whatever it started: the group it leads.
    kill(-pid, SIGKILL);
    Reap(pid);
    return outcome;
  }

  ToolOutcome Wait(pid_t pid) {
    using Clock = std::chrono::steady_clock;
    const bool limited = limits_.timeout.count() > 0;
    const Clock::time_point deadline = Clock::now() + limits_.timeout;
    // Without a process descriptor (kernels before 5.3) or a cancel pipe, the end and a request
    // are looked for every few ms.
    const int pidfd = OpenPidDescriptor(pid);
    ToolOutcome outcome = ToolOutcome::Ended;
    for (;;) {
      if (HasEnded(pid)) {
        break;
      }
      if (limits_.cancel != nullptr && limits_.cancel->Requested()) {
        outcome = ToolOutcome::Cancelled;
        break;
      }
      int wait_ms = -1;
      if (limited) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
          outcome = ToolOutcome::TimedOut;
          break;
        }
        // Rounded up, so the wait never wakes just before the deadline and spins.
        wait_ms = static_cast<int>(std::min<long long>(left.count() + 1, 1 << 30));
      }
      const bool blind =
          pidfd < 0 || (limits_.cancel != nullptr && limits_.cancel->WaitHandle() < 0);
      if (blind && (wait_ms < 0 || wait_ms > 5)) {
        wait_ms = 5;
      }
      pollfd fds[2];
      nfds_t n = 0;
      if (pidfd >= 0) {
        fds[n++] = {pidfd, POLLIN, 0};
      }
      if (limits_.cancel != nullptr) {
        fds[n++] = {static_cast<int>(limits_.cancel->WaitHandle()), POLLIN, 0};
      }
      poll(fds, n, wait_ms);  // EINTR and timeouts alike: look again
    }
    if (pidfd >= 0) {
      close(pidfd);
    }
    return outcome;
  }

  ToolLimits limits_;
  bool started_ = false;
};

}  // namespace

ProcessRunner& SystemProcessRunner(ToolOutput output) {
  static PosixProcessRunner quiet(ToolOutput::Discard);
  static PosixProcessRunner shown(ToolOutput::Show);
  return output == ToolOutput::Show ? shown : quiet;
}

std::unique_ptr<ProcessRunner> MakeSupervisedProcessRunner(const ToolLimits& limits) {
  return std::make_unique<SupervisedProcessRunner>(limits);
}

ToolCancel::ToolCancel() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
    wake_[0] = fds[0];
    wake_[1] = fds[1];
  }
}

ToolCancel::~ToolCancel() {
  for (std::intptr_t fd : wake_) {
    if (fd >= 0) {
      close(static_cast<int>(fd));
    }
  }
}

void ToolCancel::Request() noexcept {
  requested_ = true;
  if (wake_[1] >= 0) {
    const int saved = errno;  // a signal handler must leave errno as it found it
    const char byte = 1;
    (void)!write(static_cast<int>(wake_[1]), &byte, 1);
    errno = saved;
  }
}

}  // namespace plotxfer::platform
