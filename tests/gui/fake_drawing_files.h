#pragma once
// An in-memory file system for the drawing list: folders by path, and files with the result their
// header test gives.
#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/text/path.h"
#include "ui/drawing_list.h"

namespace plotxfer::ui::testing {

class FakeDrawingFiles : public DrawingFiles {
 public:
  using Names = std::vector<ShellName>;
  std::map<std::string, HeaderResult> files;
  std::vector<std::string> folders;
  std::vector<std::string> newer;  // refused for a version above the newest
  // Names in a folder that the code page cannot hold, by folder.
  std::map<std::string, Names> unheld;

  bool IsFolderOrUnknown(const std::string& path) const override {
    return IsFolder(path) || files.count(path) == 0;
  }
  bool Exists(const std::string& path) const override { return files.count(path) != 0; }
  HeaderResult CheckHeader(const std::string& path) const override {
    const auto it = files.find(path);
    return it == files.end() ? HeaderOpenFailed : it->second;
  }
  bool IsNewerDrawing(const std::string& path) const override {
    return std::find(newer.begin(), newer.end(), path) != newer.end();
  }
  std::optional<Names> FilesInFolder(const std::string& path) const override {
    if (!IsFolder(path)) {
      return std::nullopt;
    }
    // Against the map's order, so that the order of the rows is the dialog's own.
    Names names;
    const std::string prefix =
        text::WithTrailingSeparator(path, text::PathStyle::Windows, text::CodePage::ShiftJis);
    for (auto it = files.rbegin(); it != files.rend(); ++it) {
      const std::string& file = it->first;
      if (file.rfind(prefix, 0) == 0 && file.find('\\', prefix.size()) == std::string::npos) {
        names.emplace_back(file.substr(prefix.size()));
      }
    }
    const auto more = unheld.find(path);
    if (more != unheld.end()) {
      names.insert(names.begin(), more->second.begin(), more->second.end());
    }
    return names;
  }

 private:
  bool IsFolder(const std::string& path) const {
    return std::find(folders.begin(), folders.end(), path) != folders.end();
  }
};

}  // namespace plotxfer::ui::testing
