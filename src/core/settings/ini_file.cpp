#include "core/settings/ini_file.h"

#include <vector>

#include "core/text/ascii.h"

namespace plotxfer {

namespace {

bool IsProfileBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsProfileBlank(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && IsProfileBlank(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

std::string_view UpToZero(std::string_view s) {
  const std::size_t zero = s.find('\0');
  return zero == std::string_view::npos ? s : s.substr(0, zero);
}

// Equal but for ASCII case; a double-byte character compares byte for byte, so a trail byte
// that happens to be a letter is never folded.
bool SameName(std::string_view a, std::string_view b, text::CodePage cp) {
  if (a.size() != b.size()) {
    return false;
  }
  std::size_t i = 0;
  while (i < a.size()) {
    const std::size_t len_a = text::CharLength(a, i, cp);
    if (len_a != text::CharLength(b, i, cp)) {
      return false;
    }
    if (len_a == 1) {
      if (text::LowerAscii(a[i]) != text::LowerAscii(b[i])) {
        return false;
      }
    } else if (a.substr(i, len_a) != b.substr(i, len_a)) {
      return false;
    }
    i += len_a;
  }
  return true;
}

// Finds the wanted value while reading the file once, line by line.
class Lookup {
 public:
  Lookup(std::string_view section, std::string_view key, text::CodePage cp)
      : section_(Trim(section)), key_(Trim(key)), cp_(cp) {}

  // True when the key was found; *value is then its value, or null for a key without '='.
  bool Run(std::string_view bytes, std::string_view* value, bool* has_value) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
      bytes.remove_prefix(3);
    }
    // Keys before the first section line belong to the unnamed section.
    in_wanted_ = section_.empty();
    std::size_t pos = 0;
    while (pos < bytes.size()) {
      const std::size_t end = bytes.find_first_of("\r\n", pos);
      const std::size_t stop = end == std::string_view::npos ? bytes.size() : end;
      const std::string_view line = Trim(bytes.substr(pos, stop - pos));
      pos = stop;
      while (pos < bytes.size() && (bytes[pos] == '\r' || bytes[pos] == '\n')) {
        ++pos;
      }
      if (line.empty()) {
        continue;
      }
      if (line.front() == '[') {
        const std::size_t close = text::FindLastChar(line, ']', cp_);
        if (close == text::npos || close == 0) {
          continue;  // not a section and not a key
        }
        if (wanted_seen_) {
          return false;  // only the first section of the wanted name is searched
        }
        const std::string_view name = UpToZero(Trim(line.substr(1, close - 1)));
        in_wanted_ = SameName(name, section_, cp_);
        // The unnamed section before the first section line is the first of its name.
        if (section_.empty()) {
          wanted_seen_ = true;
          in_wanted_ = false;
        }
        if (in_wanted_) {
          wanted_seen_ = true;
        }
        continue;
      }
      if (!in_wanted_) {
        continue;
      }
      const std::size_t equals = line.find('=');
      const std::string_view name =
          UpToZero(Trim(equals == std::string_view::npos ? line : line.substr(0, equals)));
      if (!SameName(name, key_, cp_)) {
        continue;
      }
      *has_value = equals != std::string_view::npos;
      if (*has_value) {
        *value = UpToZero(Trim(line.substr(equals + 1)));
      }
      return true;
    }
    return false;
  }

 private:
  std::string_view section_;
  std::string_view key_;
  text::CodePage cp_;
  bool in_wanted_ = false;
  bool wanted_seen_ = false;
};

}  // namespace

std::string ProfileString(std::string_view file_bytes, std::string_view section,
                          std::string_view key, std::size_t buffer_size, text::CodePage cp) {
  std::string_view value;
  bool has_value = false;
  if (buffer_size == 0 || !Lookup(section, key, cp).Run(file_bytes, &value, &has_value) ||
      !has_value) {
    return {};
  }
  const std::size_t room = buffer_size - 1;

  // The platform reader copies characters first, then converts them to bytes.
  std::vector<std::string_view> chars;
  for (std::size_t i = 0; i < value.size(); i = text::NextChar(value, i, cp)) {
    chars.push_back(value.substr(i, text::CharLength(value, i, cp)));
  }
  std::size_t first = 0;
  bool quoted = false;
  if (chars.size() >= 2 && (chars.front() == "\"" || chars.front() == "'") &&
      chars.back() == chars.front()) {
    quoted = true;
    first = 1;
  }
  const std::size_t rest = chars.size() - first;  // the closing quote included
  std::size_t count = rest < room ? rest : room;
  if (quoted && buffer_size >= rest && count > 0) {
    --count;
  }
  std::string out;
  for (std::size_t k = first; k < first + count; ++k) {
    if (out.size() + chars[k].size() > room) {
      break;
    }
    out += chars[k];
  }
  return out;
}

}  // namespace plotxfer
