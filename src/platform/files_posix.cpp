#include "platform/files.h"

#include <unistd.h>

namespace plotxfer::platform {

namespace {

class PosixFileSystem : public FileSystem {
 public:
  bool RemoveFile(const std::string& path) override { return unlink(path.c_str()) == 0; }
  bool Exists(const std::string& path) override { return access(path.c_str(), F_OK) == 0; }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static PosixFileSystem files;
  return files;
}

}  // namespace plotxfer::platform
