#include "core/text/file_selection.h"

namespace plotxfer::text {

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
