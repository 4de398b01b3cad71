#include "core/text/command_line.h"

#include "core/failure.h"
#include "core/text/ascii.h"

namespace plotxfer::text {

std::vector<std::string> SplitCommandLine(std::string_view line, CodePage cp) {
  std::vector<std::string> argv;
  std::size_t p = 0;
  const std::size_t end = line.size();

  // The program name: no escapes, quotes only toggle.
  {
    std::string name;
    bool in_quotes = false;
    while (p < end && (in_quotes || !IsBlank(line[p]))) {
      if (line[p] == '"') {
        in_quotes = !in_quotes;
        ++p;
        continue;
      }
      const std::size_t n = CharLength(line, p, cp);
      name.append(line.substr(p, n));
      p += n;
    }
    argv.push_back(std::move(name));
  }

  bool in_quotes = false;
  for (;;) {
    while (p < end && IsBlank(line[p])) {
      ++p;
    }
    if (p >= end) {
      break;
    }
    std::string arg;
    for (;;) {
      std::size_t backslashes = 0;
      while (p < end && line[p] == '\\') {
        ++backslashes;
        ++p;
      }
      bool copy = true;
      if (p < end && line[p] == '"') {
        if (backslashes % 2 == 0) {
          if (in_quotes && p + 1 < end && line[p + 1] == '"') {
            ++p;  // "" inside quotes: one literal quote, still quoted
          } else {
            copy = false;
            in_quotes = !in_quotes;
          }
        }
        backslashes /= 2;
      }
      arg.append(backslashes, '\\');
      if (p >= end || (!in_quotes && IsBlank(line[p]))) {
        break;
      }
      if (copy) {
        const std::size_t n = CharLength(line, p, cp);
        arg.append(line.substr(p, n));
        p += n;
      } else {
        ++p;
      }
    }
    argv.push_back(std::move(arg));
  }
  return argv;
}

bool Quotable(std::string_view text, CodePage cp, std::string* why) {
  for (std::size_t i = 0; i < text.size(); i = NextChar(text, i, cp)) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '"') {
      return Fail(why, "it holds a double quote");
    }
    if (c == '\0') {
      return Fail(why, "it holds a zero byte");  // the line would end there
    }
    // A lead byte whose next byte cannot be its second one: Windows turns the pair into another
    // character on its way to the tool, and may take a quote or a blank along with it.
    if (CharLength(text, i, cp) == 2 && !IsTrailByte(static_cast<unsigned char>(text[i + 1]), cp)) {
      return Fail(why, "it holds half a double-byte character");
    }
  }
  if (EndsWithBackslash(text, cp)) {
    return Fail(why, "it ends in a backslash");
  }
  // A lead byte with nothing after it would take the closing quote for its second byte.
  if (const std::size_t last = LastCharStart(text, cp);
      last != npos && IsLeadByte(static_cast<unsigned char>(text[last]), cp) &&
      CharLength(text, last, cp) == 1) {
    return Fail(why, "it ends in half a double-byte character");
  }
  return true;
}

}  // namespace plotxfer::text
