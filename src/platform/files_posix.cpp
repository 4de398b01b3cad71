#include "platform/files.h"
#include "platform/input_files.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace plotxfer::platform {

namespace {

class PosixFileSystem : public FileSystem {
 public:
  bool RemoveFile(const std::string& path) override { return unlink(path.c_str()) == 0; }
  bool Exists(const std::string& path) override { return access(path.c_str(), F_OK) == 0; }
  bool ReadFile(const std::string& path, std::string* bytes) override {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      return false;
    }
    bytes->clear();
    char buf[8192];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) != 0) {
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n < 0) {
        close(fd);
        return false;
      }
      bytes->append(buf, static_cast<std::size_t>(n));
    }
    close(fd);
    return true;
  }
  bool RenameFile(const std::string& from, const std::string& to) override {
    return rename(from.c_str(), to.c_str()) == 0;
  }
  bool WriteFile(const std::string& path, const std::string& bytes) override {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
      return false;
    }
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
      const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else {
        ok = false;
      }
    }
    return close(fd) == 0 && ok;
  }
  bool SameFile(const std::string& a, const std::string& b) override {
    return SystemInputFiles().SameFile(a, b);
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static PosixFileSystem files;
  return files;
}

}  // namespace plotxfer::platform
