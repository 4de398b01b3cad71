#include "platform/program_path.h"

#include <windows.h>

#include <vector>

namespace plotxfer::platform {

std::string ProgramFilePath() {
  std::vector<char> buf(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) {
      return {};
    }
    // A full buffer means the name was cut short.
    if (n < buf.size()) {
      return std::string(buf.data(), n);
    }
    if (buf.size() >= 32768) {
      return {};
    }
    buf.resize(buf.size() * 2);
  }
}

}  // namespace plotxfer::platform
