#include "cli/progress.h"

namespace plotxfer::cli {

std::string ClockText(std::chrono::seconds s) {
  const long long total = s.count() < 0 ? 0 : static_cast<long long>(s.count());
  char buf[32];
  if (total >= 3600) {
    std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
  } else {
    std::snprintf(buf, sizeof buf, "%lld:%02lld", total / 60, total % 60);
  }
  return buf;
}

std::string ProgressLine(std::size_t done, std::size_t total, std::string_view name,
                         std::chrono::seconds gone, std::chrono::seconds left, bool has_estimate,
                         int columns, text::CodePage cp) {
  const std::string width = std::to_string(total);
  char count[64];
  std::snprintf(count, sizeof count, "[%*zu/%zu] ", static_cast<int>(width.size()), done, total);
  std::string times = "  " + ClockText(gone) + " gone";
  if (has_estimate) {
    times += ", about " + ClockText(left) + " left";
  }
  // Bytes are never fewer than the columns they take (Shift-JIS two for two, UTF-8 three for
  // two), so a line cut by bytes always fits.
  const std::size_t room = columns > 1 ? static_cast<std::size_t>(columns - 1) : 0;
  const std::size_t fixed = std::string_view(count).size() + times.size();
  std::string shown_name(name);
  if (fixed + shown_name.size() > room) {
    const std::size_t keep = room > fixed + 3 ? room - fixed - 3 : 0;
    std::size_t at = 0;
    while (at < name.size() && name.size() - at > keep) {
      at = text::NextChar(name, at, cp);
    }
    shown_name = keep == 0 ? std::string() : "..." + std::string(name.substr(at));
  }
  std::string line = count + shown_name + times;
  if (line.size() > room) {
    line.resize(room);
  }
  return line;
}

ProgressDisplay::ProgressDisplay(std::FILE* terminal, int columns, text::CodePage cp)
    : terminal_(terminal), columns_(columns), cp_(cp) {
}

ProgressDisplay::~ProgressDisplay() {
  Finish();
}

void ProgressDisplay::Start(std::size_t total) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (running_) {
    return;
  }
  total_ = total;
  start_ = std::chrono::steady_clock::now();
  running_ = true;
  DrawLocked();
  ticker_ = std::thread([this] { Tick(); });
}

void ProgressDisplay::Drawing(std::size_t done, const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  done_ = done;
  name_ = name;
  DrawLocked();
}

void ProgressDisplay::Finish() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!running_) {
      return;
    }
    running_ = false;
    ClearLocked();
  }
  wake_.notify_all();
  ticker_.join();
}

void ProgressDisplay::Tick() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (running_) {
    wake_.wait_for(lock, std::chrono::seconds(1));
    if (running_) {
      DrawLocked();
    }
  }
}

void ProgressDisplay::DrawLocked() {
  if (!running_) {
    return;
  }
  using std::chrono::duration_cast;
  using std::chrono::seconds;
  const auto gone = std::chrono::steady_clock::now() - start_;
  const bool has_estimate = done_ > 0 && done_ < total_;
  const auto per_drawing = duration_cast<std::chrono::milliseconds>(gone) /
                           static_cast<long long>(done_ > 0 ? done_ : 1);
  const auto left = per_drawing * static_cast<long long>(total_ - done_);
  const std::string line = ProgressLine(done_, total_, name_, duration_cast<seconds>(gone),
                                        duration_cast<seconds>(left), has_estimate, columns_, cp_);
  std::fputc('\r', terminal_);
  std::fputs(line.c_str(), terminal_);
  // What is left of a longer line before.
  for (std::size_t i = line.size(); i < shown_; ++i) {
    std::fputc(' ', terminal_);
  }
  if (shown_ > line.size()) {
    std::fputc('\r', terminal_);
    std::fputs(line.c_str(), terminal_);
  }
  std::fflush(terminal_);
  shown_ = line.size();
}

void ProgressDisplay::ClearLocked() {
  if (shown_ == 0) {
    return;
  }
  std::fputc('\r', terminal_);
  for (std::size_t i = 0; i < shown_; ++i) {
    std::fputc(' ', terminal_);
  }
  std::fputc('\r', terminal_);
  std::fflush(terminal_);
  shown_ = 0;
}

}  // namespace plotxfer::cli
