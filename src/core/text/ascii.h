#pragma once
// Single bytes as ASCII sees them. A caller that reads double-byte text never hands these a
// trail byte.

namespace plotxfer::text {

// What separates the words of a line: command lines, list files, REGEDIT4 and parameter lines.
constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The C runtime's white space: what its number scanners skip.
constexpr bool IsSpace(char c) {
  return IsBlank(c) || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

constexpr char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace plotxfer::text
