#include <windows.h>

#include "platform/files.h"
#include "ui/drawing_list.h"

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
};

}  // namespace

const DrawingFiles& SystemDrawingFiles() {
  static const SystemFiles files;
  return files;
}

}  // namespace plotxfer::ui
