#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "core/text/path.h"
#include "platform/atomic_file.h"

namespace plotxfer::platform {

namespace {

// Links followed at most, as the kernel's own limit on a path's links.
constexpr int kMaxLinks = 40;

// Writes go out a block at a time, so a failure (and a test's injected one) lands between blocks.
constexpr std::size_t kWriteChunk = 4096;

std::string FolderOf(const std::string& path) {
  return text::ParentFolder(path, text::PathStyle::Posix, text::CodePage::Utf8);
}

class Replacement {
 public:
  Replacement(std::string_view bytes, std::string* error, const ReplaceControl& control)
      : bytes_(bytes), error_(error), control_(control) {}

  bool Run(const std::string& path) {
    if (!FollowLinks(path)) {
      return false;
    }
    exists_ = stat(target_.c_str(), &old_) == 0;
    if (exists_ && !S_ISREG(old_.st_mode)) {
      errno = EISDIR;
      return Fail("cannot replace " + target_ + ", which is not a plain file");
    }
    // A second name of the file would keep the old content after a rename.
    if (exists_ && old_.st_nlink > 1) {
      return InPlace("it has other hard links");
    }
    const int fd = MakeTemporary();
    if (fd < 0) {
      const int saved = errno;
      if (exists_ && access(target_.c_str(), W_OK) == 0) {
        return InPlace("no temporary file can be made beside it");
      }
      errno = saved;
      return Fail("cannot create a temporary file beside " + target_);
    }
    if (!KeepModeAndOwner(fd)) {
      Discard(fd);
      return InPlace("its owner could not be kept");
    }
    if (!WriteAll(fd, 0, bytes_) || !Allowed(ReplaceStep::kWrite, bytes_.size())) {
      Discard(fd);
      return Fail("cannot write " + temp_);
    }
    if (fsync(fd) != 0) {
      Discard(fd);
      return Fail("cannot flush " + temp_);
    }
    if (close(fd) != 0) {
      const int saved = errno;
      unlink(temp_.c_str());
      errno = saved;
      return Fail("cannot flush " + temp_);
    }
    if (!Allowed(ReplaceStep::kCommit, bytes_.size()) ||
        rename(temp_.c_str(), target_.c_str()) != 0) {
      const int saved = errno;
      unlink(temp_.c_str());
      errno = saved;
      return Fail("cannot rename " + temp_ + " to " + target_);
    }
    // Make the rename itself durable; a failure here leaves a correct file behind.
    const int dir = open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
      fsync(dir);
      close(dir);
    }
    return true;
  }

 private:
  bool Fail(const std::string& what) {
    if (error_ != nullptr) {
      *error_ = what + ": " + std::strerror(errno != 0 ? errno : EIO);
    }
    return false;
  }

  bool Allowed(ReplaceStep step, std::size_t written) {
    if (control_.fault && !control_.fault(step, written)) {
      errno = step == ReplaceStep::kWrite ? ENOSPC : EIO;
      return false;
    }
    return true;
  }

  // The file a chain of links ends at; a link to a missing file names the file to create.
  bool FollowLinks(const std::string& path) {
    target_ = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
      struct stat st {};
      if (lstat(target_.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        return true;
      }
      std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
      const ssize_t n = readlink(target_.c_str(), buffer.data(), buffer.size());
      if (n < 0 || static_cast<std::size_t>(n) >= buffer.size()) {
        return Fail("cannot read the link " + target_);
      }
      std::string next(buffer.data(), static_cast<std::size_t>(n));
      target_ = next.front() == '/' ? next : FolderOf(target_) + "/" + next;
    }
    errno = ELOOP;
    return Fail("cannot follow the links of " + path);
  }

  // A short name, so that a target whose name is near the limit still has a temporary file.
  int MakeTemporary() {
    if (!Allowed(ReplaceStep::kCreateTemporary, 0)) {
      return -1;
    }
    std::string name = FolderOf(target_) + "/.plotxfer-XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd >= 0) {
      temp_ = name;
    }
    return fd;
  }

  void Discard(int fd) {
    const int saved = errno;
    close(fd);
    unlink(temp_.c_str());
    errno = saved;
  }

  // The new file takes the old one's mode and owner; a new file the usual 0666 less the umask.
  bool KeepModeAndOwner(int fd) {
    if (!exists_) {
      const mode_t mask = umask(0);
      umask(mask);
      fchmod(fd, 0666 & ~mask);  // mkstemp's 0600 would do too: the file is new
      return true;
    }
    if (old_.st_uid != geteuid() || old_.st_gid != getegid()) {
      if (fchown(fd, old_.st_uid, old_.st_gid) != 0) {
        return false;
      }
    }
    // After the owner: a change of owner may clear the set-id bits.
    return fchmod(fd, old_.st_mode & 07777) == 0;
  }

  bool WriteAll(int fd, std::size_t offset, std::string_view data) {
    std::size_t done = 0;
    while (done < data.size()) {
      if (!Allowed(ReplaceStep::kWrite, offset + done)) {
        return false;
      }
      const std::size_t chunk = std::min<std::size_t>(data.size() - done, kWriteChunk);
      const ssize_t n = pwrite(fd, data.data() + done, chunk, static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) {
          continue;
        }
        return false;
      }
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

  // The new bytes over the old, then the new length. The old bytes are read first, so a write
  // that fails (a full disk while the file grows) puts them back over the same blocks.
  bool InPlace(const char* why) {
    const int fd = open(target_.c_str(), O_RDWR);
    if (fd < 0) {
      return Fail("cannot rewrite " + target_ + " in place (" + why + ")");
    }
    std::string old(static_cast<std::size_t>(old_.st_size), '\0');
    std::size_t got = 0;
    while (got < old.size()) {
      const ssize_t n = pread(fd, old.data() + got, old.size() - got, static_cast<off_t>(got));
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n <= 0) {
        const int saved = errno;
        close(fd);
        errno = n == 0 ? EIO : saved;
        return Fail("cannot read " + target_ + " before rewriting it");
      }
      got += static_cast<std::size_t>(n);
    }
    if (!WriteAll(fd, 0, bytes_) || ftruncate(fd, static_cast<off_t>(bytes_.size())) != 0 ||
        fsync(fd) != 0) {
      const int saved = errno;
      const ReplaceControl none;
      Replacement restore(old, nullptr, none);
      const bool restored = restore.WriteAll(fd, 0, old) &&
                            ftruncate(fd, static_cast<off_t>(old.size())) == 0 && fsync(fd) == 0;
      close(fd);
      errno = saved;
      return Fail("cannot rewrite " + target_ + " in place" +
                  (restored ? " (its old content is back)" : " (it may be damaged)"));
    }
    close(fd);
    if (control_.notice) {
      control_.notice("rewrote " + target_ + " in place: " + why);
    }
    return true;
  }

  std::string_view bytes_;
  std::string* error_;
  const ReplaceControl& control_;
  std::string target_;
  std::string temp_;
  struct stat old_ {};
  bool exists_ = false;
};

}  // namespace

bool ReplaceFileSafely(const std::string& path, std::string_view bytes, std::string* error,
                       const ReplaceControl& control) {
  return Replacement(bytes, error, control).Run(path);
}

}  // namespace plotxfer::platform
