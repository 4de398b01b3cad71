#include "platform/files.h"

#include <sys/stat.h>
#include <unistd.h>

namespace plotxfer::platform {

namespace {

class PosixFileSystem : public FileSystem {
 public:
  bool RemoveFile(const std::string& path) override { return unlink(path.c_str()) == 0; }
  bool Exists(const std::string& path) override { return access(path.c_str(), F_OK) == 0; }
  bool SameFile(const std::string& a, const std::string& b) override {
    struct stat sa {};
    struct stat sb {};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static PosixFileSystem files;
  return files;
}

}  // namespace plotxfer::platform
