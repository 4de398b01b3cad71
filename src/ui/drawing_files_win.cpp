#include <windows.h>

#include "platform/files.h"
#include "ui/drawing_list.h"
#include "ui/win32_dialog_view_win.h"
#include "wingui/strings.h"

namespace plotxfer::ui {
namespace {

class SystemFiles : public DrawingFiles {
 public:
  bool IsFolderOrUnknown(const std::string& path) const override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
  bool Exists(const std::string& path) const override {
    return platform::SystemFileSystem().Exists(path);
  }
  HeaderResult CheckHeader(const std::string& path) const override {
    return CheckDrawingHeader(path);
  }
  bool IsNewerDrawing(const std::string& path) const override {
    return plotxfer::IsNewerDrawing(path);
  }
  std::optional<std::vector<ShellName>> FilesInFolder(const std::string& path) const override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      return std::nullopt;
    }
    // The names come as UTF-16 and are narrowed exactly: the ANSI search would hand back
    // look-alikes of the names the code page lacks.
    std::wstring pattern = wingui::AnsiToWide(path);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') {
      pattern += L'\\';
    }
    pattern += L'*';
    std::vector<ShellName> names;
    WIN32_FIND_DATAW data{};
    HANDLE h = FindFirstFileW(pattern.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_NOT_FOUND) {
        return names;
      }
      return std::nullopt;
    }
    do {
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        names.push_back(ShellNameFromWide(data.cFileName));
      }
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return names;
  }
};

}  // namespace

const DrawingFiles& SystemDrawingFiles() {
  static const SystemFiles files;
  return files;
}

}  // namespace plotxfer::ui
