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
  // The whole content of the file at path; false when it cannot be read.
  virtual bool ReadFile(const std::string& path, std::string* bytes) = 0;
  // Renames the file from to the name to, replacing a file there. Both names are in one folder.
  // False when it could not be renamed.
  virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
  // True when a and b both exist and are one file however each is spelt (relative or absolute,
  // through a link, in another letter case), as FileFacts::SameFileAs tells it. A file system
  // that cannot tell answers false.
  virtual bool SameFile(const std::string& a, const std::string& b) {
    (void)a;
    (void)b;
    return false;
  }
};

// DeleteFileA, _access, MoveFileExA and the C runtime's fopen on Windows; unlink, access, rename,
// open and write on Linux; SameFile by the facts of SystemInputFiles.
FileSystem& SystemFileSystem();

}  // namespace plotxfer::platform
