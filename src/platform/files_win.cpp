#include "platform/files.h"
#include "platform/input_files.h"

#include <io.h>
#include <stdio.h>
#include <windows.h>

namespace plotxfer::platform {

namespace {

class WindowsFileSystem : public FileSystem {
 public:
  // A file a tool has just closed can be held a moment longer by a virus scanner or the search
  // indexer, and Wine may report a tool's end before its handles are closed: a deletion refused
  // for sharing is tried again for about a second before it counts as failed.
  bool RemoveFile(const std::string& path) override {
    for (int attempt = 0;; ++attempt) {
      if (DeleteFileA(path.c_str()) != 0) {
        return true;
      }
      const DWORD error = GetLastError();
      const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                        (error == ERROR_ACCESS_DENIED &&  // also a deletion still pending
                         (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) == 0);
      if (!held || attempt == 20) {
        return false;
      }
      Sleep(50);
    }
  }
  bool Exists(const std::string& path) override { return _access(path.c_str(), 0) == 0; }
  bool ReadFile(const std::string& path, std::string* bytes) override {
    FILE* f = nullptr;
    if (fopen_s(&f, path.c_str(), "rb") != 0 || f == nullptr) {
      return false;
    }
    bytes->clear();
    char buf[8192];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) {
      bytes->append(buf, n);
    }
    const bool ok = ferror(f) == 0;
    fclose(f);
    return ok;
  }
  bool RenameFile(const std::string& from, const std::string& to) override {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  }
  bool WriteFile(const std::string& path, const std::string& bytes) override {
    // The C runtime's open takes the path in the ANSI code page, as every path here is.
    FILE* f = nullptr;
    if (fopen_s(&f, path.c_str(), "wb") != 0 || f == nullptr) {
      return false;
    }
    const bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return (fclose(f) == 0) && written;
  }
  bool SameFile(const std::string& a, const std::string& b) override {
    return SystemInputFiles().SameFile(a, b);
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static WindowsFileSystem files;
  return files;
}

}  // namespace plotxfer::platform
