#include "app/startup_settings_win.h"

#include <windows.h>

#include <vector>

#include "core/text/codepage.h"
#include "platform/codepage.h"

namespace plotxfer::app {

std::string ProgramPath() {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      return {};
    }
    if (n < buffer.size()) {
      return std::string(buffer.data(), n);
    }
    buffer.resize(buffer.size() * 2);
  }
}

void LoadStartupSettings(ConversionOptions& options, int& char_vector_font) {
  // SEAM(settings): the settings store's LoadSettings takes over here once it is on main; until
  // then the record keeps its defaults and only AppFolder is derived.
  (void)char_vector_font;
  std::string path = ProgramPath();
  const std::size_t slash = text::FindLastBackslash(path, platform::ActiveCodePage());
  options.AppFolder = slash == text::npos ? std::string(".\\") : path.substr(0, slash + 1);
}

}  // namespace plotxfer::app
