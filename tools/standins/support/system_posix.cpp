#include "support/system.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/utf.h"
#include "support/win_cmdline.h"

namespace standin {

std::string ReceivedCommandLine(int argc, char** argv) {
  return JoinWindowsCommandLine(ReceivedArguments(argc, argv));
}

std::vector<std::string> ReceivedArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool IsLeadByte(unsigned char) {
  return false;
}

bool IsPathSeparator(char c) {
  return c == '/';
}

std::optional<std::string> GetEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

bool AppendToFile(const std::string& path, const std::string& bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::size_t done = 0;
  bool ok = true;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) ok = false;
  return ok;
}

void SleepMilliseconds(std::uint32_t ms) {
  timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

void CrashNow() {
  // Leave no core file behind in the test folders.
  std::signal(SIGABRT, SIG_DFL);
  std::abort();
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MoveIntoPlace(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

void RemoveFile(const std::string& path) {
  ::unlink(path.c_str());
}

std::uint32_t ProcessId() {
  return static_cast<std::uint32_t>(::getpid());
}

std::u16string NarrowToUtf16(const std::string& text) {
  return Utf8ToUtf16(text);
}

bool SeekFile(std::FILE* file, std::uint64_t offset) {
  return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

}  // namespace standin
