#pragma once
// VxSetup as the installer meets it: a library loaded at run time whose functions are found by
// their exported names. Tests never link it.
#include <string>

#include "setup/vxsetup.h"

namespace vxsetup_test {

struct Library {
  VxGetDefaultInstallPathFn get_default_install_path = nullptr;
  VxGetEndTokenFn get_end_token = nullptr;
  std::string error;  // empty when both functions were found
};

// Loaded once per process and kept until it ends.
const Library& LoadedLibrary();

// The code page the library reads texts in: the ANSI code page on Windows, UTF-8 elsewhere.
unsigned LibraryCodePage();

// The registry value ExePath of HKEY_USERS\.DEFAULT\Software\Morva\Vellumix, as the drafting
// system's installer leaves it (or its file twin off Windows).
void StoreExePathText(const std::string& text);    // a string value (stored with its zero)
void StoreExePathBytes(const std::string& bytes);  // a binary value (exactly these bytes)
void RemoveExePath();                              // the key stays, the value goes
void RemoveVellumixKey();

}  // namespace vxsetup_test

#ifndef _WIN32
namespace vxsetup_test {
// The whole registry file the library reads in place of the registry (named to it through
// VXSETUP_REGISTRY_FILE), and its path.
void WriteRegistryFile(const std::string& content);
std::string RegistryFilePath();
}  // namespace vxsetup_test
#endif
