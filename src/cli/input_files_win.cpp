#include <windows.h>

#include "cli/input_files.h"

namespace plotxfer::cli {

namespace {

// Every call takes ANSI paths, so names in the code page (Shift-JIS under 932) reach the system
// as they are; the C++ library's file system layer would read them as UTF-8.
class WindowsInputFiles : public InputFiles {
 public:
  std::optional<FileFacts> Facts(const std::string& path) override {
    // Asking for no access right is enough to read the file's identity, also of a file that is
    // open elsewhere; folders need backup semantics to be opened at all.
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool special = GetFileType(h) != FILE_TYPE_DISK;  // a console, device or pipe
    const BOOL ok = special || GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    if (!ok) {
      return std::nullopt;
    }
    FileFacts facts;
    facts.special = special;
    facts.folder = !special && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.device = info.dwVolumeSerialNumber;
    facts.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    facts.modified = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
        info.ftLastWriteTime.dwLowDateTime);
    return facts;
  }

  bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) override {
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/' &&
        pattern.back() != ':') {
      pattern += '\\';
    }
    pattern += '*';
    WIN32_FIND_DATAA data{};
    HANDLE h = FindFirstFileA(pattern.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) {
      return GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    do {
      const std::string name = data.cFileName;
      if (name != "." && name != "..") {
        entries->push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
      }
    } while (FindNextFileA(h, &data));
    FindClose(h);
    return true;
  }

  std::string Absolute(const std::string& path) override {
    const DWORD need = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (need == 0) {
      return path;
    }
    std::string full(need, '\0');
    const DWORD n = GetFullPathNameA(path.c_str(), need, full.data(), nullptr);
    if (n == 0 || n >= need) {
      return path;
    }
    full.resize(n);
    return full;
  }

  bool ExpandsWildcards() const override { return true; }
};

}  // namespace

InputFiles& SystemInputFiles() {
  static WindowsInputFiles files;
  return files;
}

}  // namespace plotxfer::cli
