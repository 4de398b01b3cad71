#include "platform/atomic_file.h"

#include <mutex>
#include <utility>

namespace plotxfer::platform {

namespace {

std::mutex g_notice_mutex;
std::function<void(const std::string&)> g_notice;

}  // namespace

void SetReplaceNotices(std::function<void(const std::string& note)> notice) {
  const std::lock_guard<std::mutex> lock(g_notice_mutex);
  g_notice = std::move(notice);
}

bool ReplaceFileContents(const std::string& path, std::string_view bytes, std::string* error) {
  ReplaceControl control;
  {
    const std::lock_guard<std::mutex> lock(g_notice_mutex);
    control.notice = g_notice;
  }
  return ReplaceFileSafely(path, bytes, error, control);
}

}  // namespace plotxfer::platform
