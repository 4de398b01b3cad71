#include "platform/system_settings.h"

namespace plotxfer::platform {

// The registry is read value by value; there is no file that could be broken as a whole.

std::string SystemSettingsFile() {
  return {};
}

void KeepBrokenSettingsFile() {
}

std::string SettingsFallback() {
  return {};
}

}  // namespace plotxfer::platform
