#include <dlfcn.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "vxsetup_library.h"

namespace vxsetup_test {

namespace {

constexpr const char* kKeyLine = "[HKEY_USERS\\.DEFAULT\\Software\\Morva\\Vellumix]\n";

Library Load() {
  Library lib;
  void* handle = dlopen(VXSETUP_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    lib.error = std::string("dlopen failed: ") + dlerror();
    return lib;
  }
  lib.get_default_install_path =
      reinterpret_cast<VxGetDefaultInstallPathFn>(dlsym(handle, "GetDefaultInstallPath"));
  lib.get_end_token = reinterpret_cast<VxGetEndTokenFn>(dlsym(handle, "GetEndToken"));
  if (lib.get_default_install_path == nullptr || lib.get_end_token == nullptr) {
    lib.error = "an export is missing from " VXSETUP_LIBRARY_PATH;
  }
  return lib;
}

// One file per test process (CTest runs test cases side by side), removed when the process ends.
struct RegistryFile {
  RegistryFile()
      : path((std::filesystem::temp_directory_path() /
              ("vxsetup-test-" + std::to_string(getpid()) + ".reg"))
                 .string()) {
    setenv("VXSETUP_REGISTRY_FILE", path.c_str(), 1);
  }
  ~RegistryFile() { std::remove(path.c_str()); }
  std::string path;
};

RegistryFile& File() {
  static RegistryFile file;
  return file;
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') {
      out.push_back('\\');
    }
    out.push_back(c);
  }
  return out;
}

std::string HexList(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    if (!out.empty()) {
      out.push_back(',');
    }
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 15]);
  }
  return out;
}

}  // namespace

const Library& LoadedLibrary() {
  static const Library lib = Load();
  return lib;
}

unsigned LibraryCodePage() {
  return 65001;
}

std::string RegistryFilePath() {
  return File().path;
}

void WriteRegistryFile(const std::string& content) {
  std::ofstream out(File().path, std::ios::binary | std::ios::trunc);
  out << content;
  ASSERT_TRUE(out.good()) << File().path;
}

void StoreExePathText(const std::string& text) {
  WriteRegistryFile(std::string("REGEDIT4\n\n") + kKeyLine + "\"ExePath\"=\"" + Escaped(text) +
                    "\"\n");
}

void StoreExePathBytes(const std::string& bytes) {
  WriteRegistryFile(std::string("REGEDIT4\n\n") + kKeyLine + "\"ExePath\"=hex:" + HexList(bytes) +
                    "\n");
}

void RemoveExePath() {
  WriteRegistryFile(std::string("REGEDIT4\n\n") + kKeyLine + "\"Version\"=dword:00000009\n");
}

void RemoveVellumixKey() {
  WriteRegistryFile(
      "REGEDIT4\n\n[HKEY_USERS\\.DEFAULT\\Software\\Morva]\n\"ExePath\"=\"C:\\\\a\\\\b\"\n");
}

}  // namespace vxsetup_test
