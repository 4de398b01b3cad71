#pragma once
// The two file operations a conversion needs besides the tools themselves.
#include <string>

namespace plotxfer::platform {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Deletes the file at path; false when it could not be deleted (a missing file included).
  virtual bool RemoveFile(const std::string& path) = 0;
  // True when something exists at path (the C runtime's access with mode 0).
  virtual bool Exists(const std::string& path) = 0;
  // True when a and b both exist and are one file however each is spelt (relative or absolute,
  // through a link, in another letter case): the same device and inode on Linux, the same volume
  // serial number and file index on Windows. A file system that cannot tell answers false.
  virtual bool SameFile(const std::string& a, const std::string& b) {
    (void)a;
    (void)b;
    return false;
  }
};

// DeleteFileA and _access on Windows, unlink and access on Linux; SameFile by file identity.
FileSystem& SystemFileSystem();

}  // namespace plotxfer::platform
