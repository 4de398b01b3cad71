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
};

// DeleteFileA and _access on Windows, unlink and access on Linux.
FileSystem& SystemFileSystem();

}  // namespace plotxfer::platform
