// The watch benchmark: plotxfer-batch --watch with the stand-in tools, as a separate process.
//   watch_bench DEMO-DIR [--drawings N] [--settle S] [--idle-drawings N] [--idle-seconds S]
//               [--burst N] [--wine WINE-RUN]
// 1. Latency: N drawings dropped one by one; for each, the time from the moment it settled (its
//    last write plus the settle time) to the start of its export tool, taken from the tools' log
//    as it grows. Goal: median at most 0.5 s.
// 2. Idle cost: a watch over a folder of --idle-drawings drawings, all up to date, left alone for
//    --idle-seconds (one full look at the folder included); its processor time per minute. Goal:
//    at most 0.1 s. (0 skips.)
// 3. A burst: --burst drawings moved into the watched folder at once; each must be exported
//    exactly once; the time and the watch's peak memory. (0 skips.)
// With --wine, DEMO-DIR is the Windows build's and the watch runs under Wine (the benchmark itself
// runs natively); the processor time is then the Wine process's own, without the wineserver's.
#include <fcntl.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <poll.h>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string g_wine;  // the wine-run script, or empty
pid_t g_watch = -1;  // the watch running now

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "watch_bench: %s\n", why.c_str());
  if (g_watch > 0) {
    kill(-g_watch, SIGKILL);
  }
  std::exit(1);
}

std::string Native(const std::string& path) {
  if (g_wine.empty()) {
    return path;
  }
  std::string w = "Z:" + path;
  std::replace(w.begin(), w.end(), '/', '\\');
  return w;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++n;
  }
  return n;
}

// A watch running as a child process in a process group of its own.
class Watch {
 public:
  Watch(const fs::path& work, const std::vector<std::string>& args) : work_(work) {
    const std::string out = (work / "rows").string();
    const std::string err = (work / "stderr").string();
    const std::string program =
        (work / "app" / (g_wine.empty() ? "plotxfer-batch" : "plotxfer-batch.exe")).string();
    pid_ = fork();
    if (pid_ == 0) {
      setsid();
      const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(o, 1);
      dup2(e, 2);
      std::vector<std::string> all;
      if (!g_wine.empty()) {
        all.push_back(g_wine);
      }
      all.push_back(program);
      all.insert(all.end(), args.begin(), args.end());
      std::vector<char*> argv;
      for (std::string& a : all) {
        argv.push_back(a.data());
      }
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    g_watch = pid_;
    // Started once it says what it watches.
    const auto end = Clock::now() + std::chrono::seconds(120);
    while (ReadAll(err).find("watching") == std::string::npos) {
      if (Clock::now() > end || waitpid(pid_, nullptr, WNOHANG) != 0) {
        Fail("the watch did not start:\n" + ReadAll(err));
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  ~Watch() {
    kill(-pid_, SIGINT);
    int status = 0;
    waitpid(pid_, &status, 0);
    g_watch = -1;
  }

  // The watching process: under Wine the loader that wine-run starts becomes it.
  pid_t pid() const { return pid_; }

  // Processor time (user and system) of the watch and its children still running, in seconds.
  double CpuSeconds() const {
    double total = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
      const std::string name = entry.path().filename().string();
      if (name.find_first_not_of("0123456789") != std::string::npos) {
        continue;
      }
      const std::string stat = ReadAll(entry.path().string() + "/stat");
      const auto close = stat.rfind(')');
      if (close == std::string::npos) {
        continue;
      }
      std::istringstream fields(stat.substr(close + 2));
      std::string f[20];
      for (std::string& x : f) {
        fields >> x;
      }
      // After the name: state, ppid, pgrp, session, ..., utime (11), stime (12).
      if (std::atol(f[3].c_str()) != pid_) {
        continue;
      }
      total += static_cast<double>(std::atoll(f[11].c_str()) + std::atoll(f[12].c_str())) /
               static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    return total;
  }

  // The largest resident size the watch reached, in KiB.
  long PeakKib() const {
    const std::string status = ReadAll("/proc/" + std::to_string(pid_) + "/status");
    const auto hwm = status.find("VmHWM:");
    return hwm == std::string::npos ? 0 : std::atol(status.c_str() + hwm + 6);
  }

 private:
  fs::path work_;
  pid_t pid_ = -1;
};

fs::path Setup(const fs::path& demo, const std::string& name) {
  const fs::path work =
      fs::temp_directory_path() / ("plotxfer-watch-bench-" + name + "-" + std::to_string(getpid()));
  fs::remove_all(work);
  fs::create_directories(work / "watched");
  fs::create_directories(work / "out");
  fs::copy(demo / "app", work / "app", fs::copy_options::recursive);
  WriteAll((work / "tools.log").string(), "");
  setenv("PLOTXFER_REGISTRY_FILE", Native((work / "settings.reg").string()).c_str(), 1);
  setenv("PLOTXFER_STANDIN_LOG", Native((work / "tools.log").string()).c_str(), 1);
  return work;
}

std::string Sheet(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "sheet%04d", i);
  return name;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

void Latency(const fs::path& demo, int drawings, double settle) {
  const fs::path work = Setup(demo, "latency");
  const std::string plan = ReadAll((demo / "drawings" / "plan.VX").string());
  const int log_watch = inotify_init1(IN_CLOEXEC);
  inotify_add_watch(log_watch, (work / "tools.log").c_str(), IN_MODIFY);
  std::vector<double> latencies;
  {
    std::ostringstream s;
    s << settle;
    Watch watch(work, {"--watch", Native((work / "watched").string()), "--output-dir",
                       Native((work / "out").string()), "--settle", s.str()});
    std::size_t seen = 0;
    for (int i = 1; i <= drawings; ++i) {
      const std::string sheet = Sheet(i);
      WriteAll((work / "watched" / (sheet + ".VX")).string(), plan);
      const Clock::time_point settled =
          Clock::now() + std::chrono::microseconds(static_cast<long long>(settle * 1e6));
      bool exported = false;
      bool rendered = false;
      const auto end = Clock::now() + std::chrono::seconds(120);
      while (!rendered && Clock::now() < end) {
        pollfd p{log_watch, POLLIN, 0};
        if (poll(&p, 1, 1000) > 0) {
          char buf[4096];
          (void)!read(log_watch, buf, sizeof buf);
        }
        const Clock::time_point now = Clock::now();
        const std::string log = ReadAll((work / "tools.log").string());
        const std::string fresh = log.substr(seen);
        const auto line = fresh.find(sheet);
        if (!exported && line != std::string::npos &&
            fresh.rfind("\"VXCVPX\"", line) != std::string::npos) {
          exported = true;
          latencies.push_back(std::chrono::duration<double>(now - settled).count());
        }
        rendered = exported && Count(fresh, "\"RASTRON\"") > 0;
        if (rendered) {
          seen = log.size();
        }
      }
      if (!rendered) {
        Fail(sheet + " was not converted");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  close(log_watch);
  fs::remove_all(work);
  std::vector<double> sorted = latencies;
  std::sort(sorted.begin(), sorted.end());
  std::printf(
      "latency from settled to export tool start, %d drawings dropped one by one, "
      "--settle %g, %s\n",
      drawings, settle, g_wine.empty() ? "natively" : "under Wine");
  std::printf("  median %.3f s, fastest %.3f s, slowest %.3f s   (goal: median at most 0.5 s)\n",
              Median(latencies), sorted.front(), sorted.back());
}

void Idle(const fs::path& demo, int drawings, double seconds) {
  const fs::path work = Setup(demo, "idle");
  const std::string plan = ReadAll((demo / "drawings" / "plan.VX").string());
  const auto hour_ago = fs::file_time_type::clock::now() - std::chrono::hours(1);
  for (int i = 1; i <= drawings; ++i) {
    const fs::path drawing = work / "watched" / (Sheet(i) + ".VX");
    WriteAll(drawing.string(), plan);
    fs::last_write_time(drawing, hour_ago);
    WriteAll((work / "out" / (Sheet(i) + ".pdf")).string(), "up to date");
  }
  const Clock::time_point start = Clock::now();
  Watch watch(work, {"--watch", Native((work / "watched").string()), "--output-dir",
                     Native((work / "out").string())});
  const double started = std::chrono::duration<double>(Clock::now() - start).count();
  const double before = watch.CpuSeconds();
  std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<long long>(seconds * 1000)));
  const double cpu = watch.CpuSeconds() - before;
  const std::size_t exports = Count(ReadAll((work / "tools.log").string()), "\"VXCVPX\"");
  std::printf("idle: %d drawings, all up to date, watched for %g s (a full look every 60 s), %s\n",
              drawings, seconds,
              g_wine.empty() ? "natively" : "under Wine (without the wineserver)");
  std::printf(
      "  start-up to watching %.3f s (CPU %.3f s); idle CPU %.4f s, %.4f s per minute   "
      "(goal: at most 0.1 s); tools started: %zu\n",
      started, before, cpu, cpu * 60 / seconds, exports);
  fs::remove_all(work);
}

void Burst(const fs::path& demo, int drawings) {
  const fs::path work = Setup(demo, "burst");
  const std::string plan = ReadAll((demo / "drawings" / "plan.VX").string());
  fs::create_directories(work / "staging");
  for (int i = 1; i <= drawings; ++i) {
    WriteAll((work / "staging" / (Sheet(i) + ".VX")).string(), plan);
  }
  Watch watch(work, {"--watch", Native((work / "watched").string()), "--output-dir",
                     Native((work / "out").string())});
  const Clock::time_point start = Clock::now();
  for (int i = 1; i <= drawings; ++i) {
    fs::rename(work / "staging" / (Sheet(i) + ".VX"), work / "watched" / (Sheet(i) + ".VX"));
  }
  long peak = 0;
  std::string log;
  const auto end = Clock::now() + std::chrono::seconds(3600);
  while (Clock::now() < end) {
    log = ReadAll((work / "tools.log").string());
    peak = std::max(peak, watch.PeakKib());
    // Every drawing has its row, converted or not.
    if (Count(ReadAll((work / "rows").string()), "\n") >= static_cast<std::size_t>(drawings)) {
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  const double took = std::chrono::duration<double>(Clock::now() - start).count();
  std::this_thread::sleep_for(std::chrono::seconds(3));  // nothing more may come
  log = ReadAll((work / "tools.log").string());
  int once = 0;
  int outputs = 0;
  for (int i = 1; i <= drawings; ++i) {
    once += Count(log, Sheet(i) + ".VX\"") == 1 ? 1 : 0;
    outputs += fs::exists(work / "out" / (Sheet(i) + ".pdf")) ? 1 : 0;
  }
  std::printf("burst: %d drawings moved into the watched folder at once, %s\n", drawings,
              g_wine.empty() ? "natively" : "under Wine");
  std::printf(
      "  exported exactly once: %d, converted (outputs): %d, export runs: %zu, in %.1f s; peak "
      "memory "
      "of the watch %ld KiB\n",
      once, outputs, Count(log, "\"VXCVPX\""), took, peak);
  fs::remove_all(work);
  if (once != drawings) {
    Fail("not every drawing of the burst was exported exactly once");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: watch_bench DEMO-DIR [--drawings N] [--settle S] "
                 "[--idle-drawings N] [--idle-seconds S] [--burst N] [--wine WINE-RUN]\n");
    return 2;
  }
  const fs::path demo = fs::absolute(argv[1]);
  int drawings = 20, idle_drawings = 1000, burst = 2000;
  double settle = 1, idle_seconds = 60;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    const char* v = argv[i + 1];
    if (a == "--drawings") {
      drawings = std::atoi(v);
    } else if (a == "--settle") {
      settle = std::atof(v);
    } else if (a == "--idle-drawings") {
      idle_drawings = std::atoi(v);
    } else if (a == "--idle-seconds") {
      idle_seconds = std::atof(v);
    } else if (a == "--burst") {
      burst = std::atoi(v);
    } else if (a == "--wine") {
      g_wine = v;
    } else {
      std::fprintf(stderr, "watch_bench: unknown argument %s\n", a.c_str());
      return 2;
    }
  }
  if (drawings > 0) {
    Latency(demo, drawings, settle);
  }
  if (idle_drawings > 0 && idle_seconds > 0) {
    Idle(demo, idle_drawings, idle_seconds);
  }
  if (burst > 0) {
    Burst(demo, burst);
  }
  return 0;
}
