#include "platform/program_path.h"

#include <unistd.h>

#include <vector>

namespace plotxfer::platform {

std::string ProgramFilePath() {
  std::vector<char> buf(256);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) {
      return {};
    }
    if (static_cast<std::size_t>(n) < buf.size()) {
      return std::string(buf.data(), static_cast<std::size_t>(n));
    }
    buf.resize(buf.size() * 2);
  }
}

}  // namespace plotxfer::platform
