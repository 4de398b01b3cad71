#pragma once
// What the OS tells of the files and folders plotxfer-batch is given, and whether two paths name
// one file.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plotxfer::platform {

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

  // A device or pipe on Windows has no identity (index 0): it is one file with nothing.
  bool SameFileAs(const FileFacts& other) const {
    return index != 0 && device == other.device && index == other.index;
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

  // True when a and b both exist and are one file, however each is spelt.
  bool SameFile(const std::string& a, const std::string& b) {
    const std::optional<FileFacts> fa = Facts(a);
    const std::optional<FileFacts> fb = fa ? Facts(b) : std::nullopt;
    return fb && fa->SameFileAs(*fb);
  }
};

// The files of this system, in its narrow encoding (the ANSI code page on Windows).
InputFiles& SystemInputFiles();

}  // namespace plotxfer::platform
