#include "core/text/path.h"

namespace plotxfer::text {

namespace {

bool IsSeparator(char c, PathStyle style) {
  if (style == PathStyle::Windows) {
    return c == '\\' || c == '/';
  }
  return c == '/';
}

}  // namespace

std::size_t FileNameStart(std::string_view path, PathStyle style, CodePage cp) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); i = NextChar(path, i, cp)) {
    const char c = path[i];
    if (IsSeparator(c, style) || (style == PathStyle::Windows && c == ':')) {
      start = i + 1;
    }
  }
  return start;
}

bool EndsWithSeparator(std::string_view path, PathStyle style, CodePage cp) {
  const std::size_t last = LastCharStart(path, cp);
  return last != npos && last + 1 == path.size() && IsSeparator(path[last], style);
}

std::string FolderOfPath(std::string_view path, PathStyle style, CodePage cp) {
  const std::string_view folder = path.substr(0, FileNameStart(path, style, cp));
  if (folder.empty() || EndsWithSeparator(folder, style, cp) ||
      (style == PathStyle::Windows && folder.back() == ':')) {
    return std::string(folder);
  }
  return std::string(folder) + PathSeparator(style);
}

std::string ParentFolder(std::string_view path, PathStyle style, CodePage cp) {
  std::string folder(path.substr(0, FileNameStart(path, style, cp)));
  if (folder.empty()) {
    return ".";
  }
  const bool root = folder.size() == 1 || folder[folder.size() - 2] == ':';
  if (!root && IsSeparator(folder.back(), style)) {
    folder.pop_back();
  }
  return folder;
}

std::string_view FileNameOf(std::string_view path, PathStyle style, CodePage cp) {
  return path.substr(FileNameStart(path, style, cp));
}

std::string_view NameWithoutExtension(std::string_view path, PathStyle style, CodePage cp) {
  const std::string_view name = FileNameOf(path, style, cp);
  const std::size_t dot = FindLastChar(name, '.', cp);
  return dot == npos ? name : name.substr(0, dot);
}

std::string_view PathWithoutExtension(std::string_view path, PathStyle style, CodePage cp) {
  const std::size_t start = FileNameStart(path, style, cp);
  const std::size_t dot = FindLastChar(path.substr(start), '.', cp);
  return dot == npos ? path : path.substr(0, start + dot);
}

bool SamePathText(std::string_view a, std::string_view b, PathStyle style, CodePage cp) {
  if (style == PathStyle::Posix) {
    return a == b;
  }
  const auto fold = [](char c) {
    if (c == '/') {
      return '\\';
    }
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  };
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const std::size_t na = CharLength(a, i, cp);
    const std::size_t nb = CharLength(b, j, cp);
    if (na != nb) {
      return false;
    }
    if (na == 1) {
      if (fold(a[i]) != fold(b[j])) {
        return false;
      }
    } else if (a.substr(i, na) != b.substr(j, nb)) {
      return false;  // a trail byte is never folded: it is no letter
    }
    i += na;
    j += nb;
  }
  return i == a.size() && j == b.size();
}

std::string WithTrailingSeparator(std::string_view folder, PathStyle style, CodePage cp) {
  std::string out(folder);
  if (!out.empty() && !EndsWithSeparator(out, style, cp)) {
    out += PathSeparator(style);
  }
  return out;
}

}  // namespace plotxfer::text
