#include "platform/files.h"

#include <io.h>
#include <windows.h>

namespace plotxfer::platform {

namespace {

class WindowsFileSystem : public FileSystem {
 public:
  bool RemoveFile(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }
  bool Exists(const std::string& path) override { return _access(path.c_str(), 0) == 0; }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static WindowsFileSystem files;
  return files;
}

}  // namespace plotxfer::platform
