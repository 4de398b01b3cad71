#pragma once
// The one-line progress display on a terminal: drawings done of all, the drawing under way, the
// time gone and an estimate of the time left. It is redrawn every second while a tool runs and
// removed before anything else is written, so the printed rows stay as they are.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "core/text/codepage.h"

namespace plotxfer::cli {

// "[ 3/99] plan.VX  0:12 gone, about 5:30 left", cut to fit columns - 1 (the last column would
// wrap the line on some terminals). Without an estimate (nothing done yet) the last part is left
// out. The drawing's name is shortened from the front, whole characters only.
std::string ProgressLine(std::size_t done, std::size_t total, std::string_view name,
                         std::chrono::seconds gone, std::chrono::seconds left, bool has_estimate,
                         int columns, text::CodePage cp);

// 0:07, 12:34, 1:02:03
std::string ClockText(std::chrono::seconds s);

class ProgressDisplay {
 public:
  ProgressDisplay(std::FILE* terminal, int columns, text::CodePage cp);
  ~ProgressDisplay();
  ProgressDisplay(const ProgressDisplay&) = delete;
  ProgressDisplay& operator=(const ProgressDisplay&) = delete;

  void Start(std::size_t total);
  // Before drawing number done + 1 starts (done drawings have a result).
  void Drawing(std::size_t done, const std::string& name);
  // Removes the line while fn writes, then draws it again.
  template <typename Fn>
  void Around(Fn&& fn) {
    std::lock_guard<std::mutex> lock(mutex_);
    ClearLocked();
    fn();
    DrawLocked();
  }
  // Removes the line for good.
  void Finish();

 private:
  void DrawLocked();
  void ClearLocked();
  void Tick();

  std::FILE* terminal_;
  int columns_;
  text::CodePage cp_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::thread ticker_;
  bool running_ = false;
  std::size_t total_ = 0;
  std::size_t done_ = 0;
  std::string name_;
  std::size_t shown_ = 0;  // bytes of the line on the terminal now
  std::chrono::steady_clock::time_point start_;
};

}  // namespace plotxfer::cli
