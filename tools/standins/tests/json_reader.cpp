#include "json_reader.h"

#include "test_support.h"

namespace standin_test {
namespace {

class Reader {
 public:
  explicit Reader(const std::string& text) : s_(text) {}

  void Blank() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n'))
      ++i_;
  }
  bool Eat(char c) {
    Blank();
    if (i_ < s_.size() && s_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }
  std::optional<std::string> String() {
    if (!Eat('"')) return std::nullopt;
    std::string out;
    while (i_ < s_.size()) {
      unsigned char c = static_cast<unsigned char>(s_[i_++]);
      if (c == '"') return out;
      if (c < 0x20) return std::nullopt;  // raw control characters are not JSON
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      if (i_ >= s_.size()) return std::nullopt;
      char e = s_[i_++];
      switch (e) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          if (i_ + 4 > s_.size()) return std::nullopt;
          unsigned v = std::stoul(s_.substr(i_, 4), nullptr, 16);
          i_ += 4;
          if (v < 0x80) {
            out += static_cast<char>(v);
          } else if (v < 0x800) {
            out += static_cast<char>(0xC0 | (v >> 6));
            out += static_cast<char>(0x80 | (v & 0x3F));
          } else {
            out += static_cast<char>(0xE0 | (v >> 12));
            out += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (v & 0x3F));
          }
          break;
        }
        default:
          return std::nullopt;
      }
    }
    return std::nullopt;
  }
  bool AtEnd() {
    Blank();
    return i_ == s_.size();
  }

 private:
  const std::string& s_;
  std::size_t i_ = 0;
};

}  // namespace

std::optional<LogEntry> ParseLogLine(const std::string& line) {
  Reader r(line);
  LogEntry entry;
  bool tool = false, argv = false, command = false;
  if (!r.Eat('{')) return std::nullopt;
  do {
    auto key = r.String();
    if (!key || !r.Eat(':')) return std::nullopt;
    if (*key == "tool" && !tool) {
      auto v = r.String();
      if (!v) return std::nullopt;
      entry.tool = *v;
      tool = true;
    } else if (*key == "commandLine" && !command) {
      auto v = r.String();
      if (!v) return std::nullopt;
      entry.command_line = *v;
      command = true;
    } else if (*key == "argv" && !argv) {
      if (!r.Eat('[')) return std::nullopt;
      if (!r.Eat(']')) {
        do {
          auto v = r.String();
          if (!v) return std::nullopt;
          entry.argv.push_back(*v);
        } while (r.Eat(','));
        if (!r.Eat(']')) return std::nullopt;
      }
      argv = true;
    } else {
      return std::nullopt;
    }
  } while (r.Eat(','));
  if (!r.Eat('}') || !r.AtEnd() || !tool || !argv || !command) return std::nullopt;
  return entry;
}

std::vector<LogEntry> ReadLog(const std::string& path) {
  std::vector<LogEntry> entries;
  auto bytes = ReadFile(path);
  if (!bytes) return entries;
  std::size_t start = 0;
  while (start < bytes->size()) {
    std::size_t end = bytes->find('\n', start);
    if (end == std::string::npos) end = bytes->size();
    auto entry = ParseLogLine(bytes->substr(start, end - start));
    // A line that does not parse shows up as an entry with a marker tool name.
    entries.push_back(entry ? *entry
                            : LogEntry{"<unreadable>", {}, bytes->substr(start, end - start)});
    start = end + 1;
  }
  return entries;
}

}  // namespace standin_test
