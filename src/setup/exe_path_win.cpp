#include "setup/exe_path.h"

#include <windows.h>

namespace plotxfer::setup {

bool ReadExePath(char* buffer, std::size_t capacity, std::size_t* size) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_USERS, ".DEFAULT\\Software\\Morva\\Vellumix", 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  DWORD length = static_cast<DWORD>(capacity);
  const LONG status =
      RegQueryValueExA(key, "ExePath", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &length);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || length > capacity) {
    return false;
  }
  *size = length;
  return true;
}

}  // namespace plotxfer::setup
