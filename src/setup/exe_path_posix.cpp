#include "setup/exe_path.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "core/settings/regedit_file.h"

namespace plotxfer::setup {

namespace {

constexpr std::string_view kKey = "HKEY_USERS\\.DEFAULT\\Software\\Morva\\Vellumix";
constexpr std::string_view kFileInConfigDir = "/MORVA/Vellumix.reg";
// A registry file is a few kilobytes; anything far larger is not one, and is not read whole.
constexpr std::streamoff kMaxFileBytes = 16 * 1024 * 1024;

bool ReadWholeFile(const std::string& path, std::string* content) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    return false;
  }
  const std::streamoff size = in.tellg();
  if (size < 0 || size > kMaxFileBytes) {
    return false;
  }
  in.seekg(0);
  content->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// The override wins outright (a test or an installer names its own file); otherwise the first
// system configuration folder that holds the file, as XDG_CONFIG_DIRS orders them.
bool ReadRegistryFile(std::string* content) {
  const char* chosen = std::getenv("VXSETUP_REGISTRY_FILE");
  if (chosen != nullptr && *chosen != '\0') {
    return ReadWholeFile(chosen, content);
  }
  const char* dirs = std::getenv("XDG_CONFIG_DIRS");
  std::string_view list = (dirs != nullptr && *dirs != '\0') ? dirs : "/etc/xdg";
  while (!list.empty()) {
    const std::size_t colon = list.find(':');
    const std::string_view dir = list.substr(0, colon);
    list.remove_prefix(colon == std::string_view::npos ? list.size() : colon + 1);
    if (dir.empty() || dir[0] != '/') {
      continue;  // relative entries are not configuration folders
    }
    if (ReadWholeFile(std::string(dir) + std::string(kFileInConfigDir), content)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool ReadExePath(char* buffer, std::size_t capacity, std::size_t* size) {
  // Nothing may escape to the installer that called in; a failure to allocate is a failed read.
  try {
    std::string file;
    if (!ReadRegistryFile(&file)) {
      return false;
    }
    // The same reader as the converter's own settings file: a file the one refuses, the other
    // refuses too.
    const std::optional<RegeditFile> parsed = RegeditFile::Parse(file);
    const RegeditValue* value = parsed ? parsed->Find(kKey, "ExePath") : nullptr;
    if (value == nullptr || value->data.size() > capacity) {
      return false;
    }
    std::memcpy(buffer, value->data.data(), value->data.size());
    *size = value->data.size();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace plotxfer::setup
