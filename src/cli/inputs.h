#pragma once
// Turning plotxfer-batch's arguments and list files into the drawings of a run: folders give
// their drawings, list files their lines, wildcards (on Windows) their matches, and a drawing
// named twice is converted once.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/input_files.h"
#include "core/text/codepage.h"
#include "core/text/path.h"

namespace plotxfer::cli {

// One argument or one --list, in the order of the command line.
struct InputSource {
  enum class Kind { Path, ListFile };
  Kind kind = Kind::Path;
  std::string text;  // a drawing, folder or pattern; or the list file ("-": standard input)
};

struct InputRules {
  bool recursive = false;  // a folder gives the drawings of its subfolders too
  text::PathStyle style = text::PathStyle::Posix;
  text::CodePage code_page = text::CodePage::Utf8;
};

struct ExpandedInputs {
  std::vector<std::string> drawings;  // in order, each file once
  std::vector<std::string> notes;     // what was left out and why (a duplicate, an empty folder)
  std::string error;                  // a list or folder that cannot be read; nothing to run then
  bool ok() const { return error.empty(); }
};

ExpandedInputs ExpandInputs(const std::vector<InputSource>& sources, const InputRules& rules,
                            InputFiles& files, std::FILE* standard_input);

// One part of a run spread over N machines or tasks: the number-th of count, from 1.
struct Shard {
  std::size_t number = 1;
  std::size_t count = 1;
};

// "K/N", 1 <= K <= N, in decimal digits only; false with a reason otherwise.
bool ParseShard(std::string_view text, Shard* shard, std::string* why);

// The drawings of one shard. They are ordered by their absolute paths first, so that every shard
// of the same inputs computes the same split whatever order the arguments came in; then, counting
// from 0, every drawing whose position is number-1 modulo count, in that order.
std::vector<std::string> ShardDrawings(const std::vector<std::string>& drawings, const Shard& shard,
                                       InputFiles& files);

// The lines of a list file: CR LF or LF, blank lines and lines starting with '#' left out, a
// UTF-8 byte order mark at the start ignored.
std::vector<std::string> ListFileLines(std::string_view bytes);

// Windows matching of a file name against a pattern of '*' and '?': letters compared without
// regard to case, '?' one character (a double-byte one too), "*.*" every name.
bool WildcardMatches(std::string_view pattern, std::string_view name, text::CodePage cp);

// True when the name ends in ".VX", in any letter case.
bool HasDrawingExtension(std::string_view name);

}  // namespace plotxfer::cli
