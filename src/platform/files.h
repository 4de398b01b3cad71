#pragma once
// The file operations a conversion needs besides the tools themselves.
#include <string>

namespace plotxfer::platform {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Deletes the file at path; false when it could not be deleted (a missing file included).
  virtual bool RemoveFile(const std::string& path) = 0;
  // True when something exists at path (the C runtime's access with mode 0).
  virtual bool Exists(const std::string& path) = 0;
  // Creates the file at path, or truncates an existing one, and writes bytes exactly (binary,
  // no line-end translation). False when it cannot be opened, a write fails or it cannot be
  // closed; what was written of it then stays.
  virtual bool WriteFile(const std::string& path, const std::string& bytes) = 0;
};

// DeleteFileA, _access and the C runtime's fopen on Windows; unlink, access, open and write on
// Linux.
FileSystem& SystemFileSystem();

}  // namespace plotxfer::platform
