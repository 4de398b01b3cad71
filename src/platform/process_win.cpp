#include "platform/process.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/tool_start_win.h"

namespace plotxfer::platform {

bool StartToolProcess(const std::string& program, const std::string& command_line,
                      DWORD extra_flags, PROCESS_INFORMATION& info) {
  // CreateProcessA may write into the command line, so it gets a copy of its own.
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  char desktop[] = "";

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.lpDesktop = desktop;
  startup.dwFlags = STARTF_USEPOSITION;
  startup.dwX = 0;
  startup.dwY = 0;
  // A start can fail for a moment (the program file held by a virus scanner, the system short of
  // memory or desktop heap, Wine's server under load); only a program that cannot be run at all
  // is given up at once.
  for (int attempt = 0;; ++attempt) {
    std::copy(command_line.begin(), command_line.end(), line.begin());
    info = PROCESS_INFORMATION{};
    if (CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE,
                       CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS | extra_flags, nullptr, nullptr,
                       &startup, &info) != 0) {
      return true;
    }
    switch (GetLastError()) {
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND:
      case ERROR_ACCESS_DENIED:
      case ERROR_BAD_EXE_FORMAT:
      case ERROR_EXE_MACHINE_TYPE_MISMATCH:
      case ERROR_INVALID_NAME:
      case ERROR_FILENAME_EXCED_RANGE:
      case ERROR_DIRECTORY:
        return false;
      default:
        if (attempt == 3) {
          return false;
        }
        Sleep(100 << attempt);
    }
  }
}

// Exit codes from 0xC0000000 on are the exception codes a crash ends a program with.
ToolExit ToolExitOf(HANDLE process) {
  DWORD code = 0;
  ToolExit exit;
  if (GetExitCodeProcess(process, &code) && code != STILL_ACTIVE) {
    exit.kind = code >= 0xC0000000u ? ToolExit::Kind::Exception : ToolExit::Kind::Code;
    exit.value = code;
  }
  return exit;
}

namespace {

class WindowsProcessRunner : public ProcessRunner {
 public:
  ToolOutcome Run(const std::string& program, const std::string& command_line) override {
    PROCESS_INFORMATION info;
    if (!StartToolProcess(program, command_line, 0, info)) {
      return ToolOutcome::NotStarted;
    }
    WaitForSingleObject(info.hThread, INFINITE);
    WaitForSingleObject(info.hProcess, INFINITE);
    last_ = ToolExitOf(info.hProcess);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return ToolOutcome::Ended;
  }
  ToolExit LastExit() const override { return last_; }

 private:
  ToolExit last_;
};

// A job that ends its processes when its last handle is closed, also when this process dies.
HANDLE MakeKillOnCloseJob() {
  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  if (job == nullptr) {
    return nullptr;
  }
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    CloseHandle(job);
    return nullptr;
  }
  return job;
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
    PROCESS_INFORMATION info;
    // Suspended until it is in its job, so nothing it starts can escape the job.
    if (!StartToolProcess(program, command_line, CREATE_SUSPENDED, info)) {
      return ToolOutcome::NotStarted;
    }
    HANDLE job = MakeKillOnCloseJob();
    if (job != nullptr && !AssignProcessToJobObject(job, info.hProcess)) {
      // Inside a job that allows no nested job (before Windows 8): the tool runs all the same,
      // and a stop can end only the tool itself.
      CloseHandle(job);
      job = nullptr;
    }
    ResumeThread(info.hThread);
    const ToolOutcome outcome = Wait(info.hProcess);
    if (outcome != ToolOutcome::Ended) {
      if (job != nullptr) {
        TerminateJobObject(job, 1);
      } else {
        TerminateProcess(info.hProcess, 1);
      }
      WaitForSingleObject(info.hProcess, INFINITE);
    }
    last_ = ToolExitOf(info.hProcess);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    if (job != nullptr) {
      CloseHandle(job);  // ends whatever the tool left running
    }
    return outcome;
  }

 private:
  ToolOutcome Wait(HANDLE process) {
    HANDLE handles[2] = {process, nullptr};
    DWORD count = 1;
    // Without its event (it could not be made) a request is looked for every few ms.
    bool blind = false;
    if (limits_.cancel != nullptr) {
      const std::intptr_t event = limits_.cancel->WaitHandle();
      if (event != 0 && event != -1) {
        handles[count++] = reinterpret_cast<HANDLE>(event);
      } else {
        blind = true;
      }
    }
    const bool limited = limits_.timeout.count() > 0;
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(limits_.timeout.count());
    for (;;) {
      DWORD wait = INFINITE;
      if (limited) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
          return WaitForSingleObject(process, 0) == WAIT_OBJECT_0 ? ToolOutcome::Ended
                                                                  : ToolOutcome::TimedOut;
        }
        const ULONGLONG left = deadline - now;
        wait = left > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(left);
      }
      if (blind) {
        if (limits_.cancel->Requested()) {
          return ToolOutcome::Cancelled;
        }
        wait = wait > 10 ? 10 : wait;
      }
      const DWORD r = WaitForMultipleObjects(count, handles, FALSE, wait);
      if (r == WAIT_OBJECT_0) {
        return ToolOutcome::Ended;
      }
      if (r == WAIT_OBJECT_0 + 1) {
        return ToolOutcome::Cancelled;
      }
      if (r == WAIT_FAILED) {
        // Waiting on the process alone still works if the cancel handle went bad.
        if (count == 2) {
          count = 1;
          blind = true;
          continue;
        }
        WaitForSingleObject(process, INFINITE);
        return ToolOutcome::Ended;
      }
      // WAIT_TIMEOUT: the deadline is looked at again above.
    }
  }

  ToolLimits limits_;
  ToolExit last_;
};

}  // namespace

ProcessRunner& SystemProcessRunner(ToolOutput) {
  static WindowsProcessRunner runner;
  return runner;
}

std::unique_ptr<ProcessRunner> MakeSupervisedProcessRunner(const ToolLimits& limits) {
  return std::make_unique<SupervisedProcessRunner>(limits);
}

ToolCancel::ToolCancel() {
  // Manual reset: once set it stays set, for every later wait.
  wake_[0] = reinterpret_cast<std::intptr_t>(CreateEventA(nullptr, TRUE, FALSE, nullptr));
}

ToolCancel::~ToolCancel() {
  if (wake_[0] != 0 && wake_[0] != -1) {
    CloseHandle(reinterpret_cast<HANDLE>(wake_[0]));
  }
}

void ToolCancel::Request() noexcept {
  requested_ = true;
  if (wake_[0] != 0 && wake_[0] != -1) {
    SetEvent(reinterpret_cast<HANDLE>(wake_[0]));
  }
}

}  // namespace plotxfer::platform
