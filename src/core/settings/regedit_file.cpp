#include "core/settings/regedit_file.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "core/text/ascii.h"
#include "core/text/unicode.h"

namespace plotxfer {

namespace {

constexpr std::uint32_t kText = 1;
constexpr std::uint32_t kBinary = 3;
constexpr std::uint32_t kDword = 4;

constexpr std::uint32_t kExpandText = 2;
constexpr std::uint32_t kMultiText = 7;

constexpr std::string_view kHeader = "REGEDIT4";
// What the registry editor writes today, in UTF-16LE with a byte-order mark.
constexpr std::string_view kUnicodeHeader = "Windows Registry Editor Version 5.00";
constexpr std::array<std::string_view, 5> kRootNames = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                                        "HKEY_USERS", "HKEY_CLASSES_ROOT",
                                                        "HKEY_CURRENT_CONFIG"};

// Hex data lines are wrapped like the registry editor wraps them.
constexpr std::size_t kWrapColumn = 76;

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && text::IsBlank(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && text::IsBlank(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// One to eight hex digits, as a dword or a hex(N) type is written.
std::optional<std::uint32_t> HexNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) {
    return std::nullopt;
  }
  std::uint32_t n = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0) {
      return std::nullopt;
    }
    n = (n << 4) | static_cast<std::uint32_t>(d);
  }
  return n;
}

bool HasControlChar(std::string_view s) {
  return std::any_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// Windows' registry editor reads a REGEDIT4 file in the ANSI code page, where a byte from 0x80 up
// may start a double-byte character and take the next byte along: a backslash, a quote or a
// bracket right after one, or the closing quote after the last one, would be read as part of a
// character. Text is written between quotes or brackets only where no such byte stands there.
bool ReadsTheSameInDoubleByteCodePages(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (static_cast<unsigned char>(s[i]) >= 0x80 &&
        (i + 1 == s.size() || s[i + 1] == '\\' || s[i + 1] == '"' || s[i + 1] == ']')) {
      return false;
    }
  }
  return true;
}

bool IsWritableName(std::string_view name) {
  return text::IsUtf8(name) && !HasControlChar(name) && ReadsTheSameInDoubleByteCodePages(name);
}

// The root name a path starts with, followed by the end or a backslash; empty when none.
std::string_view RootOf(std::string_view path) {
  for (std::string_view root : kRootNames) {
    if (path.size() >= root.size() && EqualsIgnoringAsciiCase(path.substr(0, root.size()), root) &&
        (path.size() == root.size() || path[root.size()] == '\\')) {
      return path.substr(0, root.size());
    }
  }
  return {};
}

bool IsWritablePath(std::string_view path) {
  if (RootOf(path).empty() || !IsWritableName(path)) {
    return false;
  }
  // No empty part: no doubled, leading or trailing backslash.
  return path.find("\\\\") == std::string_view::npos && path.back() != '\\';
}

// True when path is below (or equal to) tree, with a part boundary after tree.
bool IsWithin(std::string_view path, std::string_view tree) {
  return path.size() >= tree.size() && EqualsIgnoringAsciiCase(path.substr(0, tree.size()), tree) &&
         (path.size() == tree.size() || path[tree.size()] == '\\');
}

std::string Escape(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  for (char c : s) {
    if (c == '\\' || c == '"') {
      out.push_back('\\');
    }
    out.push_back(c);
  }
  return out;
}

std::string QuotedName(std::string_view name) {
  if (name.empty()) {
    return "@";
  }
  std::string out(1, '"');
  out += Escape(name);
  out += '"';
  return out;
}

bool FitsQuotedText(const RegeditValue& v) {
  if (v.type != kText || v.data.empty() || v.data.back() != '\0') {
    return false;
  }
  const std::string_view text(v.data.data(), v.data.size() - 1);
  return text.find('\0') == std::string_view::npos &&
         text.find_first_of("\r\n") == std::string_view::npos && text::IsUtf8(text) &&
         ReadsTheSameInDoubleByteCodePages(text);
}

void AppendHexData(std::string& out, std::size_t line_start, std::string_view data) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < data.size(); ++i) {
    const auto b = static_cast<unsigned char>(data[i]);
    const bool last = i + 1 == data.size();
    // Room for "bb," plus a continuation backslash.
    if (out.size() - line_start + (last ? 2 : 4) > kWrapColumn) {
      out += "\\\n  ";
      line_start = out.size() - 2;
    }
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0x0F]);
    if (!last) {
      out.push_back(',');
    }
  }
}

std::string HexType(std::uint32_t type) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[type & 0x0F]);
    type >>= 4;
  } while (type != 0);
  return digits;
}

void AppendValue(std::string& out, const RegeditValue& v) {
  const std::size_t line_start = out.size();
  out += QuotedName(v.name);
  out += '=';
  if (FitsQuotedText(v)) {
    out += '"';
    out += Escape(std::string_view(v.data.data(), v.data.size() - 1));
    out += '"';
  } else if (v.type == kDword && v.data.size() == 4) {
    std::uint32_t n = 0;
    for (int k = 3; k >= 0; --k) {
      n = (n << 8) | static_cast<unsigned char>(v.data[static_cast<std::size_t>(k)]);
    }
    std::string digits = HexType(n);
    out += "dword:";
    out.append(8 - digits.size(), '0');
    out += digits;
  } else {
    if (v.type == kBinary) {
      out += "hex:";
    } else {
      out += "hex(";
      out += HexType(v.type);
      out += "):";
    }
    AppendHexData(out, line_start, v.data);
  }
  out += '\n';
}

// UTF-16LE bytes to UTF-8; false for an odd number of bytes or a lone surrogate.
bool Utf8FromUtf16Le(std::string_view bytes, std::string* out) {
  return bytes.size() % 2 == 0 && text::Utf8FromUtf16(text::Utf16FromBytes(bytes, false), out);
}

}  // namespace

// Reads the file line by line, joining continued hex lines.
class RegeditParser {
 public:
  RegeditParser(std::string_view text, RegeditFile::Narrowing narrow)
      : text_(text), narrow_(narrow) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") {
      text_.remove_prefix(3);
    }
  }

  std::optional<RegeditFile> Run(std::string* error) {
    if (text_.substr(0, 2) == "\xFF\xFE") {
      if (!Utf8FromUtf16Le(text_.substr(2), &decoded_)) {
        return Fail(error, "the file is not valid UTF-16");
      }
      text_ = decoded_;
    }
    RegeditFile file;
    bool header_seen = false;
    bool in_removed_key = false;
    std::string current_key;
    std::string_view line;
    while (NextLine(&line)) {
      const std::string_view trimmed = TrimBlanks(line);
      if (trimmed.empty()) {
        continue;
      }
      if (!header_seen) {
        if (trimmed == kUnicodeHeader) {
          unicode_ = true;
        } else if (trimmed != kHeader) {
          return Fail(error, "the file does not start with REGEDIT4");
        }
        header_seen = true;
        continue;
      }
      if (trimmed.front() == ';') {
        continue;
      }
      if (trimmed.front() == '[') {
        if (trimmed.back() != ']' || trimmed.size() < 3) {
          return Fail(error, "a key line must be a path in square brackets");
        }
        std::string_view path = trimmed.substr(1, trimmed.size() - 2);
        const bool remove = path.front() == '-';
        if (remove) {
          path.remove_prefix(1);
        }
        if (RootOf(path).empty()) {
          return Fail(error, "the key does not start with a root name such as HKEY_CURRENT_USER");
        }
        std::string narrow_path;
        if (!Narrow(path, &narrow_path)) {
          return Fail(error, kNotNarrow);
        }
        path = narrow_path;
        if (remove) {
          file.RemoveTree(path);
          in_removed_key = true;
          current_key.clear();
        } else {
          in_removed_key = false;
          current_key = std::string(path);
          file.AddKey(current_key);
        }
        continue;
      }
      if (trimmed.front() != '"' && trimmed.front() != '@') {
        return Fail(error, "a line must be a key in square brackets or a value");
      }
      if (in_removed_key || current_key.empty()) {
        return Fail(error, "a value stands outside a key");
      }
      if (!ParseValue(trimmed, file, current_key, error)) {
        return std::nullopt;
      }
    }
    if (!header_seen) {
      return Fail(error, "the file does not start with REGEDIT4");
    }
    return file;
  }

 private:
  bool NextLine(std::string_view* line) {
    if (pos_ >= text_.size()) {
      return false;
    }
    const std::size_t end = text_.find('\n', pos_);
    const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
    *line = text_.substr(pos_, stop - pos_);
    if (!line->empty() && line->back() == '\r') {
      line->remove_suffix(1);
    }
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    ++line_number_;
    return true;
  }

  static constexpr std::string_view kNotNarrow =
      "the text holds a character the narrow code page cannot hold";

  // Text of a Unicode file (UTF-8 here) in the narrow encoding; text of a REGEDIT4 file is taken
  // byte for byte.
  bool Narrow(std::string_view utf8, std::string* out) const {
    if (!unicode_ || narrow_ == nullptr) {
      out->assign(utf8);
      return true;
    }
    return narrow_(utf8, out);
  }

  // The data of a text type in a Unicode file are UTF-16LE; the registry's narrow side reads
  // them in the narrow encoding, and so do we.
  bool NarrowData(std::uint32_t type, std::string* data) const {
    if (!unicode_ || (type != kText && type != kExpandText && type != kMultiText)) {
      return true;
    }
    std::string utf8;
    return Utf8FromUtf16Le(*data, &utf8) && Narrow(utf8, data);
  }

  std::nullopt_t Fail(std::string* error, std::string_view why) const {
    if (error != nullptr) {
      *error = "line " + std::to_string(line_number_) + ": " + std::string(why);
    }
    return std::nullopt;
  }

  bool FailValue(std::string* error, std::string_view why) const {
    Fail(error, why);
    return false;
  }

  // Reads a quoted string at the start of s; leaves s after the closing quote.
  static bool ReadQuoted(std::string_view* s, std::string* out) {
    if (s->empty() || s->front() != '"') {
      return false;
    }
    std::size_t i = 1;
    while (i < s->size()) {
      const char c = (*s)[i];
      if (c == '"') {
        s->remove_prefix(i + 1);
        return true;
      }
      if (c == '\\' && i + 1 < s->size()) {
        const char next = (*s)[i + 1];
        switch (next) {
          case '\\':
          case '"':
            out->push_back(next);
            break;
          case 'n':
            out->push_back('\n');
            break;
          case 'r':
            out->push_back('\r');
            break;
          case '0':
            out->push_back('\0');
            break;
          default:
            out->push_back('\\');
            out->push_back(next);
            break;
        }
        i += 2;
        continue;
      }
      out->push_back(c);
      ++i;
    }
    return false;
  }

  // Reads comma-separated hex bytes, following continuation lines.
  bool ReadHexBytes(std::string_view s, std::string* out, std::string* error) {
    for (;;) {
      s = TrimBlanks(s);
      bool continued = false;
      if (!s.empty() && s.back() == '\\') {
        continued = true;
        s.remove_suffix(1);
        s = TrimBlanks(s);
      }
      while (!s.empty()) {
        // The digits are counted before any is added up: a long run must not overflow.
        std::size_t digits = 0;
        while (digits < s.size() && HexDigit(s[digits]) >= 0) {
          ++digits;
        }
        if (digits == 0 || digits > 2) {
          return FailValue(error, "hex data must be bytes of two hex digits separated by commas");
        }
        int value = 0;
        for (std::size_t k = 0; k < digits; ++k) {
          value = value * 16 + HexDigit(s[k]);
        }
        out->push_back(static_cast<char>(value));
        s.remove_prefix(digits);
        s = TrimBlanks(s);
        if (!s.empty()) {
          if (s.front() != ',') {
            return FailValue(error, "hex bytes must be separated by commas");
          }
          s.remove_prefix(1);
          s = TrimBlanks(s);
        }
      }
      if (!continued) {
        return true;
      }
      std::string_view next;
      if (!NextLine(&next)) {
        return FailValue(error, "hex data continue past the end of the file");
      }
      s = next;
    }
  }

  bool ParseValue(std::string_view line, RegeditFile& file, const std::string& key,
                  std::string* error) {
    std::string name;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else if (!ReadQuoted(&line, &name)) {
      return FailValue(error, "the value name has no closing quote");
    } else if (name.find('\n') != std::string::npos) {
      return FailValue(error, "a value name cannot hold a line break");
    } else if (std::string narrow_name; !Narrow(name, &narrow_name)) {
      return FailValue(error, kNotNarrow);
    } else {
      name = std::move(narrow_name);
    }
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '=') {
      return FailValue(error, "the value name is not followed by '='");
    }
    line = TrimBlanks(line.substr(1));
    if (line == "-") {
      file.EraseValue(key, name);
      return true;
    }
    if (!line.empty() && line.front() == '"') {
      std::string text;
      if (!ReadQuoted(&line, &text)) {
        return FailValue(error, "the text has no closing quote");
      }
      if (!TrimBlanks(line).empty()) {
        return FailValue(error, "there is more after the closing quote");
      }
      if (std::string narrow_text; !Narrow(text, &narrow_text)) {
        return FailValue(error, kNotNarrow);
      } else {
        text = std::move(narrow_text);
      }
      text.push_back('\0');
      file.Put(key, std::move(name), kText, std::move(text));
      return true;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      return FailValue(error, "the data are neither text, dword nor hex");
    }
    const std::string_view kind = line.substr(0, colon);
    const std::string_view rest = line.substr(colon + 1);
    if (EqualsIgnoringAsciiCase(kind, "dword")) {
      const std::optional<std::uint32_t> n = HexNumber(TrimBlanks(rest));
      if (!n) {
        return FailValue(error, "a dword needs one to eight hex digits");
      }
      std::string data(4, '\0');
      for (std::size_t k = 0; k < 4; ++k) {
        data[k] = static_cast<char>((*n >> (8 * k)) & 0xFF);
      }
      file.Put(key, std::move(name), kDword, std::move(data));
      return true;
    }
    std::uint32_t type = kBinary;
    if (EqualsIgnoringAsciiCase(kind.substr(0, 4), "hex(") && kind.size() > 5 &&
        kind.back() == ')') {
      const std::optional<std::uint32_t> n = HexNumber(kind.substr(4, kind.size() - 5));
      if (!n) {
        return FailValue(error, "the type of hex(N) must be one to eight hex digits");
      }
      type = *n;
    } else if (!EqualsIgnoringAsciiCase(kind, "hex")) {
      return FailValue(error, "the data are neither text, dword nor hex");
    }
    std::string data;
    if (!ReadHexBytes(rest, &data, error)) {
      return false;
    }
    if (!NarrowData(type, &data)) {
      return FailValue(error, "the text data are not UTF-16 the narrow code page can hold");
    }
    file.Put(key, std::move(name), type, std::move(data));
    return true;
  }

  std::string_view text_;
  RegeditFile::Narrowing narrow_;
  std::string decoded_;  // the text of a UTF-16 file, as UTF-8
  bool unicode_ = false;
  std::size_t pos_ = 0;
  int line_number_ = 0;
};

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (text::LowerAscii(a[i]) != text::LowerAscii(b[i])) {
      return false;
    }
  }
  return true;
}

std::optional<RegeditFile> RegeditFile::Parse(std::string_view text, std::string* error,
                                              Narrowing narrow) {
  return RegeditParser(text, narrow).Run(error);
}

std::string RegeditFile::Serialize() const {
  std::string out(kHeader);
  out += "\n\n";
  for (const RegeditKey& key : keys_) {
    out += '[';
    out += key.path;
    out += "]\n";
    for (const RegeditValue& v : key.values) {
      AppendValue(out, v);
    }
    out += '\n';
  }
  return out;
}

const RegeditValue* RegeditFile::Find(std::string_view path, std::string_view name) const {
  const auto key = key_index_.find(Folded(path));
  if (key == key_index_.end()) {
    return nullptr;
  }
  const auto& names = value_index_[key->second];
  const auto value = names.find(Folded(name));
  return value == names.end() ? nullptr : &keys_[key->second].values[value->second];
}

bool RegeditFile::Set(std::string_view path, std::string_view name, std::uint32_t type,
                      std::string_view data) {
  if (!IsWritablePath(path) || !IsWritableName(name)) {
    return false;
  }
  Put(path, std::string(name), type, std::string(data));
  return true;
}

// The parser adds what it read without Set's checks on names: what was read can be written back.
void RegeditFile::Put(std::string_view path, std::string name, std::uint32_t type,
                      std::string data) {
  const std::size_t k = AddKey(path);
  auto [it, added] = value_index_[k].try_emplace(Folded(name), keys_[k].values.size());
  if (!added) {
    RegeditValue& v = keys_[k].values[it->second];
    v.type = type;
    v.data = std::move(data);
    return;
  }
  keys_[k].values.push_back(RegeditValue{std::move(name), type, std::move(data)});
}

std::size_t RegeditFile::AddKey(std::string_view path) {
  const auto [it, added] = key_index_.try_emplace(Folded(path), keys_.size());
  if (added) {
    keys_.push_back(RegeditKey{std::string(path), {}});
    value_index_.emplace_back();
  }
  return it->second;
}

void RegeditFile::RemoveTree(std::string_view path) {
  std::erase_if(keys_, [path](const RegeditKey& key) { return IsWithin(key.path, path); });
  Reindex();
}

void RegeditFile::EraseValue(std::string_view path, std::string_view name) {
  const auto key = key_index_.find(Folded(path));
  if (key != key_index_.end()) {
    std::erase_if(keys_[key->second].values,
                  [name](const RegeditValue& v) { return EqualsIgnoringAsciiCase(v.name, name); });
    Reindex();
  }
}

void RegeditFile::Reindex() {
  key_index_.clear();
  value_index_.assign(keys_.size(), {});
  for (std::size_t k = 0; k < keys_.size(); ++k) {
    key_index_.emplace(Folded(keys_[k].path), k);
    for (std::size_t v = 0; v < keys_[k].values.size(); ++v) {
      value_index_[k].emplace(Folded(keys_[k].values[v].name), v);
    }
  }
}

std::string RegeditFile::Folded(std::string_view s) {
  std::string folded(s);
  for (char& c : folded) {
    c = text::LowerAscii(c);
  }
  return folded;
}

}  // namespace plotxfer
