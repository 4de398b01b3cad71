#pragma once
// Turning plotxfer-batch's arguments and list files into the drawings of a run: folders give
// their drawings, list files their lines, wildcards (on Windows) their matches, and a drawing
// named twice is converted once.
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input_files.h"
#include "core/text/codepage.h"
#include "core/text/path.h"

namespace plotxfer::cli {

// One argument or one --list, in the order of the command line.
struct InputSource {
  enum class Kind { Path, ListFile };
  Kind kind = Kind::Path;
  std::string text;  // a drawing, folder or pattern; or the list file ("-": standard input)
};

// A list is something a person or a script wrote, one path a line; anything past these bounds
// is not one (a device that never ends, a binary file) and is refused before it fills memory.
inline constexpr std::size_t kMaxListLineBytes = 32 * 1024;
inline constexpr std::size_t kMaxListEntries = 1000000;

struct InputRules {
  bool recursive = false;  // a folder gives the drawings of its subfolders too
  text::PathStyle style = text::PathStyle::Posix;
  text::CodePage code_page = text::CodePage::Utf8;
  const std::atomic<bool>* stop = nullptr;  // an interrupt: reading ends at once
  std::size_t max_list_line = kMaxListLineBytes;
  std::size_t max_list_entries = kMaxListEntries;
};

// A row that is shown and reported but never handed to the tools.
struct InputRefusal {
  int result = 0;  // the conversion result the row reports
  std::string why;
};

struct ExpandedInputs {
  std::vector<std::string> drawings;  // in order, each file once
  std::vector<std::string> notes;     // what was left out and why (a duplicate, an empty folder)
  // Rows decided here, by their path: a device or FIFO, a folder of -r that cannot be read, a
  // list line that the narrow encoding cannot hold (its path is then "LIST:LINE").
  std::map<std::string, InputRefusal> refused;
  // Another name (a link) of an earlier row's file: its path, and the path of that row.
  std::map<std::string, std::string> same_as;
  std::string error;         // a list or folder that cannot be read; nothing to run then
  bool interrupted = false;  // reading ended by an interrupt; error says where
  bool ok() const { return error.empty(); }
};

ExpandedInputs ExpandInputs(const std::vector<InputSource>& sources, const InputRules& rules,
                            platform::InputFiles& files, std::FILE* standard_input);

// One part of a run spread over N machines or tasks: the number-th of count, from 1.
struct Shard {
  std::size_t number = 1;
  std::size_t count = 1;
};

// "K/N", 1 <= K <= N, in decimal digits only; false with a reason otherwise.
bool ParseShard(std::string_view text, Shard* shard, std::string* why);

// The drawings of one shard. The drawings are ordered by their absolute paths, so that every
// shard of the same inputs computes the same split whatever order the arguments came in, and,
// counting from 0, those whose position is number-1 modulo count are this shard's, in the order
// they were given. A drawing that is another name of an earlier one (same_as) goes with it.
std::vector<std::string> ShardDrawings(const std::vector<std::string>& drawings,
                                       const std::map<std::string, std::string>& same_as,
                                       const Shard& shard, platform::InputFiles& files);

// One path of a list file, in the narrow encoding; or why its line gives none.
struct ListEntry {
  std::size_t line = 0;  // 1-based
  std::string path;
  std::string error;  // the line cannot be held in the narrow encoding
};

// The entries of a list file's bytes, fed in pieces of any size. A byte order mark (UTF-8,
// UTF-16LE, UTF-16BE) says the encoding; without one, a line that is valid UTF-8 and not plain
// ASCII is UTF-8, any other is taken in the narrow encoding as it is. CR LF or LF; blank lines
// and lines whose first non-blank is '#' are left out; blanks at a line's end are no part of
// its path; a path in double quotes is taken without them.
class ListDecoder {
 public:
  explicit ListDecoder(std::size_t max_line = kMaxListLineBytes) : max_line_(max_line) {}
  // Appends the entries that bytes complete; false when a line grows past the bound.
  bool Feed(std::string_view bytes, std::vector<ListEntry>* entries);
  // The last line, when the bytes end without a line end.
  void Finish(std::vector<ListEntry>* entries);

 private:
  enum class Encoding { Unknown, Narrow, Utf8, Utf16Le, Utf16Be };
  void Line(std::string_view raw, std::vector<ListEntry>* entries);
  bool Split(bool at_end, std::vector<ListEntry>* entries);

  std::size_t max_line_;
  Encoding encoding_ = Encoding::Unknown;
  std::string pending_;
  std::size_t line_ = 0;
};

// The entries of a whole list file.
std::vector<ListEntry> ListFileEntries(std::string_view bytes);

// Windows matching of a file name against a pattern of '*' and '?': letters compared without
// regard to case, '?' one character (a double-byte one too), "*.*" every name.
bool WildcardMatches(std::string_view pattern, std::string_view name, text::CodePage cp);

}  // namespace plotxfer::cli
