#pragma once
// An exclusive lock on a file, held by this process for as long as it keeps it, and let go by the
// system when the process ends in any way (a crash included), so a lock is never left stale.
#include <memory>
#include <string>

namespace plotxfer::platform {

class HeldLock {
 public:
  virtual ~HeldLock() = default;  // lets the lock go
};

enum class LockState {
  Taken,        // this process holds the lock now
  Held,         // another holder (another process, or another lock of ours) has it
  Unavailable,  // the lock file cannot be created or opened, or the system cannot lock it
};

struct LockAttempt {
  LockState state = LockState::Unavailable;
  std::unique_ptr<HeldLock> lock;  // when Taken
  std::string reason;              // when not Taken
};

class FileLocks {
 public:
  virtual ~FileLocks() = default;
  // Takes the exclusive lock of the file at path without waiting, creating the file when it is
  // missing. The file is never deleted: a holder keeps the file it locked.
  virtual LockAttempt TryLock(const std::string& path) = 0;
};

// Linux: flock on a descriptor of our own (close-on-exec, and never handed to a tool), so two
// opens conflict even within one process. Windows: LockFileEx on the first byte, with a handle
// that no tool inherits.
FileLocks& SystemFileLocks();

}  // namespace plotxfer::platform
