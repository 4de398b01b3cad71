// Our command lines held against the programs that read them. Each generated line is split by
// the system's CommandLineToArgvW, by the C runtime of a child program (what the tools use), by
// our own splitter (how Linux starts the tools) and by the stand-ins' splitter; all four must
// give the same tokens, and the tokens must be the paths and values the line was built from.
// A value we refuse to quote must be one that would not have come back intact.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/convert/command_lines.h"
#include "core/text/command_line.h"
#include "generated_text.h"
#include "support/win_cmdline.h"

namespace {

using plotxfer::differential::Hex;
using plotxfer::differential::Tally;
using plotxfer::differential::TextGenerator;
using plotxfer::text::CodePage;
using Tokens = std::vector<std::string>;

// An index counted from the end of the tokens: kFromEnd + 1 is the last one.
constexpr std::size_t kFromEnd = 1000;

constexpr CodePage kSjis = CodePage::ShiftJis;

// The longest line a child can be started with (CreateProcess's limit is 32767 characters).
constexpr std::size_t kMaxBatchLine = 30000;

std::string Describe(const Tokens& tokens) {
  std::string out;
  for (const auto& t : tokens) {
    out += "[" + Hex(t) + "] ";
  }
  return out;
}

Tokens OurSplit(const std::string& line) {
  return plotxfer::text::SplitCommandLine(line, kSjis);
}

Tokens StandinSplit(const std::string& line) {
  return standin::SplitWindowsCommandLine(
      line, [](unsigned char b) { return IsDBCSLeadByteEx(932, b) != FALSE; });
}

// What a program reading its wide command line gets: the narrow line as CreateProcessA turns it
// into UTF-16, split by the shell, each token back in the ANSI code page.
Tokens ShellSplit(const std::string& line) {
  const int n =
      MultiByteToWideChar(CP_ACP, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, line.data(), static_cast<int>(line.size()), wide.data(), n);
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(wide.c_str(), &argc);
  Tokens tokens;
  for (int i = 0; argv != nullptr && i < argc; ++i) {
    const int m = WideCharToMultiByte(CP_ACP, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_ACP, 0, argv[i], -1, narrow.data(), m, nullptr, nullptr);
    narrow.resize(narrow.empty() ? 0 : narrow.size() - 1);
    tokens.push_back(std::move(narrow));
  }
  LocalFree(argv);
  return tokens;
}

// The C runtime's split: the echo program started with line as its whole command line (as the
// tools are started) prints the argv its runtime made of it. Nothing when it could not run.
std::optional<Tokens> RuntimeSplit(const std::string& line) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) {
    return std::nullopt;
  }
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write_end;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  std::string writable = line;
  const BOOL started = CreateProcessA(PLOTXFER_ARGV_ECHO, writable.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
  CloseHandle(write_end);
  if (!started) {
    CloseHandle(read_end);
    return std::nullopt;
  }
  std::string out;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(read_end, chunk, sizeof chunk, &got, nullptr) && got > 0) {
    out.append(chunk, got);
  }
  CloseHandle(read_end);
  WaitForSingleObject(pi.hProcess, INFINITE);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  Tokens tokens;
  std::size_t pos = 0;
  while (pos < out.size()) {
    std::size_t end = out.find('\n', pos);
    if (end == std::string::npos) {
      end = out.size();
    }
    std::string hex = out.substr(pos, end - pos);
    if (!hex.empty() && hex.back() == '\r') {
      hex.pop_back();
    }
    std::string token;
    for (std::size_t k = 0; k + 1 < hex.size(); k += 2) {
      token += static_cast<char>(std::stoi(hex.substr(k, 2), nullptr, 16));
    }
    tokens.push_back(std::move(token));
    pos = end + 1;
  }
  return tokens;
}

// Lines checked against the C runtime a batch at a time: starting a program costs a third of a
// second under Wine, so many lines share one start. A line goes on from the end of the one
// before (its program token left out), which the runtime splits as if each stood alone when
// every line is whole; a batch that disagrees is split again line by line to find the culprit.
class RuntimeBatches {
 public:
  struct Line {
    std::string text;
    Tokens expected;
    std::string what;
  };

  explicit RuntimeBatches(Tally& tally) : tally_(tally) {}

  void Add(Line line) {
    if (!lines_.empty() && JoinedSize() + Tail(line.text).size() > kMaxBatchLine) {
      Flush();
    }
    lines_.push_back(std::move(line));
  }

  void Flush() {
    if (lines_.empty()) {
      return;
    }
    Check(0, lines_.size());
    lines_.clear();
  }

 private:
  static std::string Tail(const std::string& line) {
    // Our lines start with a quoted program path, which holds no quote.
    return line.substr(line.find('"', 1) + 1);
  }

  // Runs lines [begin, end) as one line; a batch that disagrees is halved until the lines that
  // disagree are found, so that a few culprits cost a few starts.
  void Check(std::size_t begin, std::size_t end) {
    std::string joined;
    Tokens expected;
    for (std::size_t k = begin; k < end; ++k) {
      joined += k == begin ? lines_[k].text : Tail(lines_[k].text);
      expected.insert(expected.end(), lines_[k].expected.begin() + (k == begin ? 0 : 1),
                      lines_[k].expected.end());
    }
    const std::optional<Tokens> got = RuntimeSplit(joined);
    if (!got) {
      ADD_FAILURE() << "the echo program could not be started: " << PLOTXFER_ARGV_ECHO;
      return;
    }
    if (*got == expected) {
      for (std::size_t k = begin; k < end; ++k) {
        tally_.Compared();
      }
    } else if (end - begin == 1) {
      tally_.Compared();
      tally_.Disagree("the C runtime: " + lines_[begin].what + "; got " + Describe(*got) +
                      " expected " + Describe(expected));
    } else {
      const std::size_t middle = begin + (end - begin) / 2;
      Check(begin, middle);
      Check(middle, end);
    }
  }

  std::size_t JoinedSize() const {
    std::size_t size = 0;
    for (const Line& l : lines_) {
      size += size == 0 ? l.text.size() : Tail(l.text).size();
    }
    return size;
  }

  Tally& tally_;
  std::vector<Line> lines_;
};

// Values as people and tools make them: generated paths, and the texts that quoting trips on.
std::string GeneratedValue(TextGenerator& gen) {
  std::string v = gen.FilePath(263);
  // A character boundary to put something at.
  const auto boundary = [&] {
    std::size_t at = 0;
    const std::size_t want = gen.Below(v.size());
    while (at < want) {
      at = plotxfer::text::NextChar(v, at, kSjis);
    }
    return at;
  };
  switch (gen.Below(13)) {
    case 0:
      return v.insert(boundary(), "\"" + gen.Name(4));  // a quote inside
    case 1:
      return v + std::string(1 + gen.Below(3), '\\');  // backslashes at the end
    case 2:
      return v.insert(boundary(), "\\\"");  // an escaped quote
    case 3:
      return v + static_cast<char>(0x81 + gen.Below(0x1F));  // half a double-byte character
    case 4: {
      // A lead byte before a byte that cannot be its second: a blank, a quote, a control
      // character.
      static constexpr char kNotTrail[] = {' ', '"', '\t', '\x1B', '\x7F', '0', '\xFD'};
      const std::size_t at = boundary();
      v.insert(at, 1, kNotTrail[gen.Below(sizeof kNotTrail)]);
      return v.insert(at, 1, static_cast<char>(0xE0 + gen.Below(0x1D)));
    }
    case 5: {
      static constexpr char kControl[] = {'\t', '\n', '\r', '\x01', '\x1B', '\x7F'};
      return v.insert(boundary(), 1, kControl[gen.Below(sizeof kControl)]);
    }
    case 6:
      return std::string(gen.Below(3), ' ');  // empty or blanks only
    case 7:
      return v + std::string(1 + gen.Below(3), ' ');  // trailing blanks
    default:
      return v;
  }
}

TEST(CommandLinesAgainstTheirReaders, GeneratedValuesComeBackOrAreRefused) {
  if (!plotxfer::differential::RunningInCodePage932()) {
    GTEST_SKIP() << "compared under code page 932";
  }
  TextGenerator gen(plotxfer::differential::Seed());
  const int inputs = plotxfer::differential::InputCount(3000);
  Tally splitters("command lines: generated values, four splitters");
  Tally runtime_tally("command lines: generated values, the C runtime");
  RuntimeBatches runtime(runtime_tally);
  const std::string program = "C:\\VX\\RSTKIT\\RASTRON.EXE";
  int refused = 0;
  for (int i = 0; i < inputs; ++i) {
    const std::string value = GeneratedValue(gen);
    const std::string line = "\"" + program + "\" \"" + value + "\" /s";
    const Tokens intact = {program, value, "/s"};
    std::string why;
    plotxfer::text::Quotable(value, kSjis, &why);
    splitters.Compared();
    const Tokens shell = ShellSplit(line);
    if (why.empty()) {
      // Taken: every reader gives the value back whole.
      if (shell != intact || OurSplit(line) != intact || StandinSplit(line) != intact) {
        splitters.Disagree("taken value [" + Hex(value) + "]: shell " + Describe(shell) + " ours " +
                           Describe(OurSplit(line)) + " stand-ins " + Describe(StandinSplit(line)));
      }
      runtime.Add({line, intact, "taken value [" + Hex(value) + "]"});
    } else {
      // Refused: it must not have come back whole. A refused line spoils the lines after it, so
      // each takes a start of its own: the first few, and any the shell gives back whole.
      ++refused;
      if (refused <= 20 || shell == intact) {
        runtime_tally.Compared();
        const std::optional<Tokens> crt = RuntimeSplit(line);
        if (shell == intact && crt && *crt == intact) {
          runtime_tally.Disagree("refused value [" + Hex(value) + "] (" + why +
                                 ") would have come back whole");
        }
      }
    }
  }
  runtime.Flush();
  std::printf(
      "[ tally    ] command lines: %d of the values refused, none of them comes back whole\n",
      refused);
}

// Whole lines of both tools, built by our builders from generated folders, drawings and options.
TEST(CommandLinesAgainstTheirReaders, BuiltToolLinesComeBackTokenByToken) {
  if (!plotxfer::differential::RunningInCodePage932()) {
    GTEST_SKIP() << "compared under code page 932";
  }
  TextGenerator gen(plotxfer::differential::Seed() + 1);
  const int inputs = plotxfer::differential::InputCount(600);
  Tally splitters("command lines: built tool lines, four splitters");
  Tally runtime_tally("command lines: built tool lines, the C runtime");
  RuntimeBatches runtime(runtime_tally);
  int refused = 0;
  std::size_t longest = 0;
  for (int i = 0; i < inputs; ++i) {
    plotxfer::ConversionOptions o;
    o.PdfOrImage = static_cast<int>(gen.Below(2));
    o.ImageType = static_cast<int>(gen.Below(4));
    o.BAndWFlg = static_cast<int>(gen.Below(2));
    o.VFontFlg = static_cast<int>(gen.Below(2));
    o.FolderType = static_cast<int>(gen.Below(2));
    o.SelFolder = gen.Folder(200) + (gen.OneIn(2) ? "\\" : "");
    o.PdfSizeType = o.ImgSizeType = static_cast<int>(gen.Below(2));
    o.PdfPaperType = o.ImgPaperType = static_cast<int>(gen.Below(12));
    o.PdfOptXSize = o.ImgOptXSize = gen.OneIn(8) ? -1 : static_cast<int>(gen.Below(5000));
    o.OutXdpi = gen.OneIn(2) ? o.BaseXdpi : static_cast<int>(72 + gen.Below(529));
    const plotxfer::CommandContext ctx{o, static_cast<int>(gen.Below(3))};
    // Folders and drawings up to and just past the tools' limits.
    std::string app = gen.Folder(gen.OneIn(4) ? 250 : 120) + "\\";
    if (gen.OneIn(4)) {
      // The output utility's path at its limit of 259 bytes, or one byte past it.
      const std::size_t longest = 259 - std::string_view("RSTKIT\\RASTRON.EXE").size();
      gen.Stretch(&app, longest + (gen.OneIn(4) ? 1 : 0), 1);
    }
    if (gen.OneIn(4)) {
      gen.Stretch(&o.SelFolder, 250, 0);
    }
    const std::string drawing = gen.FilePath(gen.OneIn(4) ? 264 : 200);
    const auto paths = plotxfer::ToolPathsFor(app, plotxfer::text::PathStyle::Windows, kSjis);
    const std::string output = plotxfer::MakeOutputPath(ctx, drawing, plotxfer::OutputExtension(o));
    const std::string app_path = "/VXAppPath:" + paths.utility_folder;
    struct Built {
      std::optional<plotxfer::ToolCommand> command;
      // The generated texts and the index of the token that must give each back.
      std::vector<std::pair<std::size_t, std::string>> carried;
    };
    std::vector<Built> lines;
    lines.push_back({plotxfer::BuildExportCommandLine(ctx, app, drawing, paths.intermediate_csd),
                     {{0, paths.export_tool},
                      {8, paths.param_file},
                      {10, paths.export_list},
                      {11, drawing},
                      {12, paths.intermediate_csd}}});
    if (o.PdfOrImage == 0) {
      lines.push_back({plotxfer::BuildPdfCommandLine(ctx, app, paths.intermediate_csd, output),
                       {{0, paths.output_utility},
                        {1, paths.intermediate_csd},
                        {3, "/pdfpath:" + output},
                        {kFromEnd + 1, app_path}}});
      lines.push_back({plotxfer::BuildCombinedPdfCommandLine(ctx, app, drawing, output,
                                                             static_cast<int>(1 + gen.Below(99))),
                       {{0, paths.output_utility},
                        {1, drawing},
                        {3, "/pdfpath:" + output},
                        {kFromEnd + 3, app_path}}});
    } else {
      lines.push_back({plotxfer::BuildImageCommandLine(ctx, app, paths.intermediate_csd, output),
                       {{0, paths.output_utility},
                        {1, paths.intermediate_csd},
                        {3, "/Imagepath:" + output},
                        {kFromEnd + 1, app_path}}});
    }
    for (const Built& b : lines) {
      if (!b.command) {
        ++refused;
        continue;
      }
      const std::string& line = b.command->command_line;
      splitters.Compared();
      const Tokens ours = OurSplit(line);
      std::string why;
      for (auto [index, text] : b.carried) {
        if (index > kFromEnd) {
          index = ours.size() - (index - kFromEnd);
        }
        if (index >= ours.size() || ours[index] != text) {
          why += "token " + std::to_string(index) + " is not [" + Hex(text) + "]; ";
        }
      }
      if (ShellSplit(line) != ours) {
        why += "the shell gives " + Describe(ShellSplit(line)) + "; ";
      }
      if (StandinSplit(line) != ours) {
        why += "the stand-ins give " + Describe(StandinSplit(line)) + "; ";
      }
      if (!why.empty()) {
        splitters.Disagree("line [" + Hex(line) + "] ours " + Describe(ours) + ": " + why);
      }
      runtime.Add({line, ours, "line [" + Hex(line) + "]"});
      longest = std::max(longest, line.size());
    }
  }
  runtime.Flush();
  // Refusals here are paths past the tools' own limits (263 bytes, a line of 1379): such a line
  // would split well, but the tools cannot take it.
  std::printf(
      "[ tally    ] command lines: %d built lines refused for length; the longest taken "
      "line %zu bytes\n",
      refused, longest);
}

}  // namespace
