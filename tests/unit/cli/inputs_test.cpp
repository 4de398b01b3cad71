// Arguments and list files into drawings, on real folders.
#include "cli/inputs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>

#ifdef _WIN32
#include <direct.h>
#else
#include <sys/stat.h>
#endif

#include "platform/codepage.h"
#include "temp_files.h"

using plotxfer::cli::ExpandedInputs;
using plotxfer::cli::ExpandInputs;
using plotxfer::cli::InputRules;
using plotxfer::cli::InputSource;
using plotxfer::cli::ParseShard;
using plotxfer::cli::ShardDrawings;
using plotxfer::platform::FileFacts;
using plotxfer::platform::FolderEntry;
using plotxfer::platform::InputFiles;
using plotxfer::platform::SystemInputFiles;
using plotxfer::testing::TempFolder;
using plotxfer::testing::WriteBytes;
namespace text = plotxfer::text;

namespace {

#ifdef _WIN32
constexpr text::PathStyle kStyle = text::PathStyle::Windows;
const std::string kSep = "\\";
#else
constexpr text::PathStyle kStyle = text::PathStyle::Posix;
const std::string kSep = "/";
#endif

// The system's files, with wildcard expansion as on Windows: the matching is the same code on
// both platforms, so it is shown natively too.
class ExpandingFiles : public InputFiles {
 public:
  std::optional<FileFacts> Facts(const std::string& p) override {
    return SystemInputFiles().Facts(p);
  }
  bool ListFolder(const std::string& f, std::vector<FolderEntry>* e) override {
    return SystemInputFiles().ListFolder(f, e);
  }
  std::string Absolute(const std::string& p) override { return SystemInputFiles().Absolute(p); }
  bool ExpandsWildcards() const override { return true; }
};

class InputsTest : public ::testing::Test {
 protected:
  InputsTest() {
    for (const char* name : {"b.VX", "A.vx", "c.Vx", "notes.txt", "d.VXB"}) {
      WriteBytes(Path(name), "x");
    }
    std::filesystem::create_directories(Path("sub") + kSep + "deeper");
    WriteBytes(Path("sub") + kSep + "s.VX", "x");
    WriteBytes(Path("sub") + kSep + "deeper" + kSep + "t.VX", "x");
  }
  std::string Path(const std::string& name) const { return dir.Path() + kSep + name; }

  ExpandedInputs Expand(std::vector<InputSource> sources, bool recursive = false,
                        std::FILE* in = nullptr) {
    const InputRules rules{recursive, kStyle, plotxfer::platform::ActiveCodePage()};
    return ExpandInputs(sources, rules, files, in);
  }

  TempFolder dir;
  ExpandingFiles files;
};

InputSource Arg(std::string p) {
  return {InputSource::Kind::Path, std::move(p)};
}
InputSource List(std::string p) {
  return {InputSource::Kind::ListFile, std::move(p)};
}

}  // namespace

TEST_F(InputsTest, FoldersListsAndPatternsGiveTheirDrawingsInOrder) {
  WriteBytes(Path("list.txt"), "# tonight\r\n" + Path("c.Vx") + "\r\n\r\n  \n" + Path("sub") +
                                   "\n" + Path("missing.VX"));
  struct Case {
    const char* what;
    std::vector<InputSource> sources;
    bool recursive;
    std::vector<std::string> drawings;
    const char* note = "";  // what the one note says, where one is expected
  };
  const std::vector<Case> cases = {
      {"a folder: its .VX files in any case, by name, no subfolders",
       {Arg(dir.Path())},
       false,
       {Path("A.vx"), Path("b.VX"), Path("c.Vx")}},
      {"recursive: a subfolder at its name's place",
       {Arg(dir.Path())},
       true,
       {Path("A.vx"), Path("b.VX"), Path("c.Vx"), Path("sub") + kSep + "deeper" + kSep + "t.VX",
        Path("sub") + kSep + "s.VX"}},
      {"a list: comments and blank lines skipped, CR LF, a missing file kept for its row",
       {List(Path("list.txt"))},
       false,
       {Path("c.Vx"), Path("sub") + kSep + "s.VX", Path("missing.VX")}},
      {"arguments and lists in command-line order, each file once",
       {Arg(Path("b.VX")), List(Path("list.txt")), Arg(Path("c.Vx"))},
       false,
       {Path("b.VX"), Path("c.Vx"), Path("sub") + kSep + "s.VX", Path("missing.VX")}},
      {"a pattern: matching files by name, letters in any case",
       {Arg(Path("*.vx"))},
       false,
       {Path("A.vx"), Path("b.VX"), Path("c.Vx")}},
      {"a pattern with ?", {Arg(Path("?.V?"))}, false, {Path("A.vx"), Path("b.VX"), Path("c.Vx")}},
      {"a pattern matching nothing gives nothing", {Arg(Path("*.pdf"))}, false, {}, "no file"},
      {"a folder without drawings", {Arg(Path("empty"))}, true, {}, "no drawings"},
  };
  std::filesystem::create_directory(Path("empty"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ExpandedInputs got = Expand(c.sources, c.recursive);
    EXPECT_TRUE(got.ok()) << got.error;
    EXPECT_EQ(got.drawings, c.drawings);
    if (*c.note != '\0') {
      ASSERT_EQ(got.notes.size(), 1u);
      EXPECT_NE(got.notes[0].find(c.note), std::string::npos) << got.notes[0];
    }
  }

  // A folder whose name ends in 表 (0x95 0x5C under code page 932) ends in no separator.
  const text::CodePage cp = plotxfer::platform::ActiveCodePage();
  if (cp != text::CodePage::SingleByte) {
    const std::string folder =
        Path(cp == text::CodePage::ShiftJis ? "in \x95\x5C" : "in \xE8\xA1\xA8");
#ifdef _WIN32
    ASSERT_EQ(_mkdir(folder.c_str()), 0);
#else
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
#endif
    WriteBytes(folder + kSep + "e.VX", "x");
    EXPECT_EQ(Expand({Arg(folder)}).drawings, std::vector<std::string>{folder + kSep + "e.VX"});
  }
}

TEST_F(InputsTest, TheSameFileNamedTwiceIsConvertedOnce) {
  const std::string other_spelling = dir.Path() + kSep + "sub" + kSep + ".." + kSep + "b.VX";
  const ExpandedInputs got = Expand({Arg(Path("b.VX")), Arg(dir.Path()), Arg(other_spelling),
                                     Arg(Path("gone.VX")), Arg(Path("gone.VX"))});
  EXPECT_EQ(got.drawings,
            (std::vector<std::string>{Path("b.VX"), Path("A.vx"), Path("c.Vx"), Path("gone.VX")}));
  ASSERT_EQ(got.notes.size(), 3u);
  EXPECT_NE(got.notes[0].find("row 1"), std::string::npos) << got.notes[0];
}

TEST_F(InputsTest, AListOnStandardInputAndListsThatCannotBeRead) {
  const std::string stdin_file = Path("stdin.txt");
  WriteBytes(stdin_file, "\xEF\xBB\xBF" + Path("A.vx") + "\n#" + Path("b.VX") + "\n");
  std::FILE* in = std::fopen(stdin_file.c_str(), "rb");
  ASSERT_NE(in, nullptr);
  const ExpandedInputs got = Expand({List("-")}, false, in);
  std::fclose(in);
  EXPECT_EQ(got.drawings, std::vector<std::string>{Path("A.vx")});

  const ExpandedInputs missing = Expand({Arg(Path("A.vx")), List(Path("nolist.txt"))});
  EXPECT_FALSE(missing.ok());
  EXPECT_NE(missing.error.find("nolist.txt"), std::string::npos) << missing.error;
}

TEST(WildcardMatches, WindowsRules) {
  using plotxfer::cli::WildcardMatches;
  constexpr auto sjis = text::CodePage::ShiftJis;
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      {"*.VX", "plan.vx", true},
      {"*.VX", "plan.VXB", false},
      {"*.*", "README", true},
      {"p?an.VX", "plan.VX", true},
      {"p?an.VX", "pan.VX", false},
      {"*", "", true},
      {"a*b*c", "aXXbYYc", true},
      {"a*b*c", "aXXbYY", false},
      // 表 is 0x95 0x5C: one character for '?', and its trail byte is no backslash.
      {"?.VX", "\x95\x5C.VX", true},
      {"\x95\x5C*", "\x95\x5C\x8E\xA6.VX", true},
      {"\x95\x5D*", "\x95\x5C.VX", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " " + c.name);
    EXPECT_EQ(WildcardMatches(c.pattern, c.name, sjis), c.matches);
  }
}

namespace {

// Paths relative to a fixed current folder; nothing on disk is asked.
class FolderOfNames : public InputFiles {
 public:
  std::optional<FileFacts> Facts(const std::string&) override { return std::nullopt; }
  bool ListFolder(const std::string&, std::vector<FolderEntry>*) override { return false; }
  std::string Absolute(const std::string& p) override { return p[0] == '/' ? p : "/w/" + p; }
  bool ExpandsWildcards() const override { return false; }
};

}  // namespace

TEST(ShardDrawings, EachPartTakesEveryNthOfThePathOrderWhateverTheArgumentOrder) {
  using plotxfer::cli::Shard;
  // A relative and an absolute spelling sort as the same folder; letters regardless of case.
  // "link.VX" is another name of c.VX: it goes with c.VX and takes no position of its own.
  const std::vector<std::string> sorted = {"a.VX",      "/w/B.VX", "c.VX",    "d/e.VX",
                                           "/w/d/F.VX", "g.VX",    "link.VX", "/x/a.VX"};
  const std::map<std::string, std::string> same_as = {{"link.VX", "c.VX"}};
  struct Case {
    Shard shard;
    std::vector<std::string> expected;
  } cases[] = {
      {{1, 1}, sorted},
      {{1, 3}, {"a.VX", "d/e.VX", "/x/a.VX"}},
      {{2, 3}, {"/w/B.VX", "/w/d/F.VX"}},
      {{3, 3}, {"c.VX", "g.VX", "link.VX"}},
      {{7, 7}, {"/x/a.VX"}},
      {{5, 9}, {"/w/d/F.VX"}},
      {{8, 9}, {}},
  };
  FolderOfNames files;
  const std::vector<std::string> reversed(sorted.rbegin(), sorted.rend());
  const std::vector<std::string> shuffled = {"d/e.VX", "/x/a.VX",   "a.VX",    "g.VX",
                                             "c.VX",   "/w/d/F.VX", "link.VX", "/w/B.VX"};
  const auto split = [&](const std::vector<std::string>& order, Shard shard) {
    std::vector<std::string> part = ShardDrawings(order, same_as, shard, files);
    std::sort(part.begin(), part.end());
    return part;
  };
  for (Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.shard.number) + "/" + std::to_string(c.shard.count));
    std::sort(c.expected.begin(), c.expected.end());
    for (const std::vector<std::string>* order : {&sorted, &reversed, &shuffled}) {
      EXPECT_EQ(split(*order, c.shard), c.expected);
    }
  }
  // The part keeps the order the drawings were given in.
  EXPECT_EQ(ShardDrawings(shuffled, same_as, Shard{3, 3}, files),
            (std::vector<std::string>{"g.VX", "c.VX", "link.VX"}));
  // Whatever N, the N parts together hold each drawing exactly once.
  std::vector<std::string> all = sorted;
  std::sort(all.begin(), all.end());
  for (std::size_t n = 1; n <= sorted.size() + 2; ++n) {
    std::vector<std::string> together;
    for (std::size_t k = 1; k <= n; ++k) {
      const std::vector<std::string> part = split(shuffled, Shard{k, n});
      together.insert(together.end(), part.begin(), part.end());
    }
    std::sort(together.begin(), together.end());
    EXPECT_EQ(together, all) << "N = " << n;
  }
}

TEST(ParseShard, KOfNFromOneToN) {
  using plotxfer::cli::Shard;
  struct Case {
    const char* text;
    bool ok;
    std::size_t number, count;
  } cases[] = {
      {"1/3", true, 1, 3},       {"3/3", true, 3, 3},    {"1/1", true, 1, 1},
      {"12/400", true, 12, 400}, {"0/3", false, 0, 0},   {"4/3", false, 0, 0},
      {"1/0", false, 0, 0},      {"3", false, 0, 0},     {"/3", false, 0, 0},
      {"1/", false, 0, 0},       {"-1/3", false, 0, 0},  {"1/3x", false, 0, 0},
      {" 1/3", false, 0, 0},     {"1/3/5", false, 0, 0}, {"1/9999999", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Shard shard{99, 99};
    std::string why;
    EXPECT_EQ(ParseShard(c.text, &shard, &why), c.ok);
    if (c.ok) {
      EXPECT_EQ(shard.number, c.number);
      EXPECT_EQ(shard.count, c.count);
    } else {
      EXPECT_FALSE(why.empty());
    }
  }
}
TEST(ListDecoder, ListsAsPeopleWriteThem) {
  using plotxfer::cli::ListDecoder;
  using plotxfer::cli::ListEntry;
  using plotxfer::cli::ListFileEntries;
  const text::CodePage cp = plotxfer::platform::ActiveCodePage();
  // 表紙.VX: UTF-8 in the file, the code page's bytes as a path.
  const std::string cover_utf8 = "\xE8\xA1\xA8\xE7\xB4\x99.VX";
  const std::string cover = cp == text::CodePage::ShiftJis ? "\x95\x5C\x8E\x86.VX" : cover_utf8;
  const auto utf16 = [](const std::string& ascii_or_cover, bool big_endian) {
    // The UTF-16 of the given ASCII text, with 表紙 where a '*' stands.
    std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : ascii_or_cover) {
      const std::u16string units = c == '*' ? u"\u8868\u7D19" : std::u16string(1, char16_t(c));
      for (const char16_t u : units) {
        const char hi = static_cast<char>(u >> 8);
        const char lo = static_cast<char>(u & 0xFF);
        out += big_endian ? std::string{hi, lo} : std::string{lo, hi};
      }
    }
    return out;
  };
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> paths;
    std::size_t error_line = 0;  // the line given as a row error, if any
  };
  const std::vector<Case> cases = {
      {"a UTF-8 byte order mark", "\xEF\xBB\xBF" + cover_utf8 + "\r\nb.VX\r\n", {cover, "b.VX"}},
      {"UTF-16LE (older PowerShell >)", utf16("*.VX\r\nb.VX\r\n", false), {cover, "b.VX"}},
      {"UTF-16BE", utf16("a.VX\n*.VX", true), {"a.VX", cover}},
      {"UTF-8 without a mark (Notepad, current PowerShell)",
       "a.VX\n" + cover_utf8 + "\n",
       {"a.VX", cover}},
      {"Explorer's copy as path, blanks at the ends, comments after blanks",
       "\"C:\\x y\\a.VX\"\r\n  # not a path\r\n\t#nor this\nb.VX  \t\r\n   \r\n\"\"\n",
       {"C:\\x y\\a.VX", "b.VX", ""}},
      {"a lone surrogate in UTF-16 is a row error",
       utf16("a.VX\n", false) + std::string("\x00\xD8\n\x00", 4),
       {"a.VX", ""},
       2},
      {"a NUL byte is no part of a path", std::string("a.VX\0b\nc.VX\n", 12), {"", "c.VX"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Fed whole and a byte at a time, as a pipe may deliver it.
    std::vector<ListEntry> by_byte;
    ListDecoder decoder;
    for (const char b : c.bytes) {
      ASSERT_TRUE(decoder.Feed(std::string_view(&b, 1), &by_byte));
    }
    decoder.Finish(&by_byte);
    for (const auto& entries : {ListFileEntries(c.bytes), by_byte}) {
      std::vector<std::string> paths;
      std::size_t error_line = 0;
      for (const ListEntry& e : entries) {
        paths.push_back(e.path);
        if (!e.error.empty()) {
          error_line = e.line;
        }
      }
      EXPECT_EQ(paths, c.paths);
      EXPECT_EQ(error_line, c.error_line);
    }
  }
  // A character the code page lacks is refused, never replaced by a look-alike.
  const std::vector<ListEntry> accent = ListFileEntries(
      "\xEF\xBB\xBF"
      "caf\xC3\xA9.VX\n");
  ASSERT_EQ(accent.size(), 1u);
  EXPECT_EQ(accent[0].error.empty(), cp != text::CodePage::ShiftJis) << accent[0].error;
}

TEST_F(InputsTest, InputsThatAreNoDrawingsOrNeverEndAreBounded) {
  std::filesystem::create_directory(Path("locked"));
  WriteBytes(Path("long.txt"), std::string(100, 'x') + "\n");
  WriteBytes(Path("many.txt"), "a\nb\nc\nd\n");
  WriteBytes(Path("two.txt"), Path("A.vx") + "\n" + Path("b.VX") + "\n");
  // A folder that cannot be read, whoever runs the test.
  class Unreadable : public ExpandingFiles {
   public:
    explicit Unreadable(std::string folder) : folder_(std::move(folder)) {}
    bool ListFolder(const std::string& f, std::vector<FolderEntry>* e) override {
      return f != folder_ && ExpandingFiles::ListFolder(f, e);
    }

   private:
    std::string folder_;
  } unreadable(Path("locked"));
  std::atomic<bool> stop{true};
  struct Case {
    const char* what;
    std::vector<InputSource> sources;
    const std::atomic<bool>* stop;
    std::vector<std::string> drawings;
    std::vector<std::string> refused;
    const char* error = "";
  };
  std::vector<Case> cases = {
      {"a subfolder of -r that cannot be read is a row; the rest is converted",
       {Arg(dir.Path())},
       nullptr,
       {Path("A.vx"), Path("b.VX"), Path("c.Vx"), Path("locked"),
        Path("sub") + kSep + "deeper" + kSep + "t.VX", Path("sub") + kSep + "s.VX"},
       {Path("locked")}},
      {"a line past the bound", {List(Path("long.txt"))}, nullptr, {}, {}, "longer than"},
      {"more entries than the bound", {List(Path("many.txt"))}, nullptr, {}, {}, "more than 3"},
      {"an interrupt ends the reading", {List(Path("two.txt"))}, &stop, {}, {}, "interrupted"},
  };
#ifndef _WIN32
  TempFolder other;
  const std::string fifo = other.File("fifo.VX");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  cases.push_back({"a FIFO, a device: rows never opened",
                   {Arg(fifo), Arg("/dev/null"), Arg(Path("b.VX"))},
                   nullptr,
                   {fifo, "/dev/null", Path("b.VX")},
                   {"/dev/null", fifo}});
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    InputRules rules{true, kStyle, plotxfer::platform::ActiveCodePage(), c.stop};
    rules.max_list_line = 64;
    rules.max_list_entries = 3;
    const ExpandedInputs got = ExpandInputs(c.sources, rules, unreadable, nullptr);
    EXPECT_NE(got.error.find(c.error), std::string::npos) << got.error;
    EXPECT_EQ(got.error.empty(), *c.error == '\0') << got.error;
    EXPECT_EQ(got.interrupted, c.stop != nullptr);
    if (!got.ok()) {
      continue;  // nothing runs then
    }
    EXPECT_EQ(got.drawings, c.drawings);
    std::vector<std::string> refused;
    for (const auto& [path, why] : got.refused) {
      refused.push_back(path);
    }
    std::sort(refused.begin(), refused.end());
    EXPECT_EQ(refused, c.refused);
  }
}

#ifndef _WIN32
TEST_F(InputsTest, OtherNamesOfADrawingGetRowsThatPointToIt) {
  std::filesystem::create_symlink(Path("b.VX"), Path("soft.VX"));
  std::filesystem::create_hard_link(Path("b.VX"), Path("hard.VX"));
  const ExpandedInputs got =
      Expand({Arg(Path("b.VX")), Arg(Path("soft.VX")), Arg(Path("hard.VX")), Arg(Path("b.VX"))});
  EXPECT_EQ(got.drawings,
            (std::vector<std::string>{Path("b.VX"), Path("soft.VX"), Path("hard.VX")}));
  EXPECT_EQ(got.same_as, (std::map<std::string, std::string>{{Path("soft.VX"), Path("b.VX")},
                                                             {Path("hard.VX"), Path("b.VX")}}));
  EXPECT_EQ(got.notes.size(), 1u);  // the same name again
}
#endif
