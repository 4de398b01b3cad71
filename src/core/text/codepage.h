#pragma once
// Byte-string helpers that respect multibyte code pages.
//
// Paths and texts are narrow strings in the platform's narrow encoding: the ANSI code page
// on Windows (Shift-JIS on a Japanese system), UTF-8 on Linux. Many Shift-JIS characters end
// in byte 0x5C, so a plain byte search for '\\' cuts them in half; every search for a
// backslash or a delimiter goes through these helpers instead.
#include <cstddef>
#include <string_view>

namespace plotxfer::text {

enum class CodePage {
  SingleByte,  // every byte is one character (e.g. 1252)
  ShiftJis,    // 932: lead bytes 0x81-0x9F and 0xE0-0xFC take a trail byte
  Utf8,        // 65001
};

inline constexpr std::size_t npos = std::string_view::npos;

// True when b starts a double-byte character in the code page (Shift-JIS only).
bool IsLeadByte(unsigned char b, CodePage cp);

// True when b can be the second byte of a double-byte character (Shift-JIS: 0x40-0x7E and
// 0x80-0xFC); false in code pages without double-byte characters.
bool IsTrailByte(unsigned char b, CodePage cp);

// Number of bytes of the character that starts at pos (1 at least, never past the end).
// A lead byte without its trail byte, or a broken UTF-8 sequence, counts as one byte.
std::size_t CharLength(std::string_view s, std::size_t pos, CodePage cp);

// Index of the character after the one at pos.
inline std::size_t NextChar(std::string_view s, std::size_t pos, CodePage cp) {
  return pos + CharLength(s, pos, cp);
}

// Index of the last character equal to the single-byte character c, or npos.
std::size_t FindLastChar(std::string_view s, char c, CodePage cp);

// Index of the last backslash character, or npos; a trail byte 0x5C is never taken for one.
std::size_t FindLastBackslash(std::string_view s, CodePage cp);

// Index of the start of the last character of s, or npos when s is empty.
std::size_t LastCharStart(std::string_view s, CodePage cp);

// True when the last character of s is a backslash (not a trail byte 0x5C).
bool EndsWithBackslash(std::string_view s, CodePage cp);

// True when the last character of s is the single-byte character c.
bool EndsWithChar(std::string_view s, char c, CodePage cp);

}  // namespace plotxfer::text
