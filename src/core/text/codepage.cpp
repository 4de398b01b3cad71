#include "core/text/codepage.h"

namespace plotxfer::text {

namespace {

std::size_t Utf8Length(std::string_view s, std::size_t pos) {
  const auto b = static_cast<unsigned char>(s[pos]);
  std::size_t want = 1;
  if (b >= 0xC2 && b <= 0xDF) {
    want = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    want = 3;
  } else if (b >= 0xF0 && b <= 0xF4) {
    want = 4;
  }
  if (want == 1 || pos + want > s.size()) {
    return 1;
  }
  for (std::size_t k = 1; k < want; ++k) {
    if ((static_cast<unsigned char>(s[pos + k]) & 0xC0) != 0x80) {
      return 1;
    }
  }
  return want;
}

}  // namespace

bool IsLeadByte(unsigned char b, CodePage cp) {
  if (cp != CodePage::ShiftJis) {
    return false;
  }
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsTrailByte(unsigned char b, CodePage cp) {
  return cp == CodePage::ShiftJis && b >= 0x40 && b <= 0xFC && b != 0x7F;
}

std::size_t CharLength(std::string_view s, std::size_t pos, CodePage cp) {
  if (pos >= s.size()) {
    return 1;
  }
  switch (cp) {
    case CodePage::ShiftJis:
      if (IsLeadByte(static_cast<unsigned char>(s[pos]), cp) && pos + 1 < s.size() &&
          s[pos + 1] != '\0') {
        return 2;
      }
      return 1;
    case CodePage::Utf8:
      return Utf8Length(s, pos);
    case CodePage::SingleByte:
      break;
  }
  return 1;
}

std::size_t FindLastChar(std::string_view s, char c, CodePage cp) {
  std::size_t found = npos;
  for (std::size_t i = 0; i < s.size(); i = NextChar(s, i, cp)) {
    if (s[i] == c) {
      found = i;
    }
  }
  return found;
}

std::size_t FindLastBackslash(std::string_view s, CodePage cp) {
  return FindLastChar(s, '\\', cp);
}

std::size_t LastCharStart(std::string_view s, CodePage cp) {
  std::size_t last = npos;
  for (std::size_t i = 0; i < s.size(); i = NextChar(s, i, cp)) {
    last = i;
  }
  return last;
}

bool EndsWithChar(std::string_view s, char c, CodePage cp) {
  const std::size_t last = LastCharStart(s, cp);
  return last != npos && last + 1 == s.size() && s[last] == c;
}

bool EndsWithBackslash(std::string_view s, CodePage cp) {
  return EndsWithChar(s, '\\', cp);
}

}  // namespace plotxfer::text
