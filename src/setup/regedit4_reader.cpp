#include "setup/regedit4_reader.h"

#include <cstdint>
#include <utility>

namespace plotxfer::setup {

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && IsBlank(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) {
      return false;
    }
  }
  return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  c = LowerAscii(c);
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

// 1 to max_digits hex digits, nothing else.
bool ParseHexNumber(std::string_view s, std::size_t max_digits, std::uint32_t* value) {
  if (s.empty() || s.size() > max_digits) {
    return false;
  }
  std::uint32_t v = 0;
  for (char c : s) {
    const int d = HexDigit(c);
    if (d < 0) {
      return false;
    }
    v = (v << 4) | static_cast<std::uint32_t>(d);
  }
  *value = v;
  return true;
}

// A double-quoted text at the start of s, with \\ and \" unescaped. A backslash before any other
// character stays as written, so a hand-typed Windows path still reads as meant.
// Returns the number of bytes taken, or npos when the closing quote is missing.
std::size_t ParseQuoted(std::string_view s, std::string* out) {
  if (s.empty() || s[0] != '"') {
    return npos;
  }
  out->clear();
  std::size_t i = 1;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
      out->push_back(s[i + 1]);
      i += 2;
    } else if (c == '"') {
      return i + 1;
    } else {
      out->push_back(c);
      ++i;
    }
  }
  return npos;
}

// Comma-separated bytes as regedit writes them: "01,5c,ff"; an empty list is zero bytes.
bool ParseHexBytes(std::string_view list, std::string* out) {
  out->clear();
  list = Trim(list);
  if (list.empty()) {
    return true;
  }
  while (true) {
    const std::size_t comma = list.find(',');
    std::uint32_t byte = 0;
    if (!ParseHexNumber(Trim(list.substr(0, comma)), 2, &byte)) {
      return false;
    }
    out->push_back(static_cast<char>(byte));
    if (comma == npos) {
      return true;
    }
    list.remove_prefix(comma + 1);
  }
}

// The data of one value line (the part after '='), as stored bytes.
bool ParseData(std::string_view data, std::string* out) {
  data = Trim(data);
  if (!data.empty() && data[0] == '"') {
    const std::size_t taken = ParseQuoted(data, out);
    if (taken == npos || !Trim(data.substr(taken)).empty()) {
      return false;
    }
    out->push_back('\0');
    return true;
  }
  if (StartsWithNoCase(data, "dword:")) {
    std::uint32_t v = 0;
    if (!ParseHexNumber(Trim(data.substr(6)), 8, &v)) {
      return false;
    }
    out->clear();
    for (int k = 0; k < 4; ++k) {
      out->push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
    }
    return true;
  }
  if (StartsWithNoCase(data, "hex:")) {
    return ParseHexBytes(data.substr(4), out);
  }
  if (StartsWithNoCase(data, "hex(")) {
    const std::size_t close = data.find("):");
    std::uint32_t type = 0;
    if (close == npos || !ParseHexNumber(data.substr(4, close - 4), 8, &type)) {
      return false;
    }
    return ParseHexBytes(data.substr(close + 2), out);
  }
  return false;  // "-" (deleted) or an unknown form
}

class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  bool Next(std::string_view* line) {
    if (pos_ >= text_.size()) {
      return false;
    }
    const std::size_t end = text_.find('\n', pos_);
    const std::size_t stop = end == npos ? text_.size() : end;
    *line = Trim(text_.substr(pos_, stop - pos_));
    pos_ = stop + 1;
    return true;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

bool FindRegistryValue(std::string_view file, std::string_view key, std::string_view name,
                       std::string* data) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (file.substr(0, kBom.size()) == kBom) {
    file.remove_prefix(kBom.size());
  }
  LineReader lines(file);
  std::string_view line;
  do {
    if (!lines.Next(&line)) {
      return false;
    }
  } while (line.empty());
  if (line != "REGEDIT4") {
    return false;
  }

  bool in_key = false;
  bool found = false;
  std::string value;
  std::string value_name;
  while (lines.Next(&line)) {
    if (line.empty() || line[0] == ';') {
      continue;
    }
    if (line[0] == '[') {
      in_key = line.back() == ']' && EqualsNoCase(line.substr(1, line.size() - 2), key);
      continue;
    }
    // Long hex data go on over lines that end in a backslash.
    std::string joined(line);
    while (!joined.empty() && joined.back() == '\\' && lines.Next(&line)) {
      joined.pop_back();
      joined.append(line);
    }
    if (!in_key || joined[0] != '"') {
      continue;
    }
    const std::size_t taken = ParseQuoted(joined, &value_name);
    if (taken == npos) {
      continue;
    }
    const std::string_view rest = Trim(std::string_view(joined).substr(taken));
    if (rest.empty() || rest[0] != '=' || !EqualsNoCase(value_name, name)) {
      continue;
    }
    found = ParseData(rest.substr(1), &value);
  }
  if (found) {
    *data = std::move(value);
  }
  return found;
}

}  // namespace plotxfer::setup
