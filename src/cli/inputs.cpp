#include "cli/inputs.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <set>
#include <utility>
#include <unordered_map>

#include "core/drawing/header.h"
#include "platform/shell_text.h"

#include "core/text/ascii.h"
#include "core/text/name_order.h"
#include "core/text/unicode.h"

namespace plotxfer::cli {

namespace {

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
      if (text::LowerAscii(p[pi]) != text::LowerAscii(n[ni])) {
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
  Expander(const InputRules& rules, platform::InputFiles& files, ExpandedInputs& out)
      : rules_(rules), files_(files), out_(out) {}

  void AddPath(const std::string& path) {
    const std::string_view name = text::FileNameOf(path, rules_.style, rules_.code_page);
    std::optional<platform::FileFacts> facts = files_.Facts(path);
    if (!facts && files_.ExpandsWildcards() && HasWildcard(name)) {
      AddMatches(path, name);
      return;
    }
    if (facts && facts->folder) {
      const std::size_t before = found_;
      std::vector<platform::FileFacts> chain{*facts};
      if (!AddFolder(path, chain)) {
        out_.error = "the folder " + path + " cannot be read";
      } else if (found_ == before) {
        out_.notes.push_back("no drawings (.VX) in the folder " + path);
      }
      return;
    }
    // A path that names nothing stays a drawing: its row then says that it cannot be opened.
    AddDrawing(path, facts);
  }

  // A row that is shown but never converted.
  void AddRefused(const std::string& path, int result, std::string why) {
    if (!Known(path)) {
      out_.drawings.push_back(path);
      out_.refused[path] = {result, std::move(why)};
    }
  }

 private:
  std::string Join(const std::string& folder, const std::string& name) const {
    return text::WithTrailingSeparator(folder, rules_.style, rules_.code_page) + name;
  }

  // The absolute path as compared: letters in one case for Windows paths, a trail byte never
  // folded (it is no letter).
  std::string TextKey(const std::string& path) const {
    const std::string absolute = files_.Absolute(path);
    if (rules_.style == text::PathStyle::Posix) {
      return absolute;
    }
    std::string key;
    key.reserve(absolute.size());
    for (std::size_t i = 0; i < absolute.size();) {
      const std::size_t n = text::CharLength(absolute, i, rules_.code_page);
      if (n == 1) {
        key += absolute[i] == '/' ? '\\' : text::LowerAscii(absolute[i]);
      } else {
        key.append(absolute, i, n);
      }
      i += n;
    }
    return key;
  }

  // True (with a note) when the path names a row's file by the same text again: the row is
  // not repeated. Records the path otherwise.
  bool Known(const std::string& path) {
    const auto [at, added] = by_text_.emplace(TextKey(path), out_.drawings.size());
    if (!added) {
      out_.notes.push_back(path + " is the drawing of row " + std::to_string(at->second + 1) +
                           " (" + out_.drawings[at->second] + ") again; it is converted once");
      return true;
    }
    return false;
  }

  void AddDrawing(const std::string& path, const std::optional<platform::FileFacts>& facts) {
    if (facts && facts->special) {
      AddRefused(path, 1, "not a regular file (a device, FIFO or socket); it is not opened");
      return;
    }
    if (Known(path)) {
      return;
    }
    const std::size_t row = out_.drawings.size();
    out_.drawings.push_back(path);
    if (!facts) {
      return;
    }
    // Another name of a file already in the run (a link) gets a row of its own that points to
    // the first, so that no name given vanishes from the record.
    const auto [first, added] = by_file_.emplace(FileKey{facts->device, facts->index}, row);
    if (!added) {
      const std::string& original = out_.drawings[first->second];
      out_.same_as[path] = original;  // its row says so, also with -q
    }
  }

  // False when the folder cannot be read. A subfolder that cannot be read is a row of its own:
  // the rest of the tree is still converted.
  bool AddFolder(const std::string& folder, std::vector<platform::FileFacts>& chain) {
    std::vector<platform::FolderEntry> entries;
    if (!files_.ListFolder(folder, &entries)) {
      return false;
    }
    std::sort(entries.begin(), entries.end(),
              [](const platform::FolderEntry& a, const platform::FolderEntry& b) {
                return text::NameBefore(a.name, b.name);
              });
    for (const platform::FolderEntry& entry : entries) {
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
      const std::optional<platform::FileFacts> facts = files_.Facts(path);
      if (!facts || std::any_of(chain.begin(), chain.end(), [&](const platform::FileFacts& f) {
            return f.SameFileAs(*facts);
          })) {
        continue;
      }
      chain.push_back(*facts);
      if (!AddFolder(path, chain)) {
        ++found_;
        AddRefused(path, 1, "the folder cannot be read; its drawings are not converted");
      }
      chain.pop_back();
    }
    return true;
  }

  void AddMatches(const std::string& pattern, std::string_view name) {
    const std::string folder = text::FolderOfPath(pattern, rules_.style, rules_.code_page);
    std::vector<platform::FolderEntry> entries;
    std::vector<std::string> matches;
    if (!HasWildcard(folder) && files_.ListFolder(folder.empty() ? "." : folder, &entries)) {
      for (const platform::FolderEntry& entry : entries) {
        if (!entry.folder && WildcardMatches(name, entry.name, rules_.code_page)) {
          matches.push_back(entry.name);
        }
      }
    }
    if (matches.empty()) {
      out_.notes.push_back("no file matches " + pattern);
      return;
    }
    std::sort(matches.begin(), matches.end(),
              [](const std::string& a, const std::string& b) { return text::NameBefore(a, b); });
    for (const std::string& match : matches) {
      const std::string path = folder + match;
      AddDrawing(path, files_.Facts(path));
    }
  }

  struct FileKey {
    std::uint64_t device;
    std::uint64_t index;
    bool operator==(const FileKey& o) const { return device == o.device && index == o.index; }
  };
  struct FileKeyHash {
    std::size_t operator()(const FileKey& k) const {
      return std::hash<std::uint64_t>()(k.device * 0x9E3779B97F4A7C15ull ^ k.index);
    }
  };

  const InputRules& rules_;
  platform::InputFiles& files_;
  ExpandedInputs& out_;
  std::unordered_map<std::string, std::size_t> by_text_;           // row of each path text
  std::unordered_map<FileKey, std::size_t, FileKeyHash> by_file_;  // first row of each file
  std::size_t found_ = 0;  // drawings met in folders, the ones named twice included
};

}  // namespace

bool WildcardMatches(std::string_view pattern, std::string_view name, text::CodePage cp) {
  if (pattern == "*.*") {
    return true;
  }
  return MatchFrom(pattern, 0, name, 0, cp);
}

namespace {

bool PlainAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A list file, or standard input, read in pieces so that reading can end at an interrupt.
class ListSource {
 public:
  explicit ListSource(const std::string& name, std::FILE* standard_input) {
    if (name == "-") {
      file_ = standard_input;
    } else {
      file_ = std::fopen(name.c_str(), "rb");
      owned_ = file_ != nullptr;
    }
  }
  ~ListSource() {
    if (owned_) {
      std::fclose(file_);
    }
  }
  ListSource(const ListSource&) = delete;
  ListSource& operator=(const ListSource&) = delete;

  bool open() const { return file_ != nullptr; }
  // The next piece; empty at the end. *failed on a read error.
  std::string_view Next(bool* failed) {
    const std::size_t n = std::fread(buffer_, 1, sizeof buffer_, file_);
    *failed = n == 0 && std::ferror(file_) != 0;
    return {buffer_, n};
  }

 private:
  std::FILE* file_ = nullptr;
  bool owned_ = false;
  char buffer_[65536];
};

}  // namespace

bool ListDecoder::Feed(std::string_view bytes, std::vector<ListEntry>* entries) {
  pending_.append(bytes);
  if (encoding_ == Encoding::Unknown) {
    if (pending_.size() < 3 && !bytes.empty()) {
      return true;  // a byte order mark may still be on its way
    }
    if (pending_.compare(0, 3, "\xEF\xBB\xBF") == 0) {
      encoding_ = Encoding::Utf8;
      pending_.erase(0, 3);
    } else if (pending_.compare(0, 2, "\xFF\xFE") == 0) {
      encoding_ = Encoding::Utf16Le;
      pending_.erase(0, 2);
    } else if (pending_.compare(0, 2, "\xFE\xFF") == 0) {
      encoding_ = Encoding::Utf16Be;
      pending_.erase(0, 2);
    } else {
      encoding_ = Encoding::Narrow;
    }
  }
  return Split(false, entries);
}

void ListDecoder::Finish(std::vector<ListEntry>* entries) {
  if (encoding_ == Encoding::Unknown) {
    Feed({}, entries);
  }
  Split(true, entries);
}

bool ListDecoder::Split(bool at_end, std::vector<ListEntry>* entries) {
  const bool wide = encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be;
  const std::size_t unit = wide ? 2 : 1;
  const std::size_t low = encoding_ == Encoding::Utf16Be ? 1 : 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i + unit <= pending_.size(); i += unit) {
    const bool newline = pending_[i + low] == '\n' && (!wide || pending_[i + (1 - low)] == '\0');
    if (newline) {
      if (i - start > max_line_) {
        return false;
      }
      Line(std::string_view(pending_).substr(start, i - start), entries);
      start = i + unit;
    }
  }
  pending_.erase(0, start);
  if (at_end && !pending_.empty()) {
    Line(pending_, entries);
    pending_.clear();
  }
  return pending_.size() <= max_line_;
}

void ListDecoder::Line(std::string_view raw, std::vector<ListEntry>* entries) {
  ++line_;
  std::string narrow;
  std::string error;
  if (encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be) {
    const std::u16string wide = text::Utf16FromBytes(raw, encoding_ == Encoding::Utf16Be);
    if (!platform::NarrowFromUtf16(wide, &narrow)) {
      error = "the line cannot be held in the system's code page (or is not valid UTF-16)";
    }
  } else if (PlainAscii(raw)) {
    narrow.assign(raw);
  } else if (!platform::NarrowFromUtf8(raw, &narrow)) {
    if (encoding_ == Encoding::Utf8) {
      error = "the line cannot be held in the system's code page (or is not valid UTF-8)";
    } else if (text::IsUtf8(raw)) {
      error = "the line (UTF-8) cannot be held in the system's code page";
    } else {
      narrow.assign(raw);  // the narrow encoding already
    }
  }
  if (error.empty() && narrow.find('\0') != std::string::npos) {
    error = "the line holds a NUL byte, which no path does";  // a binary file, not a list
  }
  std::string_view text = narrow;
  if (!text.empty() && text.back() == '\r') {
    text.remove_suffix(1);
  }
  while (!text.empty() && text::IsBlank(text.back())) {
    text.remove_suffix(1);
  }
  const std::size_t first = text.find_first_not_of(" \t");
  if (error.empty() && (first == std::string_view::npos || text[first] == '#')) {
    return;
  }
  // Explorer's "copy as path" puts the path in double quotes.
  if (first != std::string_view::npos && text.size() - first >= 2 && text[first] == '"' &&
      text.back() == '"') {
    text = text.substr(first + 1, text.size() - first - 2);
  }
  entries->push_back({line_, error.empty() ? std::string(text) : std::string(), std::move(error)});
}

std::vector<ListEntry> ListFileEntries(std::string_view bytes) {
  ListDecoder decoder(bytes.size() + 1);
  std::vector<ListEntry> entries;
  decoder.Feed(bytes, &entries);
  decoder.Finish(&entries);
  return entries;
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

std::vector<std::string> ShardDrawings(const std::vector<std::string>& drawings,
                                       const std::map<std::string, std::string>& same_as,
                                       const Shard& shard, platform::InputFiles& files) {
  const auto first_name = [&](const std::string& drawing) -> const std::string& {
    const std::string* name = &drawing;
    for (auto other = same_as.find(*name); other != same_as.end() && other->second != *name;
         other = same_as.find(*name)) {
      name = &other->second;
    }
    return *name;
  };
  std::vector<std::pair<std::string, const std::string*>> ordered;
  for (const std::string& drawing : drawings) {
    if (same_as.count(drawing) == 0) {
      ordered.emplace_back(files.Absolute(drawing), &drawing);
    }
  }
  std::sort(ordered.begin(), ordered.end(),
            [](const auto& a, const auto& b) { return text::NameBefore(a.first, b.first); });
  std::set<std::string> mine;
  for (std::size_t i = shard.number - 1; i < ordered.size(); i += shard.count) {
    mine.insert(*ordered[i].second);
  }
  std::vector<std::string> part;
  for (const std::string& drawing : drawings) {
    if (mine.count(first_name(drawing)) != 0) {
      part.push_back(drawing);
    }
  }
  return part;
}

ExpandedInputs ExpandInputs(const std::vector<InputSource>& sources, const InputRules& rules,
                            platform::InputFiles& files, std::FILE* standard_input) {
  ExpandedInputs out;
  Expander expander(rules, files, out);
  const auto stopped = [&] { return rules.stop != nullptr && rules.stop->load(); };
  for (const InputSource& source : sources) {
    if (stopped()) {
      out.interrupted = true;
      out.error = "interrupted while reading the drawings";
      return out;
    }
    if (source.kind == InputSource::Kind::Path) {
      expander.AddPath(source.text);
      if (!out.ok()) {
        return out;
      }
      continue;
    }
    const std::string what = source.text == "-" ? std::string("the list on standard input")
                                                : "the list file " + source.text;
    ListSource list(source.text, standard_input);
    if (!list.open()) {
      out.error = what + " cannot be read";
      return out;
    }
    ListDecoder decoder(rules.max_list_line);
    std::size_t taken = 0;
    std::vector<ListEntry> entries;
    for (bool end = false; !end;) {
      bool failed = false;
      const std::string_view piece = list.Next(&failed);
      if (failed) {
        out.error = what + " cannot be read";
        return out;
      }
      end = piece.empty();
      entries.clear();
      if (end) {
        decoder.Finish(&entries);
      } else if (!decoder.Feed(piece, &entries)) {
        out.error = what + " has a line longer than " + std::to_string(rules.max_list_line / 1024) +
                    " KiB: not a list of paths";
        return out;
      }
      for (const ListEntry& entry : entries) {
        if (++taken > rules.max_list_entries) {
          out.error =
              what + " names more than " + std::to_string(rules.max_list_entries) + " drawings";
          return out;
        }
        if (!entry.error.empty()) {
          expander.AddRefused(
              source.text + ":" + std::to_string(entry.line), 4,
              "line " + std::to_string(entry.line) + " of " + what + ": " + entry.error);
        } else {
          expander.AddPath(entry.path);
        }
        if (!out.ok()) {
          return out;
        }
      }
      if (stopped()) {
        out.interrupted = true;
        out.error = "interrupted while reading " + what;
        return out;
      }
    }
  }
  return out;
}

}  // namespace plotxfer::cli
