#include "platform/file_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace plotxfer::platform {

namespace {

class PosixHeldLock : public HeldLock {
 public:
  explicit PosixHeldLock(int fd) : fd_(fd) {}
  ~PosixHeldLock() override { close(fd_); }

 private:
  int fd_;
};

class PosixFileLocks : public FileLocks {
 public:
  LockAttempt TryLock(const std::string& path) override {
    LockAttempt attempt;
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EACCES) {
      // flock needs no write access: a lock file another user made read-only still serves.
      fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
      attempt.reason = "cannot open " + path + ": " + std::strerror(errno);
      return attempt;
    }
    int rc;
    while ((rc = flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (rc != 0) {
      const int err = errno;
      close(fd);
      attempt.state = err == EWOULDBLOCK ? LockState::Held : LockState::Unavailable;
      attempt.reason = err == EWOULDBLOCK ? path + " is locked by another run"
                                          : "cannot lock " + path + ": " + std::strerror(err);
      return attempt;
    }
    attempt.state = LockState::Taken;
    attempt.lock = std::make_unique<PosixHeldLock>(fd);
    return attempt;
  }
};

}  // namespace

FileLocks& SystemFileLocks() {
  static PosixFileLocks locks;
  return locks;
}

}  // namespace plotxfer::platform
