#pragma once
// Starting an external tool and waiting for it.
//
// Three ways to wait, one per caller:
// - SystemProcessRunner: waits without a time limit and handles nothing meanwhile; a running tool
//   is never stopped.
// - MakeSupervisedProcessRunner (plotxfer-batch): each tool runs in a process group (Linux) or a
//   job object (Windows) of its own, may be given a time limit, and can be ended at once on
//   request; whatever a tool started is ended with it, so no tool process outlives the run.
// - WindowServingProcessRunner (the dialog, Windows only; platform/process_window.h): as
//   SystemProcessRunner, but the window keeps painting and answering while the tool runs.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace plotxfer::platform {

// How a tool's run ended.
enum class ToolOutcome {
  NotStarted,  // the program could not be started
  Ended,       // it ran and ended by itself (its exit code is not looked at)
  TimedOut,    // it ran longer than the time limit and was ended, with everything it started
  Cancelled,   // a cancel request ended it, with everything it started, or kept it from starting
};

// How a tool that ran came to its end, as far as the system tells it.
struct ToolExit {
  enum class Kind {
    Unknown,    // not told (a runner that does not look, or a tool that never started)
    Code,       // it ended by itself with value as its exit code
    Signal,     // Linux: killed by signal value
    Exception,  // Windows: ended by the exception (NTSTATUS) value, as a crash ends a program
  };
  Kind kind = Kind::Unknown;
  unsigned long value = 0;
};

class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  // Starts program with the whole command line (whose first token repeats the program path)
  // and waits until it has ended, telling how the run ended. A runner without limits only ever
  // gives NotStarted or Ended.
  virtual ToolOutcome Run(const std::string& program, const std::string& command_line) = 0;
  // How the tool of the last Run ended.
  virtual ToolExit LastExit() const { return {}; }
};

// Where a tool's standard output and error go on Linux. On Windows tools always run without a
// console window and inherit no handles, so their output is never seen.
enum class ToolOutput {
  Discard,
  // For --verbose: the tool writes into a pipe that is copied to our standard output. A tool
  // never gets our terminal: one writing to it from its own process group would be stopped
  // (SIGTTOU under "stty tostop") and the run would hang with it.
  Show,
};

// Windows: CreateProcessA with the program path and the whole line, no console window, no
// inherited handles, window position 0,0 and an empty desktop name; waits on the first thread
// and then on the process. Linux: the line is split into argv by the Windows C runtime's rules;
// the tool gets our environment and current folder, standard input from /dev/null and no other
// descriptor of ours, and is killed by the system when we die (a parent-death signal set between
// fork and exec), as a job object does on Windows: a tool left running after us would write into
// RSTKIT under the next run.
ProcessRunner& SystemProcessRunner(ToolOutput output = ToolOutput::Discard);

// A request to end the running tool at once and to start no other (the second Ctrl-C).
// Request() may be called from a signal handler (Linux) or a console control handler (Windows);
// once made, a request stays made for the life of the object.
class ToolCancel {
 public:
  ToolCancel();
  ~ToolCancel();
  ToolCancel(const ToolCancel&) = delete;
  ToolCancel& operator=(const ToolCancel&) = delete;

  void Request() noexcept;
  bool Requested() const noexcept { return requested_.load(); }

  // What a wait watches: Linux, a descriptor that turns readable; Windows, an event handle that
  // is signalled once a request is made.
  std::intptr_t WaitHandle() const noexcept { return wake_[0]; }

 private:
  std::atomic<bool> requested_{false};
  std::intptr_t wake_[2] = {-1, -1};  // Linux: the two ends of a pipe; Windows: [0] an event
};

struct ToolLimits {
  ToolOutput output = ToolOutput::Discard;
  // Zero: no limit, the tool is never stopped for time. Otherwise a tool still running after
  // this long is ended with everything it started, and the outcome is TimedOut.
  std::chrono::milliseconds timeout{0};
  // When given (it must outlive the runner), a request ends the running tool at once (outcome
  // Cancelled) and no further tool is started (Run gives Cancelled).
  ToolCancel* cancel = nullptr;
};

// The runner of plotxfer-batch. Starts tools as SystemProcessRunner does, and besides:
// - Linux: each tool leads a process group of its own, so a Ctrl-C typed in the terminal (sent
//   to the foreground group) never reaches it. When the tool ends, times out or is cancelled,
//   the whole group is killed, so nothing it started outlives it.
// - Windows: each tool runs in a job object of its own that kills its processes when closed;
//   the job is closed when the tool ends, times out or is cancelled, and also by the system if
//   this process dies, so no tool process outlives it. (Where the system allows no job of its
//   own, as inside a job without nesting before Windows 8, a stop ends the tool alone.) The tools
//   run without a console, so a console's Ctrl-C never reaches them.
// Run returns only once the tool has ended.
std::unique_ptr<ProcessRunner> MakeSupervisedProcessRunner(const ToolLimits& limits);

}  // namespace plotxfer::platform
