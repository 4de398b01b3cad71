#include <windows.h>
#include <winternl.h>

#include <map>

#include "platform/input_files.h"
#include "core/text/path.h"
#include "platform/codepage.h"

namespace plotxfer::platform {

namespace {

// Every call takes ANSI paths, so names in the code page (Shift-JIS under 932) reach the system
// as they are; the C++ library's file system layer would read them as UTF-8.
class WindowsInputFiles : public InputFiles {
 public:
  std::optional<FileFacts> Facts(const std::string& path) override {
    // Asking for no access right is enough to read the file's identity, also of a file that is
    // open elsewhere; folders need backup semantics to be opened at all.
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      return std::nullopt;
    }
    // A console, device or pipe has no identity to compare.
    if (GetFileType(h) != FILE_TYPE_DISK) {
      CloseHandle(h);
      FileFacts facts;
      facts.special = true;
      return facts;
    }
    FILE_BASIC_INFO basic{};
    IO_STATUS_BLOCK io{};
    FILE_INTERNAL_INFORMATION internal{};
    std::optional<FileFacts> facts;
    if (GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic) &&
        NtQueryInformationFile(h, &io, &internal, sizeof internal, FileInternalInformation) >= 0) {
      facts.emplace();
      facts->folder = (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      facts->index = static_cast<std::uint64_t>(internal.IndexNumber.QuadPart);
      facts->modified = basic.LastWriteTime.QuadPart;
      FILE_STANDARD_INFO standard{};
      if (GetFileInformationByHandleEx(h, FileStandardInfo, &standard, sizeof standard)) {
        facts->size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
      }
      if (!DeviceOf(h, path, facts->index, &facts->device)) {
        facts.reset();
      }
    }
    CloseHandle(h);
    return facts;
  }

  bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) override {
    std::string pattern = folder;
    // Asked of the code page: a folder whose name ends in 表 (0x95 0x5C) ends in no separator.
    if (!pattern.empty() &&
        !text::EndsWithSeparator(pattern, text::PathStyle::Windows, platform::ActiveCodePage()) &&
        pattern.back() != ':') {
      pattern += '\\';
    }
    pattern += '*';
    WIN32_FIND_DATAA data{};
    HANDLE h = FindFirstFileA(pattern.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) {
      return GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    do {
      const std::string name = data.cFileName;
      if (name != "." && name != "..") {
        entries->push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
      }
    } while (FindNextFileA(h, &data));
    FindClose(h);
    return true;
  }

  std::string Absolute(const std::string& path) override {
    const DWORD need = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (need == 0) {
      return path;
    }
    std::string full(need, '\0');
    const DWORD n = GetFullPathNameA(path.c_str(), need, full.data(), nullptr);
    if (n == 0 || n >= need) {
      return path;
    }
    full.resize(n);
    return full;
  }

  bool ExpandsWildcards() const override { return true; }

 private:
  // The device of a file is its volume's serial number, but Wine answers that through its
  // mount manager in another process, a round trip that cost more than all the rest of a
  // drawing's checks. Only files of equal index can be one file, so the first file of an index
  // gets device 0 without asking, and volumes are asked only when a second file of that index
  // comes: files of one index then share a device exactly when they share a volume.
  bool DeviceOf(HANDLE h, const std::string& path, std::uint64_t index, std::uint64_t* device) {
    std::vector<Volume>& volumes = volumes_by_index_[index];
    if (volumes.empty()) {
      volumes.push_back({std::nullopt, path, false});
      *device = 0;
      return true;
    }
    Volume& first = volumes.front();
    // Asked again by the same path (an up-to-date test after the gathering): the same place.
    if (path == first.path) {
      *device = 0;
      return true;
    }
    const std::optional<DWORD> serial = SerialOf(h);
    if (!serial) {
      return false;
    }
    if (!first.asked) {
      first.serial = SerialOfFile(first.path, index);
      first.asked = true;
    }
    for (std::size_t i = 0; i < volumes.size(); ++i) {
      if (volumes[i].serial == serial) {
        *device = i;
        return true;
      }
    }
    *device = volumes.size();
    volumes.push_back({serial, std::string(), true});
    return true;
  }

  static std::optional<DWORD> SerialOf(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info)) {
      return std::nullopt;
    }
    return info.dwVolumeSerialNumber;
  }

  // The volume of the file first seen at path, if path still names it; none otherwise, which
  // makes it differ from every later file.
  static std::optional<DWORD> SerialOfFile(const std::string& path, std::uint64_t index) {
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool same =
        GetFileInformationByHandle(h, &info) &&
        ((static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow) == index;
    CloseHandle(h);
    return same ? std::optional<DWORD>(info.dwVolumeSerialNumber) : std::nullopt;
  }

  struct Volume {
    std::optional<DWORD> serial;  // none: not asked yet, or no answer
    std::string path;             // of the first file of the index
    bool asked = false;
  };
  std::map<std::uint64_t, std::vector<Volume>> volumes_by_index_;
};

}  // namespace

InputFiles& SystemInputFiles() {
  static WindowsInputFiles files;
  return files;
}

}  // namespace plotxfer::platform
