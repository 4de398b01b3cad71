#include "support/win_cmdline.h"

namespace standin {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::vector<std::string> SplitWindowsCommandLine(const std::string& line,
                                                 const LeadBytePredicate& is_lead_byte) {
  auto lead = [&](std::size_t i) {
    return is_lead_byte && i + 1 < line.size() && is_lead_byte(static_cast<unsigned char>(line[i]));
  };
  std::vector<std::string> args;
  std::size_t i = 0;
  const std::size_t n = line.size();

  // The program token: quotes only group, backslashes are plain.
  std::string program;
  bool in_quotes = false;
  while (i < n) {
    if (lead(i)) {
      program += line[i];
      program += line[i + 1];
      i += 2;
      continue;
    }
    char c = line[i];
    if (c == '"') {
      in_quotes = !in_quotes;
      ++i;
      continue;
    }
    if (!in_quotes && IsBlank(c)) break;
    program += c;
    ++i;
  }
  args.push_back(program);

  for (;;) {
    while (i < n && IsBlank(line[i])) ++i;
    if (i >= n) break;
    std::string arg;
    in_quotes = false;
    while (i < n) {
      if (lead(i)) {
        arg += line[i];
        arg += line[i + 1];
        i += 2;
        continue;
      }
      if (line[i] == '\\') {
        std::size_t slashes = 0;
        while (i < n && line[i] == '\\') {
          ++slashes;
          ++i;
        }
        if (i < n && line[i] == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            arg += '"';
            ++i;
          }
          // An even count leaves the quote for the quote rule below.
        } else {
          arg.append(slashes, '\\');
        }
        continue;
      }
      char c = line[i];
      if (c == '"') {
        if (in_quotes && i + 1 < n && line[i + 1] == '"') {
          arg += '"';
          i += 2;
          continue;
        }
        in_quotes = !in_quotes;
        ++i;
        continue;
      }
      if (!in_quotes && IsBlank(c)) break;
      arg += c;
      ++i;
    }
    args.push_back(arg);
  }
  return args;
}

std::string QuoteWindowsArgument(const std::string& arg) {
  bool needs_quotes = arg.empty() || arg.find_first_of(" \t\n\v\"") != std::string::npos;
  if (!needs_quotes) return arg;
  std::string out = "\"";
  std::size_t slashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    if (c == '"') {
      // Every backslash before a quote is doubled, and the quote itself escaped.
      out.append(slashes * 2 + 1, '\\');
      out += '"';
    } else {
      out.append(slashes, '\\');
      out += c;
    }
    slashes = 0;
  }
  // Backslashes before the closing quote are doubled so that it stays a closing quote.
  out.append(slashes * 2, '\\');
  out += '"';
  return out;
}

std::string JoinWindowsCommandLine(const std::vector<std::string>& argv) {
  std::string line;
  for (std::size_t k = 0; k < argv.size(); ++k) {
    if (k == 0) {
      line += '"' + argv[0] + '"';
    } else {
      line += ' ';
      line += QuoteWindowsArgument(argv[k]);
    }
  }
  return line;
}

}  // namespace standin
