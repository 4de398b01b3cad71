#include <windows.h>

#include <algorithm>
#include <vector>

#include "core/text/path.h"
#include "platform/codepage.h"
#include "platform/folder_watch.h"
#include "platform/shell_text.h"

namespace plotxfer::platform {

namespace {

// A drawing's arrival, rewrite, rename or removal, and folders made with -r.
constexpr DWORD kFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                          FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
// Over a network share the system takes at most 64 KiB; more than that and events are dropped.
constexpr DWORD kBufferBytes = 64 * 1024;

struct Watched {
  std::string folder;
  bool subfolders = false;
  HANDLE dir = INVALID_HANDLE_VALUE;
  HANDLE event = nullptr;
  OVERLAPPED overlapped{};
  std::vector<DWORD> buffer = std::vector<DWORD>(kBufferBytes / sizeof(DWORD));

  ~Watched() {
    if (dir != INVALID_HANDLE_VALUE) {
      // The read under way writes into buffer until it is cancelled: wait for that first.
      if (event != nullptr && CancelIo(dir)) {
        DWORD ignored = 0;
        GetOverlappedResult(dir, &overlapped, &ignored, TRUE);
      }
      CloseHandle(dir);
    }
    if (event != nullptr) {
      CloseHandle(event);
    }
  }

  bool Issue() {
    ResetEvent(event);
    overlapped = OVERLAPPED{};
    overlapped.hEvent = event;
    return ReadDirectoryChangesW(dir, buffer.data(), kBufferBytes, subfolders ? TRUE : FALSE,
                                 kFilter, nullptr, &overlapped, nullptr) != FALSE;
  }
};

std::string ErrorText(DWORD error) {
  return "system error " + std::to_string(error);
}

class DirectoryChangesWatch : public FolderWatch {
 public:
  bool Add(const std::string& folder, bool subfolders, std::string* why) override {
    auto w = std::make_unique<Watched>();
    w->folder = folder;
    w->subfolders = subfolders;
    // Sharing everything, deletion too: watching must never keep a folder from being renamed or
    // removed by its owner.
    w->dir = CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (w->dir == INVALID_HANDLE_VALUE) {
      *why = ErrorText(GetLastError());
      return false;
    }
    w->event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (w->event == nullptr || !w->Issue()) {
      *why = ErrorText(GetLastError());
      return false;
    }
    watched_.push_back(std::move(w));
    return true;
  }

  void Remove(const std::string& folder) override {
    watched_.erase(
        std::remove_if(watched_.begin(), watched_.end(),
                       [&](const std::unique_ptr<Watched>& w) { return w->folder == folder; }),
        watched_.end());
  }

  FolderEvents Wait(std::chrono::milliseconds timeout) override {
    FolderEvents events;
    const DWORD ms = static_cast<DWORD>(std::clamp<long long>(timeout.count(), 0, 0x7FFFFFFF));
    if (watched_.empty()) {
      Sleep(ms);
      return events;
    }
    std::vector<HANDLE> handles;
    for (const auto& w : watched_) {
      if (handles.size() < MAXIMUM_WAIT_OBJECTS) {
        handles.push_back(w->event);
      }
    }
    if (WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, ms) ==
        WAIT_TIMEOUT) {
      return events;
    }
    std::vector<std::string> lost;
    for (const auto& w : watched_) {
      if (WaitForSingleObject(w->event, 0) != WAIT_OBJECT_0) {
        continue;
      }
      DWORD bytes = 0;
      if (!GetOverlappedResult(w->dir, &w->overlapped, &bytes, FALSE)) {
        if (GetLastError() != ERROR_NOTIFY_ENUM_DIR) {
          lost.push_back(w->folder);
          continue;
        }
        bytes = 0;  // more came than the system kept
      }
      if (bytes == 0) {
        events.overflow = true;  // more came than the buffer held
      } else {
        Take(*w, bytes, events);
      }
      if (!w->Issue()) {
        lost.push_back(w->folder);
      }
    }
    for (const std::string& folder : lost) {
      Remove(folder);
      events.lost.push_back(folder);
    }
    return events;
  }

 private:
  static void Take(const Watched& w, DWORD bytes, FolderEvents& events) {
    const auto* base = reinterpret_cast<const BYTE*>(w.buffer.data());
    // Asked of the code page: the last byte of a name ending in 表 (0x95 0x5C) is no separator.
    const std::string prefix =
        text::WithTrailingSeparator(w.folder, text::PathStyle::Windows, ActiveCodePage());
    for (DWORD at = 0; at < bytes;) {
      const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + at);
      const std::u16string_view name(reinterpret_cast<const char16_t*>(info->FileName),
                                     info->FileNameLength / sizeof(WCHAR));
      std::string narrow;
      // A name the code page cannot hold exactly is no path of ours: no call could open it.
      if (NarrowFromUtf16(name, &narrow)) {
        events.changed.push_back(prefix + narrow);
      }
      if (info->NextEntryOffset == 0) {
        break;
      }
      at += info->NextEntryOffset;
    }
  }

  std::vector<std::unique_ptr<Watched>> watched_;
};

}  // namespace

std::unique_ptr<FolderWatch> MakeFolderWatch() {
  return std::make_unique<DirectoryChangesWatch>();
}

bool HeldByWriter(const std::string& path) {
  // Sharing reads only: the open fails while anyone has the file open for writing.
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_SHARING_VIOLATION;
  }
  CloseHandle(h);
  return false;
}

}  // namespace plotxfer::platform
