// Starting a tool and waiting for it. The test program starts itself as the tool: with
// PLOTXFER_PROBE_OUT set it reports what it received and ends before any test runs.
#include "platform/process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/process_list.h"
#ifdef _WIN32
#include "platform/process_window.h"
#endif
#include "platform/program_path.h"
#include "../unit/temp_files.h"
#include "../unit/test_env.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/prctl.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

std::string FileIdentity(int fd) {
#ifdef _WIN32
  (void)fd;
  return "";
#else
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    return "closed";
  }
  return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" +
         std::to_string(st.st_rdev);
#endif
}

#ifndef _WIN32
std::string DevNullIdentity() {
  const int fd = open("/dev/null", O_RDONLY);
  const std::string id = FileIdentity(fd);
  close(fd);
  return id;
}
#endif

std::vector<std::string> ProbeArgs() {
  std::vector<std::string> args;
#ifdef _WIN32
  for (int i = 0; i < __argc; ++i) {
    args.push_back(__argv[i]);
  }
#else
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string arg;
  while (std::getline(in, arg, '\0')) {
    args.push_back(arg);
  }
#endif
  return args;
}

std::string OpenDescriptors() {
  std::string fds;
#ifndef _WIN32
  DIR* d = opendir("/proc/self/fd");
  if (d == nullptr) {
    return "?";
  }
  while (dirent* e = readdir(d)) {
    const int fd = std::atoi(e->d_name);
    if (e->d_name[0] != '.' && fd > 2 && fd != dirfd(d)) {
      fds += std::to_string(fd) + " ";
    }
  }
  closedir(d);
#endif
  return fds;
}

// With PLOTXFER_PROBE_SPAWN=1 the probe first starts a copy of itself that reports to
// <report>.child and sleeps long, and waits until that report is there: a tool that leaves a
// process of its own running.
void StartProbeChild(const std::string& out) {
  const char* spawn = std::getenv("PLOTXFER_PROBE_SPAWN");
  if (spawn == nullptr || std::string(spawn) != "1") {
    return;
  }
  const std::string child_out = out + ".child";
  const char* sleep_ms = std::getenv("PLOTXFER_PROBE_SLEEP_MS");
  const std::string own_sleep = sleep_ms != nullptr ? sleep_ms : "";
  plotxfer::testing::SetEnv("PLOTXFER_PROBE_SPAWN", "0");
  plotxfer::testing::SetEnv("PLOTXFER_PROBE_OUT", child_out);
  plotxfer::testing::SetEnv("PLOTXFER_PROBE_SLEEP_MS", "30000");
  const std::string self = plotxfer::platform::ProgramFilePath();
#ifdef _WIN32
  std::string line = "\"" + self + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (CreateProcessA(self.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                     nullptr, &si, &pi)) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
#else
  if (fork() == 0) {
    execl(self.c_str(), self.c_str(), static_cast<char*>(nullptr));
    std::_Exit(127);
  }
#endif
  plotxfer::testing::SetEnv("PLOTXFER_PROBE_OUT", out);
  plotxfer::testing::SetEnv("PLOTXFER_PROBE_SLEEP_MS", own_sleep);
  for (int i = 0; i < 1000 && !std::filesystem::exists(child_out); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// The probe: runs during static initialisation when asked to, and never returns then.
int RunAsProbe() {
  const char* out_env = std::getenv("PLOTXFER_PROBE_OUT");
  if (out_env == nullptr || *out_env == '\0') {
    return 0;
  }
  // A copy: starting a child changes the environment, which may free what getenv gave.
  const std::string out = out_env;
  std::ostringstream r;
  const auto args = ProbeArgs();
  for (const auto& a : args) {
    r << "arg=" << a << "\n";
  }
  r << "fds=" << OpenDescriptors() << "\n";
  r << "stdin=" << FileIdentity(0) << "\n";
  r << "stdout=" << FileIdentity(1) << "\n";
  r << "stderr=" << FileIdentity(2) << "\n";
  r << "cwd=" << std::filesystem::current_path().string() << "\n";
#ifdef _WIN32
  r << "pid=" << GetCurrentProcessId() << "\n";
#else
  r << "pid=" << getpid() << "\n";
  r << "pgid=" << getpgrp() << "\n";
#endif
  StartProbeChild(out);
  if (const char* lock = std::getenv("PLOTXFER_PROBE_LOCK"); lock != nullptr && *lock != '\0') {
    const auto attempt = plotxfer::platform::SystemFileLocks().TryLock(lock);
    r << "lock=" << static_cast<int>(attempt.state) << "\n";
  }
  const char* env = std::getenv("PLOTXFER_PROBE_ENV");
  r << "env=" << (env != nullptr ? env : "(unset)") << "\n";
#ifdef _WIN32
  r << "cmdline=" << GetCommandLineA() << "\n";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  GetStartupInfoA(&si);
  r << "startup=" << si.dwFlags << " " << si.dwX << " " << si.dwY << "\n";
#endif
  {
    // Whole or not at all: a test may look at the report while the probe runs.
    const std::string partial = out + ".partial";
    {
      std::ofstream f(partial, std::ios::binary);
      f << r.str();
    }
    std::filesystem::rename(partial, out);
  }
  if (const char* ms = std::getenv("PLOTXFER_PROBE_SLEEP_MS"); ms != nullptr && *ms != '\0') {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(ms)));
  }
  {
    std::ofstream f(out, std::ios::binary | std::ios::app);
    f << "done\n";
  }
#ifndef _WIN32
  if (std::getenv("PLOTXFER_PROBE_CRASH") != nullptr) {
    std::signal(SIGABRT, SIG_DFL);
    std::abort();
  }
#endif
  if (const char* say = std::getenv("PLOTXFER_PROBE_SAY"); say != nullptr) {
    std::fputs(say, stdout);
  }
  const char* code = std::getenv("PLOTXFER_PROBE_EXIT");
  std::fflush(nullptr);
  std::_Exit(code != nullptr ? std::atoi(code) : 0);
}

const int kProbe = RunAsProbe();

using plotxfer::testing::SetEnv;
using plotxfer::testing::UnsetEnv;

class ProcessTest : public ::testing::Test {
 protected:
  ProcessTest() {
    (void)kProbe;
    self = plotxfer::platform::ProgramFilePath();
    report = (std::filesystem::temp_directory_path() /
              ("plotxfer-probe-" + std::to_string(random()) + std::to_string(random()) + ".txt"))
                 .string();
    std::filesystem::remove(report);
    SetEnv("PLOTXFER_PROBE_OUT", report);
  }
  ~ProcessTest() override {
    for (const char* v : {"PLOTXFER_PROBE_OUT", "PLOTXFER_PROBE_SLEEP_MS", "PLOTXFER_PROBE_EXIT",
                          "PLOTXFER_PROBE_CRASH", "PLOTXFER_PROBE_ENV", "PLOTXFER_PROBE_SPAWN",
                          "PLOTXFER_PROBE_LOCK", "PLOTXFER_PROBE_SAY"}) {
      UnsetEnv(v);
    }
    std::error_code ec;
    std::filesystem::remove(report, ec);
    std::filesystem::remove(report + ".child", ec);
  }

  bool Run(const std::string& tail,
           plotxfer::platform::ToolOutput output = plotxfer::platform::ToolOutput::Discard) {
    line = "\"" + self + "\"" + tail;
    return plotxfer::platform::SystemProcessRunner(output).Run(self, line) ==
           plotxfer::platform::ToolOutcome::Ended;
  }

  // The report as key -> values, in order.
  std::multimap<std::string, std::string> Report(const std::string& suffix = "") {
    std::multimap<std::string, std::string> m;
    std::ifstream in(report + suffix, std::ios::binary);
    std::string l;
    while (std::getline(in, l)) {
      const auto eq = l.find('=');
      m.emplace(l.substr(0, eq), eq == std::string::npos ? "" : l.substr(eq + 1));
    }
    return m;
  }
  std::string One(const std::string& key, const std::string& suffix = "") {
    const auto m = Report(suffix);
    const auto it = m.find(key);
    return it == m.end() ? "(missing)" : it->second;
  }
  std::vector<std::string> Args() {
    std::vector<std::string> args;
    const auto m = Report();
    for (auto [it, end] = m.equal_range("arg"); it != end; ++it) {
      args.push_back(it->second);
    }
    return args;
  }

  // Tests run in parallel processes: every report file needs a name of its own.
  static inline std::random_device random;
  std::string self, report, line;
};

}  // namespace

// However the tool ends, it counts as started, and the wait returns only once it has ended:
// "done" is written last, after the sleep.
TEST_F(ProcessTest, WaitsUntilTheToolHasEndedHoweverItEnds) {
  using Kind = plotxfer::platform::ToolExit::Kind;
  struct Case {
    const char* name;
    const char* variable;
    const char* value;
    Kind kind;  // how the runner says it ended
    unsigned long code;
  };
  const Case cases[] = {
      {"it takes its time", "PLOTXFER_PROBE_SLEEP_MS", "400", Kind::Code, 0},
      {"its exit code is not looked at", "PLOTXFER_PROBE_EXIT", "7", Kind::Code, 7},
#ifndef _WIN32
      {"it crashes", "PLOTXFER_PROBE_CRASH", "1", Kind::Signal, SIGABRT},
#endif
  };
  SetEnv("PLOTXFER_PROBE_ENV", "value with spaces");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(report);
    SetEnv(c.variable, c.value);
    EXPECT_TRUE(Run(""));
    UnsetEnv(c.variable);
    const plotxfer::platform::ToolExit exit = plotxfer::platform::SystemProcessRunner().LastExit();
    EXPECT_EQ(exit.kind, c.kind);
    EXPECT_EQ(exit.value, c.code);
    EXPECT_EQ(Report().count("done"), 1u);
    // The tool shares our environment and current folder.
    EXPECT_EQ(One("env"), "value with spaces");
    EXPECT_EQ(One("cwd"), std::filesystem::current_path().string());
  }
}

// A Windows tool gets the line unchanged and its runtime splits it; on Linux it is split by the
// same rules.
TEST_F(ProcessTest, TheToolGetsItsLineAsAWindowsToolDoes) {
  ASSERT_TRUE(Run(R"( plain "two words" a\\\"b "C:\dir\\" "" x\y  "/EllipseDiv:  5.0")"));
  const std::vector<std::string> expected = {
      self, "plain", "two words", R"(a\"b)", R"(C:\dir\)", "", R"(x\y)", "/EllipseDiv:  5.0"};
  EXPECT_EQ(Args(), expected);
#ifdef _WIN32
  EXPECT_EQ(One("cmdline"), line);
  // The startup record sets only the window position.
  EXPECT_EQ(One("startup"), std::to_string(STARTF_USEPOSITION) + " 0 0");
#endif
}

TEST_F(ProcessTest, ProgramsThatCannotStartGiveFalse) {
  plotxfer::testing::TempFolder dir;
  const auto missing = dir.File("no-such.exe");
  const auto text = dir.File("not-a-program.exe");  // a file that is not a program
  std::ofstream(text) << "not a program\n";
  auto supervised = plotxfer::platform::MakeSupervisedProcessRunner({});
  for (const std::string& program : {missing, text}) {
    SCOPED_TRACE(program);
    const std::string quoted = "\"" + program + "\"";
    EXPECT_EQ(plotxfer::platform::SystemProcessRunner().Run(program, quoted),
              plotxfer::platform::ToolOutcome::NotStarted);
    EXPECT_EQ(supervised->Run(program, quoted), plotxfer::platform::ToolOutcome::NotStarted);
  }
}

#ifdef _WIN32

// The dialog's wait: while the tool runs, messages sent from another thread are answered and
// paint is done, but a posted message (as input is) stays in the queue for the caller's pump.
LRESULT CALLBACK CountingWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* counts = reinterpret_cast<int*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (counts != nullptr && msg == WM_PAINT) {
    ++counts[0];
  }
  if (counts != nullptr && msg == WM_APP + 2) {
    ++counts[1];
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

TEST_F(ProcessTest, TheDialogsWaitAnswersSentMessagesAndLeavesPostedOnes) {
  if (GetACP() != 932) {
    GTEST_SKIP() << "shown under code page 932";
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = CountingWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "PlotxferWaitProbe";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowA("PlotxferWaitProbe", "wait", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                            200, 100, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(hwnd, nullptr);
  int counts[2] = {0, 0};  // paint messages, posted messages seen by the window
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(counts));
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    DispatchMessageA(&msg);
  }
  counts[0] = 0;
  PostMessageA(hwnd, WM_APP + 2, 0, 0);
  InvalidateRect(hwnd, nullptr, TRUE);

  std::atomic<bool> running{true};
  int answered = 0;
  int failed = 0;
  DWORD worst_ms = 0;
  std::thread sender([&] {
    while (running) {
      const DWORD start = GetTickCount();
      DWORD_PTR result = 0;
      if (SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result) != 0) {
        ++answered;
      } else {
        ++failed;
      }
      worst_ms = std::max<DWORD>(worst_ms, GetTickCount() - start);
      Sleep(50);
    }
  });
  SetEnv("PLOTXFER_PROBE_SLEEP_MS", "800");
  line = "\"" + self + "\"";
  const bool started = plotxfer::platform::WindowServingProcessRunner().Run(self, line) ==
                       plotxfer::platform::ToolOutcome::Ended;
  const int posted_seen_during_wait = counts[1];
  const int painted_during_wait = counts[0];
  running = false;
  sender.join();
  ASSERT_TRUE(started);
  EXPECT_EQ(Report().count("done"), 1u);  // the tool was waited for, not stopped
  EXPECT_GE(answered, 5);
  EXPECT_EQ(failed, 0);
  EXPECT_LT(worst_ms, 500u);
  EXPECT_GE(painted_during_wait, 1);
  EXPECT_EQ(posted_seen_during_wait, 0);
  ASSERT_TRUE(PeekMessageA(&msg, hwnd, WM_APP + 2, WM_APP + 2, PM_REMOVE));
  DestroyWindow(hwnd);
}

#else

TEST_F(ProcessTest, TheToolGetsNoDescriptorOfOursAndReadsNothing) {
  // A descriptor left open without close-on-exec, as libraries sometimes do.
  const int leaked = open("/dev/zero", O_RDONLY);
  ASSERT_GE(leaked, 3);
  const std::string null = DevNullIdentity();
  // Our standard output, where a shown tool's output is copied to; the tool itself never gets
  // it (a terminal under "stty tostop" would stop it).
  const std::string ours = report + ".ours";
  const int saved_stdout = dup(1);
  const int capture = open(ours.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ASSERT_GE(capture, 0);
  std::fflush(stdout);
  dup2(capture, 1);
  SetEnv("PLOTXFER_PROBE_SAY", "said by the tool");
  using plotxfer::platform::ToolOutput;
  for (const ToolOutput output : {ToolOutput::Discard, ToolOutput::Show}) {
    const bool shown = output == ToolOutput::Show;
    SCOPED_TRACE(shown ? "output shown" : "output discarded");
    std::filesystem::remove(report);
    EXPECT_TRUE(Run("", output));
    EXPECT_EQ(One("fds"), "");
    EXPECT_EQ(One("stdin"), null);
    EXPECT_EQ(One("stdout"), shown ? One("stderr") : null);
    EXPECT_EQ(One("stderr"), shown ? One("stdout") : null);
    EXPECT_NE(One("stdout"), FileIdentity(1));
    EXPECT_NE(One("stdout"), FileIdentity(saved_stdout));
  }
  std::fflush(stdout);
  dup2(saved_stdout, 1);
  close(saved_stdout);
  close(capture);
  std::ifstream said(ours);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(said), {}), "said by the tool");
  std::filesystem::remove(ours);
  close(leaked);
}

TEST_F(ProcessTest, InterruptedWaitsGoOnUntilTheToolHasEnded) {
  // A signal handler installed without SA_RESTART makes waitpid fail with EINTR.
  struct sigaction sa {};
  sa.sa_handler = [](int) {};
  sigemptyset(&sa.sa_mask);
  struct sigaction old {};
  ASSERT_EQ(sigaction(SIGALRM, &sa, &old), 0);
  itimerval every50ms{{0, 50000}, {0, 50000}};
  setitimer(ITIMER_REAL, &every50ms, nullptr);
  SetEnv("PLOTXFER_PROBE_SLEEP_MS", "400");
  const bool started = Run("");
  itimerval off{};
  setitimer(ITIMER_REAL, &off, nullptr);
  sigaction(SIGALRM, &old, nullptr);
  ASSERT_TRUE(started);
  EXPECT_EQ(Report().count("done"), 1u);
}

#endif

// True once the process with this id has ended (a zombie counts as ended); waits up to 2 s.
bool ProcessGone(const std::string& pid_text) {
  if (pid_text.empty() || pid_text == "(missing)") {
    return false;
  }
  for (int i = 0; i < 200; ++i) {
#ifdef _WIN32
    HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::stoul(pid_text)));
    if (h == nullptr) {
      return true;
    }
    const bool ended = WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
    CloseHandle(h);
#else
    std::ifstream stat("/proc/" + pid_text + "/stat");
    std::string pid, comm, state;
    const bool ended = !(stat >> pid >> comm >> state) || state == "Z";
#endif
    if (ended) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// Stopping tools depends on no code page: under Wine it runs once, under code page 932.
bool SecondCodePageRun() {
#ifdef _WIN32
  return GetACP() != 932;
#else
  return false;
#endif
}

TEST_F(ProcessTest, SupervisedToolsEndWithEverythingTheyStarted) {
  if (SecondCodePageRun()) {
    GTEST_SKIP() << "shown under code page 932";
  }
  using plotxfer::platform::ToolOutcome;
  struct Case {
    const char* name;
    int sleep_ms;
    int timeout_ms;    // 0: none
    bool spawn_child;  // the tool leaves a process of its own running
    bool cancel;       // cancelled once the tool (and its child) run
    ToolOutcome outcome;
  };
  const Case cases[] = {
      {"without a limit is never stopped", 200, 0, false, false, ToolOutcome::Ended},
      {"ran longer than its limit", 20000, 300, false, false, ToolOutcome::TimedOut},
      {"ended, its child with it", 0, 0, true, false, ToolOutcome::Ended},
      {"cancelled, its child with it", 20000, 0, true, true, ToolOutcome::Cancelled},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ec;
    std::filesystem::remove(report, ec);
    std::filesystem::remove(report + ".child", ec);
    SetEnv("PLOTXFER_PROBE_SLEEP_MS", std::to_string(c.sleep_ms));
    SetEnv("PLOTXFER_PROBE_SPAWN", c.spawn_child ? "1" : "0");
    plotxfer::platform::ToolCancel cancel;
    plotxfer::platform::ToolLimits limits;
    limits.timeout = std::chrono::milliseconds(c.timeout_ms);
    limits.cancel = &cancel;
    auto runner = plotxfer::platform::MakeSupervisedProcessRunner(limits);
    std::thread canceller;
    if (c.cancel) {
      // Once both reports are there, tool and child are running.
      canceller = std::thread([&] {
        for (int i = 0; i < 1000 && !(std::filesystem::exists(report) &&
                                      std::filesystem::exists(report + ".child"));
             ++i) {
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        cancel.Request();
      });
    }
    const auto start = std::chrono::steady_clock::now();
    const ToolOutcome outcome = runner->Run(self, "\"" + self + "\"");
    const auto took = std::chrono::steady_clock::now() - start;
    if (canceller.joinable()) {
      canceller.join();
    }
    EXPECT_EQ(outcome, c.outcome);
    EXPECT_EQ(Report().count("done"), c.outcome == ToolOutcome::Ended ? 1u : 0u);
    // Under Wine a tool stopped after 300 ms may not have reported yet; then it never ran far.
    if (c.outcome != ToolOutcome::TimedOut || One("pid") != "(missing)") {
      EXPECT_TRUE(ProcessGone(One("pid")));
    }
    if (c.spawn_child) {
      EXPECT_TRUE(ProcessGone(One("pid", ".child")));
    }
#ifndef _WIN32
    // It leads a group of its own: a Ctrl-C typed in the terminal goes to our group only.
    if (One("pid") != "(missing)") {
      EXPECT_EQ(One("pgid"), One("pid"));
      EXPECT_NE(One("pgid"), std::to_string(getpgrp()));
    }
#endif
    if (c.outcome != ToolOutcome::Ended) {
      EXPECT_LT(took, std::chrono::seconds(5)) << "a stopped tool ends at once";
    }
  }
}

TEST_F(ProcessTest, SupervisedRunnerStartsNothingOnceCancelled) {
  plotxfer::platform::ToolCancel cancel;
  cancel.Request();
  plotxfer::platform::ToolLimits limits;
  limits.cancel = &cancel;
  auto runner = plotxfer::platform::MakeSupervisedProcessRunner(limits);
  EXPECT_EQ(runner->Run(self, "\"" + self + "\""), plotxfer::platform::ToolOutcome::Cancelled);
  EXPECT_FALSE(std::filesystem::exists(report));
}

TEST_F(ProcessTest, OneLockHolderAtATimeAcrossProcesses) {
  using plotxfer::platform::LockState;
  auto& locks = plotxfer::platform::SystemFileLocks();
  plotxfer::testing::TempFolder dir;
  const std::string path = dir.File("RUN.LCK");
  SetEnv("PLOTXFER_PROBE_LOCK", path);
  {
    auto held = locks.TryLock(path);
    ASSERT_EQ(held.state, LockState::Taken) << held.reason;
    auto again = locks.TryLock(path);
    EXPECT_EQ(again.state, LockState::Held);
    EXPECT_FALSE(again.reason.empty());
    ASSERT_TRUE(Run(""));  // another process: our lock is not its to take
    EXPECT_EQ(One("lock"), std::to_string(static_cast<int>(LockState::Held)));
  }
  ASSERT_TRUE(Run(""));  // let go with its holder
  EXPECT_EQ(One("lock"), std::to_string(static_cast<int>(LockState::Taken)));
  EXPECT_EQ(locks.TryLock(path).state, LockState::Taken);  // and by the other process's end
  EXPECT_EQ(locks.TryLock(dir.File("missing") + "/RUN.LCK").state, LockState::Unavailable);
}

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

TEST_F(ProcessTest, TheProcessListFindsAProgramByItsFileName) {
  if (SecondCodePageRun()) {
    GTEST_SKIP() << "shown under code page 932";
  }
  using plotxfer::platform::ProcessPresence;
  plotxfer::testing::TempFolder dir;
  // A name of our own: other tests run the stand-in RASTRON.EXE meanwhile.
  const std::string digits = std::to_string(100000 + random() % 900000);
  const std::string name = "PX" + digits + ".EXE";
  const std::string utility = dir.File(name);
  std::filesystem::copy_file(self, utility);
  // The same program under the same name in another folder: another application folder's tool.
  std::filesystem::create_directory(dir.File("other"));
  const std::string other = dir.File("other") + (kSeparator + name);
  std::filesystem::copy_file(self, other);
  auto& list = plotxfer::platform::SystemProcessList();
  EXPECT_EQ(list.Find(name), ProcessPresence::Absent);
  EXPECT_EQ(list.FindProgram(utility), ProcessPresence::Absent);
  SetEnv("PLOTXFER_PROBE_SLEEP_MS", "20000");
  plotxfer::platform::ToolCancel cancel;
  plotxfer::platform::ToolLimits limits;
  limits.cancel = &cancel;
  auto runner = plotxfer::platform::MakeSupervisedProcessRunner(limits);
  std::thread tool([&] { runner->Run(utility, "\"" + utility + "\""); });
  for (int i = 0; i < 1000 && !std::filesystem::exists(report); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(list.Find("px" + digits + ".exe"), ProcessPresence::Running);
  EXPECT_EQ(list.Find(name.substr(0, name.size() - 1)), ProcessPresence::Absent);
  EXPECT_EQ(list.FindProgram(utility), ProcessPresence::Running);
  EXPECT_EQ(list.FindProgram(other), ProcessPresence::Absent);
  cancel.Request();
  tool.join();
}

#ifndef _WIN32
// A utility that has ended but was not yet reaped by its parent renders nothing: a run must not
// be refused because of it.
TEST(ProcessList, AnEndedButUnreapedProcessIsNotRunning) {
  using plotxfer::platform::ProcessPresence;
  const std::string name = "PZ" + std::to_string(100000 + random() % 900000) + ".EXE";
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(go[1]);
    prctl(PR_SET_NAME, name.c_str());
    char ch;
    (void)!read(go[0], &ch, 1);
    _exit(0);
  }
  close(go[0]);
  auto& list = plotxfer::platform::SystemProcessList();
  ProcessPresence before = ProcessPresence::Absent;
  for (int i = 0; i < 500 && before != ProcessPresence::Running; ++i) {
    before = list.Find(name);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(before, ProcessPresence::Running);
  close(go[1]);  // the child ends; it stays a zombie until waited for
  siginfo_t info{};
  ASSERT_EQ(waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);
  EXPECT_EQ(list.Find(name), ProcessPresence::Absent);
  waitpid(child, nullptr, 0);
}
#endif

TEST(FileSystem, RemoveAndExists) {
  auto& files = plotxfer::platform::SystemFileSystem();
  plotxfer::testing::TempFolder dir;
  const auto path = dir.File("file.tmp");
  EXPECT_FALSE(files.Exists(path));
  EXPECT_FALSE(files.RemoveFile(path));
  std::ofstream(path) << "x";
  EXPECT_TRUE(files.Exists(path));
  EXPECT_TRUE(files.RemoveFile(path));
  EXPECT_FALSE(files.Exists(path));
}

#ifdef _WIN32
// A file still held by another program for a moment (a scanner, a tool whose handles close after
// its end is seen) is deleted once it is let go; a read-only one is refused at once.
TEST(FileSystem, RemoveWaitsForAFileHeldAMoment) {
  auto& files = plotxfer::platform::SystemFileSystem();
  plotxfer::testing::TempFolder dir;
  const auto path = dir.File("held.csd");
  std::ofstream(path) << "x";
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread release([held] {
    Sleep(200);
    CloseHandle(held);
  });
  EXPECT_TRUE(files.RemoveFile(path));
  release.join();
  EXPECT_FALSE(files.Exists(path));

  std::ofstream(path) << "x";
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(files.RemoveFile(path));
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}
#endif
