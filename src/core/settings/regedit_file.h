#pragma once
// The REGEDIT4 text form of registry keys and values: the settings store where there is no
// registry, written and read by the same rules on every platform.
//
// The file is UTF-8 with LF line ends (CR LF and a leading byte-order mark are accepted):
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\SOFTWARE\MORVA\PLOTXFER\BootData]
//   "PdfOrImage"=dword:00000001
//   "SelFolder"="/home/a/out/"
//   @="the key's default value"
//   "Raw"=hex:01,02,ff
//   "Other"=hex(b):00,00,00,00,01,00,00,00
//
// - The first line that is not blank is exactly REGEDIT4.
// - Blank lines and lines whose first non-blank character is ';' are ignored.
// - A key line holds the full key path in square brackets, starting with one of the root names
//   HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CLASSES_ROOT, HKEY_CURRENT_CONFIG.
//   The values that follow belong to it. A key named twice is one key. "[-path]" removes the key
//   and everything below it from what was read so far. A key's parents are implied, not listed.
// - A value line is a quoted name (or @ for the default value), '=', and the data:
//   - "text": a text value (type 1), stored with its terminating zero byte. Inside quotes a
//     backslash is written \\ and a double quote \". The writer uses this form only for text that
//     is valid UTF-8 without line breaks or zero bytes, ending in exactly one zero byte, in which
//     no byte from 0x80 up stands before a backslash, a quote or the end (the registry editor
//     reads the file in the ANSI code page, where such a byte may take the next one as the second
//     byte of a character); any other text value is written as hex(1). When reading, \n, \r and \0
//     are also understood, and a backslash before any other character stands for itself.
//   - dword:XXXXXXXX: a 32-bit number (type 4) in hexadecimal, stored as 4 bytes little-endian.
//   - hex:bb,bb,...: binary data (type 3); hex(N):bb,... data of type N (N in hexadecimal).
//     A line ending in a backslash goes on at the next line, whose leading blanks are skipped.
//   - '-': the value is removed.
//   A value named twice keeps the last data. Names and key paths are matched without regard to
//   ASCII case, and keep the case they were first written with.
// - Anything else makes the file unparseable; the parser then says at which line and why.
//
// The reader also takes what the registry editor exports today: the same form with the first
// line "Windows Registry Editor Version 5.00", in UTF-16LE with a byte-order mark (or in UTF-8).
// Its names, key paths and texts are Unicode, and so are the data of hex(1), hex(2) and hex(7),
// written as UTF-16LE bytes; they are read into the narrow encoding, as the registry hands them
// to a program that reads it narrow: UTF-8 unless the caller gives another conversion.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace plotxfer {

struct RegeditValue {
  std::string name;  // empty for the key's default value
  std::uint32_t type = 0;
  std::string data;  // raw bytes, as the registry keeps them
};

struct RegeditKey {
  std::string path;  // full path, root name included
  std::vector<RegeditValue> values;
};

class RegeditFile {
 public:
  // Converts UTF-8 text to the narrow encoding; false when the text cannot be held.
  using Narrowing = bool (*)(std::string_view utf8, std::string* narrow);

  // Reads the text of a file. On failure returns nothing and, when error is given, says why.
  // narrow, when given, is how a Unicode file's texts become narrow; without it they are UTF-8.
  static std::optional<RegeditFile> Parse(std::string_view text, std::string* error = nullptr,
                                          Narrowing narrow = nullptr);

  // The text of the file, in the form described above.
  std::string Serialize() const;

  // The value name of the key at path, or null.
  const RegeditValue* Find(std::string_view path, std::string_view name) const;

  // Sets value name of the key at path, adding the key when it is missing. False (and nothing
  // changed) when the path or the name cannot be written in this form: a path that does not start
  // with a root name or has an empty part, or a path or name that is not valid UTF-8, holds a
  // control character, or has a byte from 0x80 up before a backslash, a quote, a ']' or its end.
  bool Set(std::string_view path, std::string_view name, std::uint32_t type, std::string_view data);

  const std::vector<RegeditKey>& keys() const { return keys_; }

 private:
  friend class RegeditParser;

  // Index of the key at path in keys_, added when missing.
  std::size_t AddKey(std::string_view path);
  void Put(std::string_view path, std::string name, std::uint32_t type, std::string data);
  void EraseValue(std::string_view path, std::string_view name);
  void RemoveTree(std::string_view path);
  void Reindex();
  static std::string Folded(std::string_view s);

  std::vector<RegeditKey> keys_;
  // Keys and values by their names in lower case, so that reading a file takes time in step with
  // its size however many values it holds.
  std::unordered_map<std::string, std::size_t> key_index_;
  std::vector<std::unordered_map<std::string, std::size_t>> value_index_;
};

// True when a and b are equal but for the case of ASCII letters.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace plotxfer
