#include "platform/files.h"

#include <io.h>
#include <stdio.h>
#include <windows.h>

namespace plotxfer::platform {

namespace {

struct FileId {
  DWORD volume = 0;
  DWORD high = 0;
  DWORD low = 0;
};

// Opened for its attributes only and shared with everyone, so a file open elsewhere still answers.
bool IdOf(const std::string& path, FileId* id) {
  HANDLE h = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  *id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return ok;
}

class WindowsFileSystem : public FileSystem {
 public:
  bool RemoveFile(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }
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
    FileId ia;
    FileId ib;
    return IdOf(a, &ia) && IdOf(b, &ib) && ia.volume == ib.volume && ia.high == ib.high &&
           ia.low == ib.low;
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static WindowsFileSystem files;
  return files;
}

}  // namespace plotxfer::platform
