#include "platform/files.h"

#include <io.h>
#include <stdio.h>
#include <windows.h>

namespace plotxfer::platform {

namespace {

class WindowsFileSystem : public FileSystem {
 public:
  bool RemoveFile(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }
  bool Exists(const std::string& path) override { return _access(path.c_str(), 0) == 0; }
  bool WriteFile(const std::string& path, const std::string& bytes) override {
    // The C runtime's open takes the path in the ANSI code page, as every path here is.
    FILE* f = nullptr;
    if (fopen_s(&f, path.c_str(), "wb") != 0 || f == nullptr) {
      return false;
    }
    const bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return (fclose(f) == 0) && written;
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static WindowsFileSystem files;
  return files;
}

}  // namespace plotxfer::platform
