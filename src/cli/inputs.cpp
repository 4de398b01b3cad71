#include "cli/inputs.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

namespace plotxfer::cli {

namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Names in the order a Windows user sees them: letters without regard to case, then bytes.
bool NameBefore(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char x = LowerAscii(a[i]);
    const char y = LowerAscii(b[i]);
    if (x != y) {
      return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
  }
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

bool HasWildcard(std::string_view name) {
  return name.find_first_of("*?") != std::string_view::npos;
}

bool MatchFrom(std::string_view p, std::size_t pi, std::string_view n, std::size_t ni,
               text::CodePage cp) {
  while (pi < p.size()) {
    if (p[pi] == '*') {
      while (pi < p.size() && p[pi] == '*') {
        ++pi;
      }
      if (pi == p.size()) {
        return true;
      }
      for (std::size_t at = ni; at < n.size(); at = text::NextChar(n, at, cp)) {
        if (MatchFrom(p, pi, n, at, cp)) {
          return true;
        }
      }
      return false;
    }
    if (ni == n.size()) {
      return false;
    }
    const std::size_t plen = text::CharLength(p, pi, cp);
    const std::size_t nlen = text::CharLength(n, ni, cp);
    if (p[pi] == '?') {
      pi += 1;
    } else if (plen == 1 && nlen == 1) {
      if (LowerAscii(p[pi]) != LowerAscii(n[ni])) {
        return false;
      }
      pi += 1;
    } else {
      if (p.substr(pi, plen) != n.substr(ni, nlen)) {
        return false;
      }
      pi += plen;
    }
    ni += nlen;
  }
  return ni == n.size();
}

class Expander {
 public:
  Expander(const InputRules& rules, InputFiles& files, ExpandedInputs& out)
      : rules_(rules), files_(files), out_(out) {}

  void AddPath(const std::string& path) {
    const std::string_view name = text::FileNameOf(path, rules_.style, rules_.code_page);
    std::optional<FileFacts> facts = files_.Facts(path);
    if (!facts && files_.ExpandsWildcards() && HasWildcard(name)) {
      AddMatches(path, name);
      return;
    }
    if (facts && facts->folder) {
      const std::size_t before = found_;
      std::vector<FileFacts> chain{*facts};
      if (AddFolder(path, chain) && found_ == before) {
        out_.notes.push_back("no drawings (.VX) in the folder " + path);
      }
      return;
    }
    // A path that names nothing stays a drawing: its row then says that it cannot be opened.
    AddDrawing(path, facts);
  }

 private:
  std::string Join(const std::string& folder, const std::string& name) const {
    return text::WithTrailingSeparator(folder, rules_.style, rules_.code_page) + name;
  }

  void AddDrawing(const std::string& path, const std::optional<FileFacts>& facts) {
    const std::string absolute = facts ? std::string() : files_.Absolute(path);
    for (std::size_t i = 0; i < seen_.size(); ++i) {
      const bool same = facts
                            ? seen_[i].facts && facts->SameFileAs(*seen_[i].facts)
                            : !seen_[i].facts && text::SamePathText(absolute, seen_[i].absolute,
                                                                    rules_.style, rules_.code_page);
      if (same) {
        out_.notes.push_back(path + " is the drawing of row " + std::to_string(i + 1) + " (" +
                             out_.drawings[i] + ") again; it is converted once");
        return;
      }
    }
    seen_.push_back({facts, absolute});
    out_.drawings.push_back(path);
  }

  bool AddFolder(const std::string& folder, std::vector<FileFacts>& chain) {
    std::vector<FolderEntry> entries;
    if (!files_.ListFolder(folder, &entries)) {
      out_.error = "the folder " + folder + " cannot be read";
      return false;
    }
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
      return NameBefore(a.name, b.name);
    });
    for (const FolderEntry& entry : entries) {
      const std::string path = Join(folder, entry.name);
      if (!entry.folder) {
        if (HasDrawingExtension(entry.name)) {
          ++found_;
          AddDrawing(path, files_.Facts(path));
        }
        continue;
      }
      if (!rules_.recursive) {
        continue;
      }
      // A link back to a folder above would never end.
      const std::optional<FileFacts> facts = files_.Facts(path);
      if (!facts || std::any_of(chain.begin(), chain.end(),
                                [&](const FileFacts& f) { return f.SameFileAs(*facts); })) {
        continue;
      }
      chain.push_back(*facts);
      const bool ok = AddFolder(path, chain);
      chain.pop_back();
      if (!ok) {
        return false;
      }
    }
    return true;
  }

  void AddMatches(const std::string& pattern, std::string_view name) {
    const std::string folder = text::FolderOfPath(pattern, rules_.style, rules_.code_page);
    std::vector<FolderEntry> entries;
    std::vector<std::string> matches;
    if (!HasWildcard(folder) && files_.ListFolder(folder.empty() ? "." : folder, &entries)) {
      for (const FolderEntry& entry : entries) {
        if (!entry.folder && WildcardMatches(name, entry.name, rules_.code_page)) {
          matches.push_back(entry.name);
        }
      }
    }
    if (matches.empty()) {
      out_.notes.push_back("no file matches " + pattern);
      return;
    }
    std::sort(matches.begin(), matches.end(), NameBefore);
    for (const std::string& match : matches) {
      const std::string path = folder + match;
      AddDrawing(path, files_.Facts(path));
    }
  }

  struct Seen {
    std::optional<FileFacts> facts;
    std::string absolute;  // for a path that names nothing (yet)
  };

  const InputRules& rules_;
  InputFiles& files_;
  ExpandedInputs& out_;
  std::vector<Seen> seen_;
  std::size_t found_ = 0;  // drawings met in folders, the ones named twice included
};

bool ReadAll(std::FILE* f, std::string* bytes) {
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    bytes->append(buf, n);
  }
  return std::ferror(f) == 0;
}

}  // namespace

bool HasDrawingExtension(std::string_view name) {
  return name.size() >= 3 && name[name.size() - 3] == '.' &&
         LowerAscii(name[name.size() - 2]) == 'v' && LowerAscii(name[name.size() - 1]) == 'x';
}

bool WildcardMatches(std::string_view pattern, std::string_view name, text::CodePage cp) {
  if (pattern == "*.*") {
    return true;
  }
  return MatchFrom(pattern, 0, name, 0, cp);
}

std::vector<std::string> ListFileLines(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    bytes.remove_prefix(3);
  }
  std::vector<std::string> lines;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    if (line.find_first_not_of(" \t") == std::string_view::npos || line[0] == '#') {
      continue;
    }
    lines.emplace_back(line);
  }
  return lines;
}

bool ParseShard(std::string_view text, Shard* shard, std::string* why) {
  const std::size_t slash = text.find('/');
  std::size_t parts[2] = {0, 0};
  const std::string_view digits[2] = {text.substr(0, slash), slash == std::string_view::npos
                                                                 ? std::string_view()
                                                                 : text.substr(slash + 1)};
  for (int i = 0; i < 2; ++i) {
    if (digits[i].empty() || digits[i].size() > 6 ||
        digits[i].find_first_not_of("0123456789") != std::string_view::npos) {
      *why = "expected K/N, as in 2/8";
      return false;
    }
    for (const char c : digits[i]) {
      parts[i] = parts[i] * 10 + static_cast<std::size_t>(c - '0');
    }
  }
  if (parts[1] == 0 || parts[0] == 0 || parts[0] > parts[1]) {
    *why = "K must be from 1 to N";
    return false;
  }
  *shard = Shard{parts[0], parts[1]};
  return true;
}

std::vector<std::string> ShardDrawings(const std::vector<std::string>& drawings, const Shard& shard,
                                       InputFiles& files) {
  std::vector<std::pair<std::string, const std::string*>> ordered;
  ordered.reserve(drawings.size());
  for (const std::string& drawing : drawings) {
    ordered.emplace_back(files.Absolute(drawing), &drawing);
  }
  std::sort(ordered.begin(), ordered.end(),
            [](const auto& a, const auto& b) { return NameBefore(a.first, b.first); });
  std::vector<std::string> mine;
  for (std::size_t i = shard.number - 1; i < ordered.size(); i += shard.count) {
    mine.push_back(*ordered[i].second);
  }
  return mine;
}

ExpandedInputs ExpandInputs(const std::vector<InputSource>& sources, const InputRules& rules,
                            InputFiles& files, std::FILE* standard_input) {
  ExpandedInputs out;
  Expander expander(rules, files, out);
  for (const InputSource& source : sources) {
    if (source.kind == InputSource::Kind::Path) {
      expander.AddPath(source.text);
    } else {
      std::string bytes;
      bool read = false;
      if (source.text == "-") {
        read = standard_input != nullptr && ReadAll(standard_input, &bytes);
      } else if (std::FILE* f = std::fopen(source.text.c_str(), "rb")) {
        read = ReadAll(f, &bytes);
        std::fclose(f);
      }
      if (!read) {
        out.error =
            "the list " +
            (source.text == "-" ? std::string("on standard input") : "file " + source.text) +
            " cannot be read";
        return out;
      }
      for (const std::string& line : ListFileLines(bytes)) {
        expander.AddPath(line);
      }
    }
    if (!out.ok()) {
      return out;
    }
  }
  return out;
}

}  // namespace plotxfer::cli
