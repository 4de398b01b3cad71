// ConvertDrawing with the real process start and our stand-in tools: what each tool received
// (their run log) and what it wrote. What a conversion makes of a tool that fails is shown on
// fakes, and how a tool can end, by the process layer's tests.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/convert/convert_drawing.h"
#include "core/text/command_line.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/path_style.h"
#include "platform/process.h"
#include "temp_files.h"
#include "test_env.h"

#ifdef _WIN32
#include <direct.h>
#else
#include <sys/stat.h>
#endif

using namespace plotxfer;
using plotxfer::testing::DrawingHeader;
using plotxfer::testing::ReadBytes;
using plotxfer::testing::TempFolder;
using plotxfer::testing::WriteBytes;

namespace {

using plotxfer::testing::SetEnv;
using plotxfer::testing::UnsetEnv;

// Narrow paths in the platform's encoding go straight to the C runtime, so Shift-JIS folder
// names work under code page 932 on Windows.
bool MakeFolder(const std::string& path) {
#ifdef _WIN32
  return _mkdir(path.c_str()) == 0;
#else
  return mkdir(path.c_str(), 0755) == 0;
#endif
}

void CopyProgram(const std::string& from, const std::string& to) {
  WriteBytes(to, ReadBytes(from));
#ifndef _WIN32
  chmod(to.c_str(), 0755);
#endif
}

// One JSON line of the stand-ins' run log.
struct LogEntry {
  std::string tool;
  std::vector<std::string> argv;
  std::string command_line;
};

// Reads a JSON string at pos (at its opening quote); pos ends after the closing quote.
std::string JsonString(const std::string& s, std::size_t& pos) {
  std::string out;
  ++pos;
  while (pos < s.size() && s[pos] != '"') {
    char c = s[pos++];
    if (c == '\\' && pos < s.size()) {
      const char e = s[pos++];
      switch (e) {
        case 'n':
          c = '\n';
          break;
        case 'r':
          c = '\r';
          break;
        case 't':
          c = '\t';
          break;
        case 'b':
          c = '\b';
          break;
        case 'f':
          c = '\f';
          break;
        case 'u':
          c = static_cast<char>(std::stoi(s.substr(pos, 4), nullptr, 16));
          pos += 4;
          break;
        default:
          c = e;
      }
    }
    out += c;
  }
  ++pos;
  return out;
}

std::vector<LogEntry> ReadLog(const std::string& path) {
  std::vector<LogEntry> entries;
  const std::string text = ReadBytes(path);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      end = text.size();
    }
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.empty()) {
      continue;
    }
    LogEntry e;
    std::size_t p = line.find("\"tool\":");
    p = line.find('"', p + 7);
    e.tool = JsonString(line, p);
    p = line.find('[', line.find("\"argv\":"));
    ++p;
    while (true) {
      while (p < line.size() && (line[p] == ' ' || line[p] == ',')) {
        ++p;
      }
      if (p >= line.size() || line[p] != '"') {
        break;
      }
      e.argv.push_back(JsonString(line, p));
    }
    p = line.find('"', line.find("\"commandLine\":") + 14);
    e.command_line = JsonString(line, p);
    entries.push_back(e);
  }
  return entries;
}

const char* kKnobs[] = {"PLOTXFER_STANDIN_LOG",       "PLOTXFER_STANDIN_ONLY",
                        "PLOTXFER_STANDIN_SLEEP_MS",  "PLOTXFER_STANDIN_CRASH",
                        "PLOTXFER_STANDIN_NO_OUTPUT", "PLOTXFER_STANDIN_EXIT"};

class ConversionChainTest : public ::testing::Test {
 protected:
  ConversionChainTest() {
    for (const char* k : kKnobs) {
      UnsetEnv(k);
    }
    const char sep = text::PathSeparator(style);
    // A folder name with a space, and under Shift-JIS with 表 (0x95 0x5C), whose trail byte
    // must not be taken for a backslash anywhere along the chain.
    std::string name = "VX app";
    if (cp == text::CodePage::ShiftJis) {
      name += " \x95\x5C";
    } else if (cp == text::CodePage::Utf8) {
      name += " \xE8\xA1\xA8";
    }
    app = work.Path() + sep + name;
    EXPECT_TRUE(MakeFolder(app)) << app;
    EXPECT_TRUE(MakeFolder(app + sep + "RSTKIT"));
    app += sep;
    paths = ToolPathsFor(app, style, cp);
    CopyProgram(PLOTXFER_STANDIN_VXCVPX, paths.export_tool);
    CopyProgram(PLOTXFER_STANDIN_RASTRON, paths.output_utility);
    WriteBytes(paths.param_file, ReadBytes(PLOTXFER_DEMO_APP "/vxcsd.cprm"));

    drawing = work.File("plan.VX");
    WriteBytes(drawing, DrawingHeader() + "ground floor\n");
    log = work.File("standins.jsonl");
    SetEnv("PLOTXFER_STANDIN_LOG", log);
  }
  ~ConversionChainTest() override {
    for (const char* k : kKnobs) {
      UnsetEnv(k);
    }
  }

  CommandContext Context() { return CommandContext{options, 2, style, cp}; }

  ConversionResult Convert() {
    ConversionFailure why;
    const ConversionResult result = ConvertDrawing(Context(), services, app, drawing, &why);
    detail = why.detail;
    return result;
  }

  std::string Output() { return MakeOutputPath(Context(), drawing, OutputExtension(options)); }

  const text::PathStyle style = platform::NativePathStyle();
  const text::CodePage cp = platform::ActiveCodePage();
  TempFolder work;
  std::string app, drawing, log, detail;
  ToolPaths paths;
  ConversionOptions options;
  ConversionServices services{platform::SystemProcessRunner(), platform::SystemFileSystem()};
};

}  // namespace

TEST_F(ConversionChainTest, EachToolReceivesExactlyTheBuiltCommandLine) {
  ASSERT_EQ(Convert(), Converted) << detail;
  EXPECT_EQ(ReadBytes(Output()).substr(0, 5), "%PDF-");

  ConversionPlan plan;
  ASSERT_EQ(PlanConversion(Context(), app, drawing, &plan), Converted);
  const auto entries = ReadLog(log);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].tool, "VXCVPX");
  EXPECT_EQ(entries[1].tool, "RASTRON");
#ifdef _WIN32
  // Only Windows hands a program its command line as one string (GetCommandLineA); on Linux
  // the log can only show the argv the line was split into.
  EXPECT_EQ(entries[0].command_line, plan.export_command.command_line);
  EXPECT_EQ(entries[1].command_line, plan.output_command.command_line);
#endif
  // The tool's argv (split by its own C runtime on Windows, by us on Linux) holds the tokens.
  EXPECT_EQ(entries[0].argv, text::SplitCommandLine(plan.export_command.command_line, cp));
  EXPECT_EQ(entries[1].argv, text::SplitCommandLine(plan.output_command.command_line, cp));
  ASSERT_EQ(entries[1].argv.size(), 11u);
  EXPECT_EQ(entries[1].argv[3], "/pdfpath:" + Output());
  EXPECT_EQ(entries[1].argv[8], "/EllipseDiv:  5.0");
}

TEST_F(ConversionChainTest, EveryImageFormatIsWritten) {
  options.PdfOrImage = 1;
  options.ImgSizeType = 1;
  options.ImgPaperType = 4;
  options.OutXdpi = 72;
  const struct {
    int type;
    std::string magic;
  } formats[] = {{0, "BM"}, {1, "GIF8"}, {2, "\xFF\xD8\xFF"}, {3, "II*"}};
  for (const auto& f : formats) {
    options.ImageType = f.type;
    ASSERT_EQ(Convert(), Converted) << f.type << ": " << detail;
    const std::string bytes = ReadBytes(Output());
    EXPECT_EQ(bytes.substr(0, f.magic.size()), f.magic) << Output();
  }
  const auto entries = ReadLog(log);
  ASSERT_EQ(entries.size(), 8u);
  EXPECT_NE(entries[7].command_line.find(" /Imageps:x00000129000000d2 /ImageDPI:72 "),
            std::string::npos)
      << entries[7].command_line;
}
