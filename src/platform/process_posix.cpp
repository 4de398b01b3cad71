#include "platform/process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "core/text/command_line.h"
#include "platform/codepage.h"

extern char** environ;

#if !defined(__GLIBC__) || __GLIBC__ < 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ < 34)
#error "starting the tools needs close_range (glibc 2.34 or later)"
#endif

namespace plotxfer::platform {

namespace {

// A started tool: its process, and the read end of the pipe its output goes to (-1 without).
struct Started {
  pid_t pid = 0;
  int output = -1;
};

// Closes every descriptor from 3 on but keep: the tool gets nothing of ours (a pipe, a lock file)
// that could keep our caller waiting or outlive us in it.
void CloseDescriptorsBut(int keep) {
  const bool below = keep <= 3 || close_range(3, static_cast<unsigned>(keep) - 1, 0) == 0;
  if (!below || close_range(static_cast<unsigned>(keep) + 1, ~0U, 0) != 0) {
    const long most = sysconf(_SC_OPEN_MAX);
    for (int fd = 3; fd < (most > 0 ? most : 1024); ++fd) {
      if (fd != keep) {
        close(fd);
      }
    }
  }
}

// The child's part between vfork and exec: it shares our memory, so it makes system calls only
// and changes nothing of ours. Reports errno through report when the program cannot be started.
[[noreturn]] void StartInChild(const char* program, char* const* argv, ToolOutput output,
                               bool own_group, pid_t parent, int report, int output_pipe) {
  // Our handlers are not the tool's, nor are signals we ignore (SIGPIPE): it starts with every
  // disposition at its default.
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  for (int sig = 1; sig < NSIG; ++sig) {
    sigaction(sig, &dfl, nullptr);
  }
  if (own_group) {
    setpgid(0, 0);
  }
  // Killed with us, however we end; a parent that died before this line was set is already
  // gone, and the tool must not start for nobody.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) {
    _exit(127);
  }
  const int in = open("/dev/null", O_RDONLY);
  if (in >= 0) {
    dup2(in, STDIN_FILENO);
  }
  int out = output_pipe;
  if (output == ToolOutput::Discard || out < 0) {
    out = open("/dev/null", O_WRONLY);
  }
  if (out >= 0) {
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
  }
  CloseDescriptorsBut(report);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  execve(program, argv, environ);
  const int error = errno;
  (void)!write(report, &error, sizeof error);
  _exit(127);
}

// Starts the tool; pid 0 when it could not be started. With own_group the tool leads a new
// process group. posix_spawn cannot set a parent-death signal, so this forks itself: with vfork,
// as posix_spawn does, since a copy of our memory would only cost page faults until the exec.
Started Spawn(const std::string& program, const std::string& command_line, ToolOutput output,
              bool own_group) {
  // The same line a Windows tool would get, split as its C runtime would split it. Everything
  // the child needs is made before the fork.
  std::vector<std::string> args = text::SplitCommandLine(command_line, ActiveCodePage());
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (std::string& a : args) {
    argv.push_back(a.data());
  }
  argv.push_back(nullptr);

  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    return {};
  }
  int out[2] = {-1, -1};
  if (output == ToolOutput::Show && pipe2(out, O_CLOEXEC) != 0) {
    out[0] = out[1] = -1;
  }
  // No handler of ours may run in the child before its dispositions are reset.
  sigset_t all;
  sigset_t old;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &old);
  const pid_t parent = getpid();
  const pid_t pid = vfork();
  if (pid == 0) {
    StartInChild(program.c_str(), argv.data(), output, own_group, parent, report[1], out[1]);
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  close(report[1]);
  if (out[1] >= 0) {
    close(out[1]);
  }
  Started started;
  if (pid > 0) {
    if (own_group) {
      setpgid(pid, pid);  // the child does it too; whichever comes first, kill(-pid) works
    }
    int error = 0;
    ssize_t n;
    while ((n = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    if (n > 0) {
      int status = 0;
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    } else {
      started.pid = pid;
    }
  }
  close(report[0]);
  if (started.pid == 0) {
    if (out[0] >= 0) {
      close(out[0]);
    }
    return {};
  }
  if (out[0] >= 0) {
    fcntl(out[0], F_SETFL, fcntl(out[0], F_GETFL) | O_NONBLOCK);
  }
  started.output = out[0];
  return started;
}

// Copies what the tool wrote so far to our standard output; false once the pipe is at its end
// (then it is closed and set to -1).
bool CopyOutput(int& fd) {
  char buf[4096];
  for (;;) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
      for (ssize_t done = 0; done < n;) {
        const ssize_t w = write(STDOUT_FILENO, buf + done, static_cast<std::size_t>(n - done));
        if (w <= 0 && errno != EINTR) {
          break;  // our own output is gone; the tool's is dropped
        }
        done += w > 0 ? w : 0;
      }
      continue;
    }
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0 && errno == EAGAIN) {
      return true;
    }
    close(fd);
    fd = -1;
    return false;
  }
}

ToolExit ExitOf(int status) {
  ToolExit exit;
  if (WIFEXITED(status)) {
    exit.kind = ToolExit::Kind::Code;
    exit.value = static_cast<unsigned long>(WEXITSTATUS(status));
  } else if (WIFSIGNALED(status)) {
    exit.kind = ToolExit::Kind::Signal;
    exit.value = static_cast<unsigned long>(WTERMSIG(status));
  }
  return exit;
}

ToolExit Reap(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      return {};
    }
  }
  return ExitOf(status);
}

class PosixProcessRunner : public ProcessRunner {
 public:
  explicit PosixProcessRunner(ToolOutput output) : output_(output) {}

  ToolOutcome Run(const std::string& program, const std::string& command_line) override {
    last_ = {};
    Started started = Spawn(program, command_line, output_, false);
    if (started.pid == 0) {
      return ToolOutcome::NotStarted;
    }
    while (started.output >= 0) {
      pollfd fd{started.output, POLLIN, 0};
      poll(&fd, 1, -1);
      CopyOutput(started.output);
    }
    last_ = Reap(started.pid);
    return ToolOutcome::Ended;
  }
  ToolExit LastExit() const override { return last_; }

 private:
  ToolOutput output_;
  ToolExit last_;
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

  ToolExit LastExit() const override { return last_; }

  ToolOutcome Run(const std::string& program, const std::string& command_line) override {
    last_ = {};
    if (limits_.cancel != nullptr && limits_.cancel->Requested()) {
      return ToolOutcome::Cancelled;
    }
    Started started = Spawn(program, command_line, limits_.output, true);
    if (started.pid == 0) {
      return ToolOutcome::NotStarted;
    }
    const pid_t pid = started.pid;
    const ToolOutcome outcome = Wait(pid, started.output);
    // The tool, if it still runs, and whatever it started: the group it leads.
    kill(-pid, SIGKILL);
    last_ = Reap(pid);
    if (started.output >= 0) {
      // What is left in the pipe; a writer the kill missed cannot hold us here.
      CopyOutput(started.output);
      if (started.output >= 0) {
        close(started.output);
      }
    }
    return outcome;
  }

 private:
  ToolOutcome Wait(pid_t pid, int& output) {
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
      pollfd fds[3];
      nfds_t n = 0;
      if (output >= 0) {
        fds[n++] = {output, POLLIN, 0};
      }
      if (pidfd >= 0) {
        fds[n++] = {pidfd, POLLIN, 0};
      }
      if (limits_.cancel != nullptr) {
        fds[n++] = {static_cast<int>(limits_.cancel->WaitHandle()), POLLIN, 0};
      }
      poll(fds, n, wait_ms);  // EINTR and timeouts alike: look again
      if (output >= 0) {
        CopyOutput(output);
      }
    }
    if (pidfd >= 0) {
      close(pidfd);
    }
    return outcome;
  }

  ToolLimits limits_;
  ToolExit last_;
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
