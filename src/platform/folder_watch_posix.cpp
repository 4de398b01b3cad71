#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "platform/folder_watch.h"

namespace plotxfer::platform {

namespace {

// What a drawing's arrival, rewrite, rename or removal gives. Plain writes (IN_MODIFY) are left
// out: a file being written is looked at again before it counts as settled anyway, and a large
// file would otherwise wake us for every block.
constexpr std::uint32_t kMask = IN_CREATE | IN_CLOSE_WRITE | IN_ATTRIB | IN_MOVED_FROM |
                                IN_MOVED_TO | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF |
                                IN_ONLYDIR;

std::string Join(const std::string& folder, const char* name) {
  return !folder.empty() && folder.back() == '/' ? folder + name : folder + '/' + name;
}

class InotifyWatch : public FolderWatch {
 public:
  InotifyWatch() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
  ~InotifyWatch() override {
    if (fd_ >= 0) {
      close(fd_);
    }
  }

  bool Add(const std::string& folder, bool subfolders, std::string* why) override {
    if (fd_ < 0) {
      *why = std::string("inotify is not available: ") + std::strerror(errno);
      return false;
    }
    const int wd = inotify_add_watch(fd_, folder.c_str(), kMask);
    if (wd < 0) {
      *why = std::strerror(errno);
      return false;
    }
    watches_[wd] = {folder, folder, subfolders};
    if (subfolders) {
      AddBelow(folder, folder);
    }
    return true;
  }

  void Remove(const std::string& folder) override {
    for (auto it = watches_.begin(); it != watches_.end();) {
      if (it->second.root == folder) {
        inotify_rm_watch(fd_, it->first);
        it = watches_.erase(it);
      } else {
        ++it;
      }
    }
  }

  FolderEvents Wait(std::chrono::milliseconds timeout) override {
    FolderEvents events;
    pollfd p{fd_, POLLIN, 0};
    const int ms = static_cast<int>(std::min<long long>(timeout.count(), 1 << 30));
    if (fd_ < 0 || poll(&p, 1, ms < 0 ? 0 : ms) <= 0) {
      return events;
    }
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
      const ssize_t n = read(fd_, buffer, sizeof buffer);
      if (n <= 0) {
        break;
      }
      for (ssize_t at = 0; at < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
        at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        Take(*e, events);
      }
    }
    return events;
  }

 private:
  struct Watched {
    std::string path;
    std::string root;  // the folder given to Add
    bool subfolders = false;
  };

  void AddBelow(const std::string& folder, const std::string& root) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
      return;
    }
    while (const dirent* e = readdir(dir)) {
      if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) {
        continue;
      }
      const std::string path = Join(folder, e->d_name);
      struct stat st {};
      // Links to folders are not followed: one above would never end.
      if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        continue;
      }
      const int wd = inotify_add_watch(fd_, path.c_str(), kMask);
      if (wd >= 0 && watches_.count(wd) == 0) {
        watches_[wd] = {path, root, true};
        AddBelow(path, root);
      }
    }
    closedir(dir);
  }

  void Take(const inotify_event& e, FolderEvents& events) {
    if ((e.mask & IN_Q_OVERFLOW) != 0) {
      events.overflow = true;
      return;
    }
    const auto it = watches_.find(e.wd);
    if (it == watches_.end()) {
      return;
    }
    const Watched w = it->second;
    const bool root = w.path == w.root;
    if ((e.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT)) != 0) {
      if (root) {
        Remove(w.root);
        events.lost.push_back(w.root);
      } else if ((e.mask & IN_IGNORED) != 0) {
        watches_.erase(e.wd);
      }
      return;
    }
    if (e.len == 0) {
      return;
    }
    const std::string path = Join(w.path, e.name);
    events.changed.push_back(path);
    if (w.subfolders && (e.mask & IN_ISDIR) != 0 && (e.mask & (IN_CREATE | IN_MOVED_TO)) != 0) {
      const int wd = inotify_add_watch(fd_, path.c_str(), kMask);
      if (wd >= 0) {
        watches_[wd] = {path, w.root, true};
        AddBelow(path, w.root);
      }
    }
  }

  int fd_;
  std::map<int, Watched> watches_;
};

}  // namespace

std::unique_ptr<FolderWatch> MakeFolderWatch() {
  return std::make_unique<InotifyWatch>();
}

bool HeldByWriter(const std::string&) {
  return false;
}

}  // namespace plotxfer::platform
