#include "platform/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace plotxfer::platform {

namespace {

bool Fail(std::string* error, const std::string& what) {
  if (error != nullptr) {
    *error = what + ": " + std::strerror(errno);
  }
  return false;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes, std::string* error) {
  std::string tmpl = path + ".XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    return Fail(error, "cannot create a temporary file beside " + path);
  }
  const std::string tmp(name.data());
  // Keep the permissions of the file being replaced; a new file gets the usual 0666 & ~umask.
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) {
    fchmod(fd, st.st_mode & 07777);
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      const int saved = errno;
      close(fd);
      unlink(tmp.c_str());
      errno = saved;
      return Fail(error, "cannot write " + tmp);
    }
    done += static_cast<std::size_t>(n);
  }
  if (fsync(fd) != 0 || close(fd) != 0) {
    const int saved = errno;
    unlink(tmp.c_str());
    errno = saved;
    return Fail(error, "cannot flush " + tmp);
  }
  if (rename(tmp.c_str(), path.c_str()) != 0) {
    const int saved = errno;
    unlink(tmp.c_str());
    errno = saved;
    return Fail(error, "cannot rename " + tmp + " to " + path);
  }
  // Make the rename itself durable; a failure here leaves a correct file behind.
  const int dir = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

}  // namespace plotxfer::platform
