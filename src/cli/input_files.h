#pragma once
// What plotxfer-batch asks the OS about the files and folders it is given.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plotxfer::cli {

struct FileFacts {
  bool folder = false;
  bool special = false;  // a device, FIFO or socket: neither a file nor a folder
  // Which file it is, whatever the spelling of its path: device and inode on Linux, volume
  // serial number and file index on Windows.
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  // Last modification, in units of the platform that are only ever compared with each other.
  std::int64_t modified = 0;
  std::uint64_t size = 0;  // in bytes

  bool SameFileAs(const FileFacts& other) const {
    return device == other.device && index == other.index;
  }
};

struct FolderEntry {
  std::string name;
  bool folder = false;
};

class InputFiles {
 public:
  virtual ~InputFiles() = default;
  // What exists at path, links followed; nothing when nothing does or it cannot be asked.
  virtual std::optional<FileFacts> Facts(const std::string& path) = 0;
  // The names in a folder without "." and ".."; false when the folder cannot be read.
  virtual bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) = 0;
  // path taken from the current folder; an absolute path as it is.
  virtual std::string Absolute(const std::string& path) = 0;
  // True where '*' and '?' in arguments are the program's to expand (Windows); elsewhere the
  // shell has expanded them and a '*' left over is part of a name.
  virtual bool ExpandsWildcards() const = 0;
};

// The files of this system, in its narrow encoding (the ANSI code page on Windows).
InputFiles& SystemInputFiles();

}  // namespace plotxfer::cli
