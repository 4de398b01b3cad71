#include "core/text/file_selection.h"

namespace plotxfer::text {

std::vector<std::string> SplitFileSelection(std::string_view buffer) {
  std::vector<std::string> texts;
  std::size_t pos = 0;
  while (pos < buffer.size() && buffer[pos] != '\0') {
    const std::size_t end = buffer.find('\0', pos);
    const std::size_t stop = end == std::string_view::npos ? buffer.size() : end;
    texts.emplace_back(buffer.substr(pos, stop - pos));
    pos = stop + 1;
  }
  return texts;
}

std::optional<std::string> JoinSelectedName(std::string_view folder, std::string_view name,
                                            std::size_t max_bytes) {
  if (name.empty() || folder.size() + name.size() > max_bytes) {
    return std::nullopt;
  }
  std::string path;
  path.reserve(folder.size() + name.size());
  path.append(folder).append(name);
  return path;
}

}  // namespace plotxfer::text
