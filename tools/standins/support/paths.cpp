#include "support/paths.h"

#include "support/system.h"

namespace standin {
namespace {

std::size_t AfterLastSeparator(const std::string& path) {
  std::size_t after = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (IsPathSeparator(path[i])) after = i + 1;
  }
  return after;
}

}  // namespace

std::string FileNameOf(const std::string& path) {
  return path.substr(AfterLastSeparator(path));
}

std::string FolderOf(const std::string& path) {
  return path.substr(0, AfterLastSeparator(path));
}

}  // namespace standin
