#include "platform/registry_file_store.h"
#include "platform/system_settings.h"
#include "platform/value_store.h"

namespace plotxfer::platform {

namespace {

RegistryFileStore& SystemFile() {
  return static_cast<RegistryFileStore&>(SystemValueStore());
}

}  // namespace

std::string SystemSettingsFile() {
  return SystemFile().path();
}

void KeepBrokenSettingsFile() {
  SystemFile().KeepBrokenFile();
}

std::string SettingsFallback() {
  return SystemFile().fallback();
}

}  // namespace plotxfer::platform
