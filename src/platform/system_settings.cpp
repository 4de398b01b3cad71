#include "platform/system_settings.h"

#include "platform/codepage.h"
#include "platform/value_store.h"

namespace plotxfer::platform {

SettingsStore& SystemSettingsStore() {
  static SettingsStore store(SystemValueStore());
  return store;
}

ProgramFile SystemProgramFile(std::string path) {
#ifdef _WIN32
  constexpr char kSeparator = '\\';
#else
  constexpr char kSeparator = '/';
#endif
  return ProgramFile{std::move(path), kSeparator, ActiveCodePage()};
}

}  // namespace plotxfer::platform
