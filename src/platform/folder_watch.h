#pragma once
// Word from the system that something changed in a folder: inotify on Linux, ReadDirectoryChangesW
// on Windows. The word is only ever a hint: events are lost on network shares and when their
// queue overflows, so whoever watches also looks at the folders in full from time to time.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace plotxfer::platform {

struct FolderEvents {
  // Paths (the watched folder joined with the name the system gave) of files and folders that
  // were created, written, closed after writing, renamed or deleted. A path may come more than
  // once.
  std::vector<std::string> changed;
  // Watched folders that went away or can no longer be read (deleted, renamed, a share that
  // disconnected). They are no longer watched; Add them again once they are back.
  std::vector<std::string> lost;
  // Events were dropped (a queue overflowed): every watched folder must be looked at in full.
  bool overflow = false;
};

class FolderWatch {
 public:
  virtual ~FolderWatch() = default;
  // Starts watching folder, with subfolders all its subfolders (those made later too). False,
  // with a reason, when the folder cannot be watched.
  virtual bool Add(const std::string& folder, bool subfolders, std::string* why) = 0;
  // Stops watching folder (as given to Add).
  virtual void Remove(const std::string& folder) = 0;
  // Waits at most timeout for events and returns what came (nothing at the time limit). Uses no
  // processor time while it waits.
  virtual FolderEvents Wait(std::chrono::milliseconds timeout) = 0;
};

// The system's watch: inotify (Linux), ReadDirectoryChangesW (Windows).
std::unique_ptr<FolderWatch> MakeFolderWatch();

// True when another program has the file open for writing, so a reader would meet a file still
// being written: on Windows, opening it for reading without sharing writes fails with a sharing
// violation. Linux has no such rule, and this is always false there.
bool HeldByWriter(const std::string& path);

}  // namespace plotxfer::platform
