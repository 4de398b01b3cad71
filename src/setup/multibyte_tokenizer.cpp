#include "setup/multibyte_tokenizer.h"

#include <cstring>
#include <string_view>

namespace plotxfer::setup {

namespace {

thread_local char* t_position = nullptr;

// Length of the delimiter character at pos of s, or 0 when that character is no delimiter.
std::size_t DelimiterAt(std::string_view s, std::size_t pos, std::string_view delimiters,
                        text::CodePage cp) {
  const std::size_t length = text::CharLength(s, pos, cp);
  const std::string_view ch = s.substr(pos, length);
  for (std::size_t d = 0; d < delimiters.size(); d = text::NextChar(delimiters, d, cp)) {
    if (delimiters.substr(d, text::CharLength(delimiters, d, cp)) == ch) {
      return length;
    }
  }
  return 0;
}

}  // namespace

char* NextToken(char* text, const char* delimiters, text::CodePage cp) {
  char* const base = text != nullptr ? text : t_position;
  t_position = nullptr;
  if (base == nullptr || delimiters == nullptr) {
    return nullptr;
  }
  const std::string_view rest(base);
  const std::string_view delims(delimiters);

  std::size_t pos = 0;
  while (pos < rest.size() && DelimiterAt(rest, pos, delims, cp) != 0) {
    pos = text::NextChar(rest, pos, cp);
  }
  if (pos >= rest.size()) {
    return nullptr;
  }
  const std::size_t start = pos;
  while (pos < rest.size()) {
    const std::size_t delimiter_length = DelimiterAt(rest, pos, delims, cp);
    if (delimiter_length != 0) {
      // Every byte of a double-byte delimiter is cleared, so no stray trail byte starts the next
      // token.
      std::memset(base + pos, 0, delimiter_length);
      t_position = base + pos + delimiter_length;
      break;
    }
    pos = text::NextChar(rest, pos, cp);
  }
  return base + start;
}

}  // namespace plotxfer::setup
