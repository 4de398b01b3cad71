#include <io.h>
#include <windows.h>

#include "platform/console.h"

namespace plotxfer::platform {

bool IsTerminal(std::FILE* stream) {
  return _isatty(_fileno(stream)) != 0;
}

int TerminalColumns(std::FILE* stream) {
  const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (h != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(h, &info)) {
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    if (columns > 0) {
      return columns;
    }
  }
  return 80;
}

}  // namespace plotxfer::platform
