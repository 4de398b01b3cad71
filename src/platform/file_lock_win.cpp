#include "platform/file_lock.h"

#include <windows.h>

namespace plotxfer::platform {

namespace {

class WindowsHeldLock : public HeldLock {
 public:
  explicit WindowsHeldLock(HANDLE file) : file_(file) {}
  ~WindowsHeldLock() override {
    OVERLAPPED at{};
    UnlockFileEx(file_, 0, 1, 0, &at);
    CloseHandle(file_);
  }

 private:
  HANDLE file_;
};

class WindowsFileLocks : public FileLocks {
 public:
  LockAttempt TryLock(const std::string& path) override {
    LockAttempt attempt;
    // Shared access, so that a reader (a virus scanner, a backup) never looks like a holder;
    // the byte lock alone says who holds it. The handle is not inheritable.
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShare, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
      file = CreateFileA(path.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD err = GetLastError();
      if (err == ERROR_SHARING_VIOLATION) {
        attempt.state = LockState::Held;
        attempt.reason = path + " is in use by another program";
      } else {
        attempt.reason = "cannot open " + path + " (error " + std::to_string(err) + ")";
      }
      return attempt;
    }
    OVERLAPPED at{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
      const DWORD err = GetLastError();
      CloseHandle(file);
      const bool held = err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING;
      attempt.state = held ? LockState::Held : LockState::Unavailable;
      attempt.reason = held ? path + " is locked by another run"
                            : "cannot lock " + path + " (error " + std::to_string(err) + ")";
      return attempt;
    }
    attempt.state = LockState::Taken;
    attempt.lock = std::make_unique<WindowsHeldLock>(file);
    return attempt;
  }
};

}  // namespace

FileLocks& SystemFileLocks() {
  static WindowsFileLocks locks;
  return locks;
}

}  // namespace plotxfer::platform
