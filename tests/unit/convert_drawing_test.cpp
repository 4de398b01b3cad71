#include "core/convert/convert_drawing.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "fake_services.h"
#include "temp_files.h"

using namespace plotxfer;
using plotxfer::testing::DrawingHeader;
using plotxfer::testing::FakeFiles;
using plotxfer::testing::FakeRunner;
using plotxfer::testing::TempFolder;
using plotxfer::testing::WriteBytes;

namespace {

#ifdef _WIN32
constexpr text::PathStyle kStyle = text::PathStyle::Windows;
constexpr char kSep = '\\';
#else
constexpr text::PathStyle kStyle = text::PathStyle::Posix;
constexpr char kSep = '/';
#endif

// Drawings are real files (the header is read from disk); the tools and the CSD and output
// files live in the fakes.
class ConvertDrawingTest : public ::testing::Test {
 protected:
  ConvertDrawingTest() {
    drawing = work.File("plan.VX");
    WriteBytes(drawing, DrawingHeader());
    app = work.Path() + kSep + "app" + kSep;
    paths = ToolPathsFor(app, kStyle, text::CodePage::Utf8);
    pdf = work.File("plan.pdf");
  }

  CommandContext Context() { return CommandContext{options, 2, kStyle, text::CodePage::Utf8}; }

  ConversionResult Convert(const std::string& path, const std::string& app_folder = {}) {
    ConversionFailure why;
    const ConversionResult result =
        ConvertDrawing(Context(), services, app_folder.empty() ? app : app_folder, path, &why);
    detail = why.detail;
    kind = why.kind;
    return result;
  }

  // The export tool writes the CSD file, the output utility the file its line names.
  void ToolsWork() {
    runner.programs[paths.export_tool] = [this](const std::string&) {
      files.existing.insert(paths.intermediate_csd);
      return true;
    };
    runner.programs[paths.output_utility] = [this](const std::string&) {
      files.existing.insert(expected_output);
      return true;
    };
  }

  TempFolder work;
  std::string drawing, app, pdf, expected_output, detail;
  FailureKind kind = FailureKind::Other;
  ToolPaths paths;
  ConversionOptions options;
  FakeFiles files;
  FakeRunner runner;
  ConversionServices services{runner, files};
};

}  // namespace

TEST_F(ConvertDrawingTest, ConvertsWithBothToolsInOrder) {
  expected_output = pdf;
  ToolsWork();
  ASSERT_EQ(Convert(drawing), Converted) << detail;
  ASSERT_EQ(runner.calls.size(), 2u);
  EXPECT_EQ(runner.calls[0].program, paths.export_tool);
  EXPECT_EQ(runner.calls[0].command_line,
            BuildExportCommandLine(Context(), app, drawing, paths.intermediate_csd)->command_line);
  EXPECT_EQ(runner.calls[1].program, paths.output_utility);
  EXPECT_EQ(runner.calls[1].command_line,
            BuildPdfCommandLine(Context(), app, paths.intermediate_csd, pdf)->command_line);
  // The CSD file is deleted before the export; there was no output to make way for.
  EXPECT_EQ(files.removed, (std::vector<std::string>{paths.intermediate_csd}));
  // The CSD file stays after the conversion.
  EXPECT_EQ(files.existing.count(paths.intermediate_csd), 1u);
}

TEST_F(ConvertDrawingTest, ImageOutputTakesTheImageLineAndExtension) {
  options.PdfOrImage = 1;
  options.ImageType = 3;
  expected_output = work.File("plan.tif");
  ToolsWork();
  ASSERT_EQ(Convert(drawing), Converted) << detail;
  ASSERT_EQ(runner.calls.size(), 2u);
  EXPECT_NE(runner.calls[1].command_line.find("\"/Imagepath:" + expected_output + "\""),
            std::string::npos);
  EXPECT_NE(runner.calls[1].command_line.find(" /ImageType:3 "), std::string::npos);
}

TEST_F(ConvertDrawingTest, AnOutputFileThatCannotBeDeletedIsNeverTakenForTheResult) {
  expected_output = pdf;
  ToolsWork();
  files.existing = {pdf};
  files.locked = {pdf};  // open in a viewer
  EXPECT_EQ(Convert(drawing), OutputFailed);
  EXPECT_NE(detail.find("cannot be deleted"), std::string::npos) << detail;
  EXPECT_EQ(kind, FailureKind::OldFileStays);
  ASSERT_EQ(runner.calls.size(), 1u);  // only the export ran
}

TEST_F(ConvertDrawingTest, ACsdFileThatCannotBeDeletedStopsBeforeTheExport) {
  expected_output = pdf;
  ToolsWork();
  files.existing = {paths.intermediate_csd, pdf};
  files.locked = {paths.intermediate_csd};
  EXPECT_EQ(Convert(drawing), ExportNotStarted);
  EXPECT_EQ(kind, FailureKind::OldFileStays);
  EXPECT_TRUE(runner.calls.empty());
  EXPECT_EQ(files.existing.count(pdf), 1u);
}

TEST_F(ConvertDrawingTest, SameNameInOneOutputFolderReplacesTheFirstOutput) {
  options.FolderType = 1;
  options.SelFolder = work.File("out");
  expected_output = options.SelFolder + kSep + "plan.pdf";
  ToolsWork();
  std::filesystem::create_directory(work.File("b"));
  const std::string second = work.File("b") + kSep + "plan.VX";
  WriteBytes(second, DrawingHeader());
  ASSERT_EQ(Convert(drawing), Converted);
  ASSERT_EQ(Convert(second), Converted);
  EXPECT_EQ(files.renamed.back(), expected_output + " -> " + KeptOutputPath(expected_output));
  EXPECT_EQ(files.removed.back(), KeptOutputPath(expected_output));
  EXPECT_EQ(files.existing.count(expected_output), 1u);
}

// A drawing refused before the tools starts nothing and deletes nothing, whatever refuses it.
TEST_F(ConvertDrawingTest, ARefusedDrawingTouchesNothingAndStartsNothing) {
  struct Case {
    const char* name;
    std::function<std::string()> arrange;  // gives the drawing to convert
    ConversionResult result;
    FailureKind kind;
    const char* says;
    std::string app_folder;
  };
  // A drawing that is valid but named self.pdf, converted into "out".
  const auto self = [this](const std::string& doomed) {
    return [this, doomed] {
      const std::string named_self = work.File("self.pdf");
      WriteBytes(named_self, DrawingHeader());
      options.FolderType = 1;
      options.SelFolder = "out";
      files.one_file = {
          {doomed.empty() ? std::string("out") + kSep + "self.pdf" : doomed, named_self}};
      return named_self;
    };
  };
  const Case cases[] = {
      {"a drawing of a newer version",
       [this] {
         WriteBytes(work.File("bad.VX"), DrawingHeader(12));
         return work.File("bad.VX");
       },
       InvalidDrawing, FailureKind::Other, "", ""},
      {"a missing drawing", [this] { return work.File("missing.VX"); }, InvalidDrawing,
       FailureKind::CannotOpen, "", ""},
      {"a folder too long for the output utility's path", [this] { return drawing; }, PathRefused,
       FailureKind::Other, "longer than", app + std::string(250, 'x') + kSep},
      {"an output folder that would add tokens to the utility's line",
       [this] {
         options.FolderType = 1;
         options.SelFolder = work.Path() + kSep + "a\" /c:0 \"b";
         return drawing;
       },
       PathRefused, FailureKind::Other, "quoted", ""},
      {"a drawing named as its own output",
       [this] {
         WriteBytes(work.File("sheet.pdf"), DrawingHeader());
         return work.File("sheet.pdf");
       },
       PathRefused, FailureKind::ReplacesDrawing, "replace the drawing", ""},
      {"the output spelt otherwise is the drawing", self(""), PathRefused,
       FailureKind::ReplacesDrawing, "would replace the drawing itself", ""},
      {"the CSD file spelt otherwise is the drawing", self(paths.intermediate_csd), PathRefused,
       FailureKind::ReplacesDrawing, "would replace the drawing itself", ""},
  };
  ToolsWork();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    options = ConversionOptions{};
    files = FakeFiles{};
    files.existing = {paths.intermediate_csd, pdf};
    runner.calls.clear();
    const std::string path = c.arrange();
    EXPECT_EQ(Convert(path, c.app_folder), c.result);
    EXPECT_EQ(kind, c.kind);
    EXPECT_FALSE(detail.empty());
    EXPECT_NE(detail.find(c.says), std::string::npos) << detail;
    EXPECT_TRUE(runner.calls.empty());
    EXPECT_TRUE(files.removed.empty());
    EXPECT_EQ(files.existing, (std::set<std::string>{paths.intermediate_csd, pdf}));
  }
  // The same name in another output folder is no conflict.
  options.FolderType = 1;
  options.SelFolder = work.File("out");
  expected_output = options.SelFolder + kSep + "sheet.pdf";
  files.one_file.clear();
  EXPECT_EQ(Convert(work.File("sheet.pdf")), Converted) << detail;
}

#ifndef _WIN32
TEST_F(ConvertDrawingTest, DrawingNamesThatCouldInjectTokensAreRefused) {
  // Possible file names on Linux; the header is valid, so only the name is at fault.
  ToolsWork();
  for (const char* name : {"a\" -m import \"b.VX", "ends\\"}) {
    const std::string path = work.File(name);
    WriteBytes(path, DrawingHeader());
    EXPECT_EQ(Convert(path), PathRefused) << name;
  }
  EXPECT_TRUE(runner.calls.empty());
  EXPECT_TRUE(files.removed.empty());
  // A line break between quotes comes back as it was: the tools are started for such a name.
  const std::string line_break = work.File("line\nbreak.VX");
  WriteBytes(line_break, DrawingHeader());
  EXPECT_NE(Convert(line_break), PathRefused) << detail;
  EXPECT_FALSE(runner.calls.empty());
}
#endif

TEST_F(ConvertDrawingTest, AStoppedToolFailsTheDrawingWithItsCode) {
  using platform::ToolOutcome;
  struct Case {
    bool export_tool;  // which tool is stopped: the export tool or the output utility
    ToolOutcome outcome;
    ConversionResult result;
    FailureKind kind;
    const char* says;
  };
  const Case cases[] = {
      {true, ToolOutcome::TimedOut, ExportNotStarted, FailureKind::TimedOut, "timed out"},
      {true, ToolOutcome::Cancelled, ExportNotStarted, FailureKind::Interrupted, "interrupt"},
      {true, ToolOutcome::NotStarted, ExportNotStarted, FailureKind::NotStarted, "started"},
      {false, ToolOutcome::TimedOut, OutputFailed, FailureKind::TimedOut, "timed out"},
      {false, ToolOutcome::Cancelled, OutputFailed, FailureKind::Interrupted, "interrupt"},
      {false, ToolOutcome::NotStarted, OutputFailed, FailureKind::NotStarted, "started"},
  };
  expected_output = pdf;
  ToolsWork();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    runner.outcomes = {{c.export_tool ? paths.export_tool : paths.output_utility, c.outcome}};
    runner.calls.clear();
    files.existing = {pdf};  // an earlier output; a stopped utility writes part of a new one
    EXPECT_EQ(Convert(drawing), c.result);
    EXPECT_EQ(kind, c.kind);
    EXPECT_NE(detail.find(c.says), std::string::npos) << detail;
    // A stopped export starts no output utility; what a stopped utility wrote is not kept, the
    // earlier output is.
    EXPECT_EQ(runner.calls.size(), c.export_tool ? 1u : 2u);
    EXPECT_EQ(files.existing.count(pdf), 1u);
    EXPECT_EQ(files.written.count(pdf), 0u);
  }
}

// The output utility writes into a folder where the last good output was moved aside; it comes
// back whenever no new output is there.
TEST_F(ConvertDrawingTest, TheLastGoodOutputIsKeptUntilANewOneIsThere) {
  const std::string kept = KeptOutputPath(pdf);
  struct Case {
    const char* name;
    std::set<std::string> before;  // besides the drawing's own files
    bool utility_writes;
    ConversionResult result;
    const char* old_bytes;  // what the output holds afterwards; nullptr: none
    const char* says;       // in the detail
  };
  const Case cases[] = {
      {"a new output replaces the old one", {"pdf"}, true, Converted, "new", ""},
      {"no new output: the old one is put back",
       {"pdf"},
       false,
       OutputFailed,
       "old",
       "previous output was kept"},
      {"no old output, none made", {}, false, OutputFailed, nullptr, "wrote no"},
      {"a run that died left the old one aside",
       {"kept"},
       false,
       OutputFailed,
       "old",
       "previous output was kept"},
      {"a run that died after a new output", {"pdf", "kept"}, true, Converted, "new", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    files = FakeFiles{};
    for (const std::string& which : c.before) {
      files.WriteFile(which == "pdf" ? pdf : kept, "old");
    }
    runner.programs[paths.export_tool] = [](const std::string&) { return true; };
    runner.programs[paths.output_utility] = [&](const std::string&) {
      EXPECT_FALSE(files.Exists(pdf));  // no old output can pass for the new one
      if (c.utility_writes) {
        files.WriteFile(pdf, "new");
      }
      return true;
    };
    EXPECT_EQ(Convert(drawing), c.result);
    EXPECT_NE(detail.find(c.says), std::string::npos) << detail;
    std::string bytes;
    EXPECT_EQ(files.ReadFile(pdf, &bytes), c.old_bytes != nullptr);
    EXPECT_EQ(bytes, c.old_bytes != nullptr ? c.old_bytes : "");
    EXPECT_FALSE(files.Exists(kept));
  }
}

TEST_F(ConvertDrawingTest, TheDetailSaysWhichToolEndedHow) {
  using Kind = platform::ToolExit::Kind;
  struct Case {
    const char* name;
    platform::ToolExit exported, rendered;
    bool csd_written;
    ConversionResult result;
    std::size_t tools_started;
    const char* says;
    const char* also_says = "";
  };
  const Case cases[] = {
      {"the export tool crashes",
       {Kind::Signal, 6},
       {},
       false,
       ExportNotStarted,
       1,
       "was killed by signal 6 (SIGABRT); the output utility was not started"},
      {"the export tool crashes under Windows",
       {Kind::Exception, 0xC0000005},
       {},
       false,
       ExportNotStarted,
       1,
       "crashed with exception 0xC0000005"},
      // Both ends are told: the utility's, then the export tool's.
      {"the export tool fails, the utility then writes nothing",
       {Kind::Code, 3},
       {Kind::Code, 4},
       false,
       OutputFailed,
       2,
       "ended with exit code 4 and wrote no",
       "ended with exit code 3)"},
      {"the utility crashes",
       {Kind::Code, 0},
       {Kind::Signal, 11},
       true,
       OutputFailed,
       2,
       "was killed by signal 11 (SIGSEGV) and wrote no"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    runner.calls.clear();
    runner.exits = {{paths.export_tool, c.exported}, {paths.output_utility, c.rendered}};
    runner.programs[paths.export_tool] = [&](const std::string&) {
      if (c.csd_written) {
        files.existing.insert(paths.intermediate_csd);
      }
      return true;
    };
    runner.programs[paths.output_utility] = [](const std::string&) { return true; };
    EXPECT_EQ(Convert(drawing), c.result);
    EXPECT_EQ(runner.calls.size(), c.tools_started);
    EXPECT_NE(detail.find(c.says), std::string::npos) << detail;
    EXPECT_NE(detail.find(c.also_says), std::string::npos) << detail;
  }
}
