#include <windows.h>

#include <gtest/gtest.h>

#include "vxsetup_library.h"

namespace vxsetup_test {

namespace {

constexpr const char* kKey = ".DEFAULT\\Software\\Morva\\Vellumix";

// FARPROC stands for any function; going through the generic function type says so to the compiler.
template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

Library Load() {
  Library lib;
  // The DLL sits beside this program; load exactly that file, not one found on the search path.
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dll(path, n);
  dll.erase(dll.find_last_of('\\') + 1);
  dll += "VxSetup.dll";
  HMODULE module = LoadLibraryA(dll.c_str());
  if (module == nullptr) {
    lib.error = "LoadLibraryA(" + dll + ") failed: " + std::to_string(GetLastError());
    return lib;
  }
  lib.get_default_install_path = Export<VxGetDefaultInstallPathFn>(module, "GetDefaultInstallPath");
  lib.get_end_token = Export<VxGetEndTokenFn>(module, "GetEndToken");
  if (lib.get_default_install_path == nullptr || lib.get_end_token == nullptr) {
    lib.error = "an export is missing from " + dll;
  }
  return lib;
}

void SetValue(DWORD type, const std::string& bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_USERS, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const LONG rc =
      RegSetValueExA(key, "ExePath", 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
  ASSERT_EQ(rc, ERROR_SUCCESS);
}

}  // namespace

const Library& LoadedLibrary() {
  static const Library lib = Load();
  return lib;
}

unsigned LibraryCodePage() {
  return GetACP();
}

void StoreExePathText(const std::string& text) {
  SetValue(REG_SZ, std::string(text.c_str(), text.size() + 1));
}

void StoreExePathBytes(const std::string& bytes) {
  SetValue(REG_BINARY, bytes);
}

void RemoveExePath() {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_USERS, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegDeleteValueA(key, "ExePath");
  RegCloseKey(key);
}

void RemoveVellumixKey() {
  RegDeleteKeyA(HKEY_USERS, kKey);
}

}  // namespace vxsetup_test
