// plotxfer-batch's arguments and report, with fake tools.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#endif

#include "../../common/fake_value_store.h"
#include "cli/batch_request.h"
#include "cli/batch_run.h"
#include "platform/input_files.h"
#include "platform/codepage.h"
#include "core/settings/settings_store.h"
#include "fake_services.h"
#include "params_fakes.h"
#include "temp_files.h"

using namespace plotxfer;
using plotxfer::cli::BatchDefaults;
using plotxfer::cli::ParseBatchArguments;
using plotxfer::cli::ParseOutcome;
using plotxfer::testing::DrawingHeader;
using plotxfer::testing::FakeFiles;
using plotxfer::testing::FakeRunner;
using plotxfer::testing::ReadBytes;
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

// A stream written to a file, read back as text.
class Capture {
 public:
  explicit Capture(std::string path) : path_(std::move(path)) {
    file_ = std::fopen(path_.c_str(), "w+b");
  }
  ~Capture() {
    if (file_ != nullptr) {
      std::fclose(file_);
    }
  }
  std::FILE* file() const { return file_; }
  std::string Text() const {
    std::fflush(file_);
    return ReadBytes(path_);
  }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
};

class BatchArgumentsTest : public ::testing::Test {
 protected:
  BatchArgumentsTest() : out(dir.File("out.txt")), err(dir.File("err.txt")) {
    defaults.options = ConversionOptions::WithScreenDpi(120);
    defaults.program_folder = dir.Path();
  }

  ParseOutcome Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "plotxfer-batch");
    std::vector<const char*> argv;
    for (const auto& a : args) {
      argv.push_back(a.c_str());
    }
    return ParseBatchArguments(static_cast<int>(argv.size()), argv.data(), defaults, out.file(),
                               err.file());
  }

  // A usage error: exit code 2 and a message that names the argument at fault.
  void ExpectUsageError(std::vector<std::string> args, const std::string& named) {
    std::string line;
    for (const std::string& a : args) {
      line += a + " ";
    }
    SCOPED_TRACE(line);
    const std::size_t before = err.Text().size();
    const ParseOutcome o = Parse(args);
    EXPECT_FALSE(o.run);
    EXPECT_EQ(o.exit_code, 2);
    const std::string message = err.Text().substr(before);
    EXPECT_NE(message.find(named), std::string::npos) << message;
  }

  TempFolder dir;
  Capture out, err;
  BatchDefaults defaults;
};

}  // namespace

// Each switch sets its own fields and no other; the rest keep what was stored.
TEST_F(BatchArgumentsTest, SwitchesOverrideTheStoredSettingsFieldByField) {
  const std::string outdir = dir.File("outdir");
  std::filesystem::create_directory(outdir);
  using Edit = std::function<void(ConversionOptions&)>;
  const Edit none = [](ConversionOptions&) {};
  // As loaded from what the dialog stored.
  const Edit stored_tiff = [&](ConversionOptions& o) {
    o.PdfOrImage = 1;
    o.ImageType = 3;
    o.BAndWFlg = 0;
    o.VFontFlg = 1;
    o.FolderType = 1;
    o.SelFolder = dir.Path() + kSep;
  };
  struct Case {
    std::vector<std::string> args;
    Edit stored;
    Edit expected;  // how the record differs from what was stored
  };
  const Case cases[] = {
      {{}, none, none},
      {{}, stored_tiff, none},
      {{"--image", "JPEG", "--colour", "--no-fonts", "--output-dir", outdir, "--dpi", "300", "-v",
        "--app-folder", dir.Path()},
       none,
       [&](ConversionOptions& o) {
         o.PdfOrImage = 1;
         o.ImageType = 2;
         o.BAndWFlg = 0;
         o.VFontFlg = 1;
         o.FolderType = 1;
         o.SelFolder = outdir + kSep;
         o.OutXdpi = 300;
       }},
      {{"--image", "tiff"},
       none,
       [](ConversionOptions& o) {
         o.PdfOrImage = 1;
         o.ImageType = 3;
       }},
      {{"--pdf", "--mono", "--fonts", "--beside"},
       stored_tiff,
       [](ConversionOptions& o) {
         o.PdfOrImage = 0;
         o.BAndWFlg = 1;
         o.VFontFlg = 0;
         o.FolderType = 0;
       }},
      {{"--line-widths", "--no-line-pitch"},
       [](ConversionOptions& o) { o.PitchFlg = 1; },
       [](ConversionOptions& o) {
         o.WIdtHFlg = 1;
         o.PitchFlg = 0;
       }},
      {{"--no-line-widths", "--line-pitch"},
       [](ConversionOptions& o) { o.WIdtHFlg = 1; },
       [](ConversionOptions& o) {
         o.WIdtHFlg = 0;
         o.PitchFlg = 1;
       }},
      // --paper sets the size of the chosen output kind only.
      {{"--paper", "a4p"},
       none,
       [](ConversionOptions& o) {
         o.PdfSizeType = 1;
         o.PdfPaperType = 5;
       }},
      {{"--image", "bmp", "--paper", "420x297"},
       none,
       [](ConversionOptions& o) {
         o.PdfOrImage = 1;
         o.ImgSizeType = 1;
         o.ImgPaperType = 11;
         o.ImgOptXSize = 420;
         o.ImgOptYSize = 297;
       }},
      {{"--paper", "B4"},
       none,
       [](ConversionOptions& o) {
         o.PdfSizeType = 1;
         o.PdfPaperType = 10;
       }},
      {{"--paper", "A0"},
       none,
       [](ConversionOptions& o) {
         o.PdfSizeType = 1;
         o.PdfPaperType = 0;
       }},
      {{"--paper", "drawing"},
       [](ConversionOptions& o) { o.PdfSizeType = 1; },
       [](ConversionOptions& o) { o.PdfSizeType = 0; }},
      // --dpi goes with image output that was stored.
      {{"--dpi", "300"},
       [](ConversionOptions& o) { o.PdfOrImage = 1; },
       [](ConversionOptions& o) { o.OutXdpi = 300; }},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.push_back("d.VX");
    std::string line;
    for (const std::string& a : args) {
      line += a + " ";
    }
    SCOPED_TRACE(line);
    defaults.options = ConversionOptions::WithScreenDpi(120);
    c.stored(defaults.options);
    ConversionOptions expected = defaults.options;
    c.expected(expected);
    expected.AppFolder = dir.Path() + kSep;  // the program's folder
    const ParseOutcome o = Parse(args);
    ASSERT_TRUE(o.run) << err.Text();
    EXPECT_EQ(o.request.options, expected);
    EXPECT_EQ(o.request.app_folder, expected.AppFolder);
  }
}

TEST_F(BatchArgumentsTest, ConflictsAndBadValuesAreUsageErrors) {
  for (const char* paper : {"A5", "9x100", "100x100001", "100x", "x100", "1e2x100", "-20x100"}) {
    ExpectUsageError({"--paper", paper, "d.VX"}, "--paper");
  }
  ExpectUsageError({"--line-widths", "--no-line-widths", "d.VX"}, "--line-widths");
  ExpectUsageError({"--line-pitch", "--no-line-pitch", "d.VX"}, "--line-pitch");
  // A dry run touches nothing, so it cannot store anything either.
  ExpectUsageError({"--save", "--dry-run", "d.VX"}, "--dry-run");
  ExpectUsageError({"--list"}, "--list");
  ExpectUsageError({"--pdf", "--image", "gif", "d.VX"}, "--image");
  ExpectUsageError({"--image", "png", "d.VX"}, "--image");
  ExpectUsageError({"--mono", "--colour", "d.VX"}, "--colour");
  ExpectUsageError({"--fonts", "--no-fonts", "d.VX"}, "--fonts");
  ExpectUsageError({"--beside", "--output-dir", dir.Path(), "d.VX"}, "--beside");
  ExpectUsageError({"--dpi", "300", "d.VX"}, "--dpi");  // only for image output
  // --timeout takes a positive number of seconds, --wait whole seconds.
  const std::pair<const char*, const char*> bad_seconds[] = {
      {"--timeout", "nan"}, {"--timeout", "inf"},   {"--timeout", "-1"},
      {"--timeout", "0"},   {"--timeout", "1e400"}, {"--wait", "-1"},
      {"--wait", "nan"},    {"--wait", "1.5"},      {"--wait", "x"}};
  for (const auto& [option, seconds] : bad_seconds) {
    ExpectUsageError({option, seconds, "d.VX"}, option);
  }
  EXPECT_EQ(Parse({"--wait", "90", "d.VX"}).request.wait_seconds, 90);
  ExpectUsageError({"--image", "bmp", "--dpi", "71", "d.VX"}, "--dpi");
  ExpectUsageError({"--image", "bmp", "--dpi", "601", "d.VX"}, "--dpi");
  ExpectUsageError({"--image", "bmp", "--dpi", "many", "d.VX"}, "--dpi");
  ExpectUsageError({"--output-dir", dir.File("missing"), "d.VX"}, "--output-dir");
  ExpectUsageError({"--app-folder", dir.File("missing"), "d.VX"}, "--app-folder");
  ExpectUsageError({"--frobnicate", "d.VX"}, "--frobnicate");
  ExpectUsageError({"--shard", "1/3", "--combine", "d.VX"}, "--combine");
  ExpectUsageError({"--shard", "0/3", "d.VX"}, "--shard");
  ExpectUsageError({}, "drawings");
  // A watch needs folders that exist now; a combined PDF has no end in a stream of drawings.
  ExpectUsageError({"--watch", dir.File("missing")}, "--watch");
  ExpectUsageError({"--watch", dir.File("out.txt")}, "--watch");
  ExpectUsageError({"--watch", dir.Path(), "--combine"}, "--combine");
  ExpectUsageError({"--watch", dir.Path(), "--shard", "1/2"}, "--shard");
  ExpectUsageError({"--watch", dir.Path(), "--dry-run"}, "--dry-run");
  ExpectUsageError({"--watch", dir.Path(), "d.VX"}, "--watch");
  ExpectUsageError({"--watch", dir.Path(), "--poll", "5", "--rescan", "9"}, "--rescan");
  ExpectUsageError({"--settle", "1", "d.VX"}, "--settle");
  // Each part would write a combined PDF of its own, under another drawing's name.
  defaults.options.ConnectNum = 1;
  ExpectUsageError({"--shard", "2/3", "d.VX"}, "--no-combine");
}

TEST_F(BatchArgumentsTest, HelpVersionAndUsageErrorsEndBeforeReadingSettings) {
  bool loaded = false;
  bool loaded_for_dry_run = false;
  const auto load = [&](bool dry_run) {
    loaded = true;
    loaded_for_dry_run = dry_run;
    return defaults;
  };
  const auto parse = [&](std::vector<const char*> argv) {
    argv.insert(argv.begin(), "plotxfer-batch");
    return ParseBatchArguments(static_cast<int>(argv.size()), argv.data(), load, out.file(),
                               err.file());
  };
  for (const char* end_at_once : {"--help", "--version"}) {
    const ParseOutcome o = parse({end_at_once});
    EXPECT_FALSE(o.run);
    EXPECT_EQ(o.exit_code, 0);
  }
  for (const char* text : {"--app-folder", "--pdf", "--image", "--mono", "--colour", "--fonts",
                           "--no-fonts", "--output-dir", "--beside", "--paper", "--dpi",
                           "--verbose", "--dry-run", "--save", "--version",
                           // the watch, and how to start it at logon
                           "--watch", "--settle", "--rescan", "--poll", "--no-initial",
                           "watch-task.xml", "plotxfer-watch.service", "plotxfer-batch 9."}) {
    EXPECT_NE(out.Text().find(text), std::string::npos) << text;
  }
  EXPECT_EQ(parse({"--frobnicate", "d.VX"}).exit_code, 2);
  EXPECT_FALSE(loaded);
  EXPECT_TRUE(parse({"d.VX"}).run);
  EXPECT_TRUE(loaded);
  EXPECT_FALSE(loaded_for_dry_run);
  // A dry run reads the settings so that nothing is changed, a broken file included.
  EXPECT_TRUE(parse({"d.VX", "--dry-run"}).run);
  EXPECT_TRUE(loaded_for_dry_run);
}

TEST_F(BatchArgumentsTest, RunSwitchesAndTheOrderOfArgumentsAndLists) {
  defaults.settings_warning = "the settings file s.reg cannot be parsed";
  const ParseOutcome o =
      Parse({"a.VX", "--list", "l1", "-r", "b", "--list=-", "--paper", "A3", "--report", "r.json",
             "-q", "--skip-up-to-date", "--require-drawings", "c.VX"});
  ASSERT_TRUE(o.run) << err.Text();
  using Kind = cli::InputSource::Kind;
  const std::vector<std::pair<Kind, std::string>> expected = {{Kind::Path, "a.VX"},
                                                              {Kind::ListFile, "l1"},
                                                              {Kind::Path, "b"},
                                                              {Kind::ListFile, "-"},
                                                              {Kind::Path, "c.VX"}};
  ASSERT_EQ(o.request.inputs.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(o.request.inputs[i].kind, expected[i].first) << i;
    EXPECT_EQ(o.request.inputs[i].text, expected[i].second) << i;
  }
  EXPECT_TRUE(o.request.recursive);
  EXPECT_TRUE(o.request.output_options_set);
  EXPECT_EQ(o.request.report, "r.json");
  EXPECT_TRUE(o.request.quiet);
  EXPECT_FALSE(o.request.progress);
  EXPECT_TRUE(o.request.skip_up_to_date);
  EXPECT_TRUE(o.request.require_drawings);
  // The warning of broken settings is kept for the run to print and report.
  EXPECT_EQ(o.request.settings_warning, defaults.settings_warning);

  const ParseOutcome plain = Parse({"a.VX"});
  EXPECT_FALSE(plain.request.output_options_set);
  EXPECT_FALSE(plain.request.verbose);
  EXPECT_FALSE(plain.request.dry_run);
  EXPECT_FALSE(plain.request.save);
  EXPECT_TRUE(Parse({"-v", "a.VX"}).request.verbose);
  EXPECT_FALSE(Parse({"--no-progress", "a.VX"}).request.progress);
  defaults.options.ConnectNum = 1;
  const ParseOutcome shard = Parse({"--shard", "2/3", "--no-combine", "--save", "d.VX"});
  ASSERT_TRUE(shard.run) << err.Text();
  EXPECT_EQ(shard.request.shard->number, 2u);
  EXPECT_EQ(shard.request.shard->count, 3u);
  EXPECT_TRUE(shard.request.save);
}

TEST_F(BatchArgumentsTest, FoldersAreMadeAbsoluteAndFoundInTheCodePage) {
  // A folder with a Japanese name, in the narrow encoding of the platform: Shift-JIS under
  // code page 932, where the C++ library's own file layer would read the bytes as UTF-8.
  const text::CodePage cp = platform::ActiveCodePage();
  if (cp == text::CodePage::SingleByte) {
    GTEST_SKIP() << "no Japanese names in this code page";
  }
  const std::string name = cp == text::CodePage::ShiftJis ? "\x95\x5C\x8E\x86"  // 表紙
                                                          : "\xE8\xA1\xA8\xE7\xB4\x99";
  const std::string folder = dir.Path() + kSep + name;
#ifdef _WIN32
  ASSERT_EQ(_mkdir(folder.c_str()), 0);
#else
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
#endif
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  const ParseOutcome o = Parse({"--output-dir", name, "--app-folder", folder, "d.VX"});
  std::filesystem::current_path(cwd);
  ASSERT_TRUE(o.run) << err.Text();
  EXPECT_EQ(o.request.options.SelFolder, folder + kSep);
  EXPECT_EQ(o.request.app_folder, folder + kSep);
}

namespace {

class BatchRunTest : public ::testing::Test {
 protected:
  BatchRunTest() : out(dir.File("out.txt")), err(dir.File("err.txt")) {
    request.app_folder = dir.Path() + kSep + "app" + kSep;
    paths = ToolPathsFor(request.app_folder, kStyle, text::CodePage::Utf8);
    runner.programs[paths.export_tool] = [this](const std::string&) {
      seen_before_start.push_back(out.Text());
      return true;
    };
    runner.programs[paths.output_utility] = [this](const std::string& line) {
      seen_before_start.push_back(out.Text());
      const auto at = line.find("\"/pdfpath:") + 10;
      files.existing.insert(line.substr(at, line.find('"', at) - at));
      return true;
    };
    for (const char* name : {"one.VX", "two.VX"}) {
      request.drawings.push_back(dir.File(name));
      WriteBytes(request.drawings.back(), DrawingHeader());
    }
    files.existing = {paths.export_tool, paths.output_utility};
  }

  int Run() {
    cli::BatchEnvironment env{ConversionServices{runner, files}, kStyle, text::CodePage::Utf8};
    env.out = out.file();
    env.err = err.file();
    env.stop = &stop;
    env.cancel = &cancel;
    env.settings = &settings;
    env.locks = &locks;
    env.processes = &processes;
    env.settings_file = dir.File("PLOTXFER.reg");
    env.pause = [] {};  // --wait's seconds pass at once
    return cli::RunBatch(request, env);
  }

  TempFolder dir;
  Capture out, err;
  cli::BatchRequest request;
  ToolPaths paths;
  FakeRunner runner;
  FakeFiles files;
  plotxfer::testing::FakeLocks locks;
  plotxfer::testing::FakeProcessList processes;
  std::atomic<bool> stop{false};
  platform::ToolCancel cancel;
  std::vector<std::string> seen_before_start;
  plotxfer::testing::FakeValueStore stored_values;
  SettingsStore settings{stored_values};
};

}  // namespace

TEST_F(BatchRunTest, PrintsOneNumberedLinePerDrawingAndSucceedsOnlyWhenAllConverted) {
  request.drawings.insert(request.drawings.begin() + 1, dir.File("missing.VX"));
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(out.Text(), "  1 " + request.drawings[0] + " 変換終了\n" +  //
                            "  2 " + request.drawings[1] + " エラー(1)\n" + "  3 " +
                            request.drawings[2] + " 変換終了\n");
  EXPECT_NE(err.Text().find(request.drawings[1] + ": the file cannot be opened"), std::string::npos)
      << err.Text();

  request.drawings.erase(request.drawings.begin() + 1);
  const std::string errors = err.Text();
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(err.Text(), errors);  // nothing more
}

TEST_F(BatchRunTest, VerbosePrintsEachLineBeforeItsToolStarts) {
  request.verbose = true;
  ASSERT_EQ(Run(), 0);
  ASSERT_EQ(runner.calls.size(), 4u);
  ASSERT_EQ(seen_before_start.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    // What was printed when the tool started ends with exactly its command line.
    const std::string expected_tail = runner.calls[i].command_line + "\n";
    const std::string& printed = seen_before_start[i];
    ASSERT_GE(printed.size(), expected_tail.size());
    EXPECT_EQ(printed.substr(printed.size() - expected_tail.size()), expected_tail);
  }
}

TEST_F(BatchRunTest, DryRunPrintsTheLinesAndTouchesNothing) {
  request.dry_run = true;
  files.existing = {paths.intermediate_csd};
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(runner.calls.empty());
  EXPECT_TRUE(files.removed.empty());
  const CommandContext ctx{request.options, 2, kStyle, text::CodePage::Utf8};
  ConversionPlan plan;
  ASSERT_EQ(PlanConversion(ctx, request.app_folder, request.drawings[0], &plan), Converted);
  const std::string text = out.Text();
  EXPECT_EQ(text.find(plan.export_command.command_line + "\n" + plan.output_command.command_line +
                      "\n  1 "),
            0u)
      << text;

  request.drawings.push_back(dir.File("nothing.VX"));
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(runner.calls.empty());
}

TEST_F(BatchRunTest, SaveStoresTheGeneralOptionsAndTheOutputOptionsOnlyWhenSet) {
  EXPECT_EQ(Run(), 0);
  request.dry_run = true;
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(stored_values.log().empty());  // nothing unless asked

  request.dry_run = false;
  request.save = true;
  request.options.PdfOrImage = 0;
  request.options.BAndWFlg = 0;
  request.options.VFontFlg = 1;
  request.options.FolderType = 1;
  request.options.SelFolder = dir.Path() + kSep;
  // Output options: the dialog's settings sheet stores them, this program when it set them.
  request.options.PdfSizeType = 1;
  request.options.PdfPaperType = 11;
  request.options.PdfOptXSize = 500;
  request.options.PdfOptYSize = 250;
  request.options.ConnectNum = 0;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(settings.ReadNumber(kBootDataKey, "BAndWFlg"), 0);
  EXPECT_EQ(settings.ReadNumber(kBootDataKey, "VFontFlg"), 1);
  EXPECT_EQ(settings.ReadText(kBootDataKey, "SelFolder"), dir.Path() + kSep);
  EXPECT_EQ(settings.ReadNumber(kPdfKey, "PaperType"), std::nullopt);
  request.output_options_set = true;
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(settings.ReadNumber(kPdfKey, "SizeType"), 1);
  EXPECT_EQ(settings.ReadNumber(kPdfKey, "PaperType"), 11);
  EXPECT_EQ(settings.ReadNumber(kPdfKey, "OptXSize"), 500);
  EXPECT_EQ(settings.ReadNumber(kPdfKey, "ConnectNum"), 0);
}

TEST_F(BatchRunTest, AFailedSaveIsReportedAndTheDrawingsAreStillConverted) {
  request.save = true;
  stored_values.FailSetsOf("SelFolder");
  EXPECT_EQ(Run(), 1);
  EXPECT_NE(err.Text().find("the options could not be saved"), std::string::npos) << err.Text();
  EXPECT_EQ(runner.calls.size(), 4u);
  EXPECT_NE(out.Text().find("  2 " + request.drawings[1]), std::string::npos);
}

TEST_F(BatchRunTest, RowsRefusedOrSkippedBeforeTheRunKeepTheirPlace) {
  const std::string out_dir = dir.File("out");
  std::filesystem::create_directories(dir.File("sub"));
  std::filesystem::create_directories(out_dir);
  request.options.FolderType = 1;
  request.options.SelFolder = out_dir + kSep;
  const std::string again = dir.File("sub") + kSep + "one.VX";  // its output is one.pdf too
  WriteBytes(again, DrawingHeader());
  request.drawings.insert(request.drawings.begin() + 1, again);
  // two.pdf is newer than two.VX.
  WriteBytes(out_dir + kSep + "two.pdf", "%PDF");
  std::filesystem::last_write_time(
      request.drawings[2], std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  request.skip_up_to_date = true;
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(out.Text(), "  1 " + request.drawings[0] + " 変換終了\n" +  //
                            "  2 " + again + " エラー(4)\n" +           //
                            "  3 " + request.drawings[2] + " 変換終了 (up to date, skipped)\n");
  EXPECT_NE(err.Text().find(again + ": its output " + out_dir + kSep +
                            "one.pdf is also the output of row 1"),
            std::string::npos)
      << err.Text();
  EXPECT_EQ(runner.calls.size(), 2u);  // the first drawing only

  // Without the switch, an output newer than its drawing is made again.
  request.skip_up_to_date = false;
  runner.calls.clear();
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(runner.calls.size(), 4u);
}

TEST_F(BatchRunTest, TheReportHoldsThePrintedRowsAlsoAfterAStop) {
  request.report = dir.File("report.json");
  request.drawings.push_back(dir.File("bad.VX"));
  WriteBytes(request.drawings.back(), "not a drawing");
  // Ctrl-C while the first drawing is exported.
  runner.programs[paths.export_tool] = [this](const std::string&) {
    stop = true;
    return true;
  };
  ASSERT_EQ(Run(), 130);
  EXPECT_EQ(runner.calls.size(), 2u);  // no further drawing started
  EXPECT_NE(err.Text().find("2 drawing(s) not converted"), std::string::npos) << err.Text();
  const auto report = nlohmann::json::parse(ReadBytes(request.report));
  EXPECT_EQ(report["exit_status"], 130);
  EXPECT_EQ(report["summary"],
            nlohmann::json::parse(
                R"({"converted":1,"failed":0,"not_reached":2,"interrupted":0,"same_as":0})"));
  const auto& rows = report["drawings"];
  ASSERT_EQ(rows.size(), 3u);
  std::string printed;
  for (const auto& row : rows) {
    printed +=
        "  " + std::to_string(row["row"].get<int>()) + " " + row["path"].get<std::string>() + " " +
        (row["result"].is_null() ? "(not reached)" : row["status"].get<std::string>()) + "\n";
  }
  EXPECT_EQ(printed, out.Text());
  EXPECT_EQ(rows[0]["result"], 0);
  EXPECT_EQ(rows[0]["output"], dir.File("one.pdf"));
  EXPECT_TRUE(rows[1]["result"].is_null());
  EXPECT_EQ(rows[1]["status"], "");

  // Every drawing reached: the exit status and the report agree on the failure.
  stop = false;
  runner.programs[paths.export_tool] = [](const std::string&) { return true; };
  ASSERT_EQ(Run(), 1);
  const auto second = nlohmann::json::parse(ReadBytes(request.report));
  EXPECT_EQ(second["exit_status"], 1);
  EXPECT_EQ(second["drawings"][2]["result"], 1);
  EXPECT_EQ(second["drawings"][2]["status"], "エラー(1)");
}

TEST_F(BatchRunTest, ASecondInterruptEndsTheToolAndItsRowHasNoResult) {
  request.report = dir.File("report.json");
  runner.programs[paths.export_tool] = [this](const std::string&) {
    stop = true;
    cancel.Request();
    return true;
  };
  runner.outcomes[paths.export_tool] = platform::ToolOutcome::Cancelled;
  EXPECT_EQ(Run(), 130);
  EXPECT_EQ(runner.calls.size(), 1u);
  EXPECT_EQ(out.Text(), "  1 " + request.drawings[0] + " 中断\n  2 " + request.drawings[1] +
                            " (not reached)\n");
  const auto report = nlohmann::json::parse(ReadBytes(request.report));
  EXPECT_TRUE(report["drawings"][0]["result"].is_null());
  EXPECT_EQ(report["drawings"][0]["interrupted"], true);
  EXPECT_EQ(report["summary"]["interrupted"], 1);
  EXPECT_EQ(report["summary"]["not_reached"], 1);
}

// A scheduler tells a busy machine from a failure: an output utility that stays in use refuses
// (3) also between drawings, after --wait; rows of a combination ended by another row are shown
// "中断" but were not interrupted.
TEST_F(BatchRunTest, BusyIsARefusalAndOnlyAnInterruptInterrupts) {
  struct Case {
    const char* name;
    bool combined;
    const char* bad;  // a drawing that is no drawing, or none
    int wait;
    int exit_status;
    int interrupted;
  };
  const Case cases[] = {
      {"a combination ended by its second drawing", true, "two.VX", 0, 1, 0},
      {"the utility stays busy after the first drawing", false, nullptr, 1, 3, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    request.report = dir.File("report.json");
    request.options.ConnectNum = c.combined ? 1 : 0;
    request.wait_seconds = c.wait;
    if (c.bad != nullptr) {
      WriteBytes(dir.File(c.bad), "not a drawing");
    }
    processes.answers = {platform::ProcessPresence::Absent, platform::ProcessPresence::Absent};
    processes.presence =
        c.wait > 0 ? platform::ProcessPresence::Running : platform::ProcessPresence::Absent;
    EXPECT_EQ(Run(), c.exit_status) << err.Text();
    const auto report = nlohmann::json::parse(ReadBytes(request.report));
    EXPECT_EQ(report["exit_status"], c.exit_status);
    EXPECT_EQ(report["summary"]["interrupted"], c.interrupted);
    EXPECT_FALSE(report["drawings"][0].contains("interrupted")) << report.dump();
    EXPECT_EQ(report["drawings"][0]["result"].is_null(), c.combined);
  }
}

namespace {

// The run with the parameter file of a real application folder, the drafting system's settings
// and the screen faked.
class BatchParamsTest : public BatchRunTest {
 protected:
  BatchParamsTest() {
    std::filesystem::copy(std::filesystem::path(PLOTXFER_TEST_DATA) / "params" / "app",
                          request.app_folder);
    profile.LoadIni(ReadBytes(request.app_folder + "VELLUMIX.SYS"));
    request.options.BAndWFlg = 0;
    request.options.WIdtHFlg = 1;
    request.options.PitchFlg = 1;
  }

  int RunWithParams() {
    cli::BatchEnvironment env{ConversionServices{runner, files}, kStyle, text::CodePage::Utf8};
    env.out = out.file();
    env.err = err.file();
    env.params = &services;
    env.settings = &settings;
    env.locks = &locks;
    env.processes = &processes;
    return cli::RunBatch(request, env);
  }

  std::string ParamFile() const { return ReadBytes(request.app_folder + "vxcsd.cprm"); }

  params::testing::FakeProfile profile;
  params::testing::FakeScreen screen{96};
  std::vector<std::size_t> tool_calls_at_rewrite;
  params::ParamServices services{
      profile, screen, [this](const std::string& path, std::string_view bytes, std::string* e) {
        tool_calls_at_rewrite.push_back(runner.calls.size());
        return params::testing::ReplaceByWriting(path, bytes, e);
      }};
};

}  // namespace

TEST_F(BatchParamsTest, RewritesTheParameterFileOnceBeforeTheFirstExport) {
  // A dry run leaves it alone.
  const std::string before = ParamFile();
  request.dry_run = true;
  EXPECT_EQ(RunWithParams(), 0);
  EXPECT_TRUE(tool_calls_at_rewrite.empty());
  EXPECT_EQ(ParamFile(), before);

  request.dry_run = false;
  ASSERT_EQ(RunWithParams(), 0) << err.Text();
  EXPECT_EQ(tool_calls_at_rewrite, std::vector<std::size_t>{0});
  EXPECT_EQ(runner.calls.size(), 4u);
  EXPECT_NE(ParamFile(), before);
}

TEST_F(BatchParamsTest, AFileThatCannotBeRewrittenIsReportedAndTheRunGoesOn) {
  std::filesystem::remove(request.app_folder + "vxcsd.std");
  std::filesystem::remove(request.app_folder + "vxcsd.cprm");
  EXPECT_EQ(RunWithParams(), 1);
  const std::string text = err.Text();
  EXPECT_NE(text.find("no default line patterns: cannot read "), std::string::npos) << text;
  EXPECT_NE(text.find("the parameter file was not rewritten: cannot read "), std::string::npos)
      << text;
  EXPECT_EQ(runner.calls.size(), 4u);
  EXPECT_NE(out.Text().find("  2 " + request.drawings[1] + " 変換終了"), std::string::npos);
}

// Refused for want of a tool, or by the engine (whose every refusal is shown in its own tests).
TEST_F(BatchParamsTest, ARefusedRunSavesAndWritesNothing) {
  struct Case {
    const std::string* missing_tool;
    platform::ProcessPresence utility;
    std::string reason;
  };
  const Case cases[] = {
      {&paths.export_tool, platform::ProcessPresence::Absent,
       "the tool " + paths.export_tool + " is missing"},
      {&paths.output_utility, platform::ProcessPresence::Absent,
       "the tool " + paths.output_utility + " is missing"},
      {nullptr, platform::ProcessPresence::Running, "a process named RASTRON.EXE is running"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    files.existing = {paths.export_tool, paths.output_utility};
    if (c.missing_tool != nullptr) {
      files.existing.erase(*c.missing_tool);
    }
    processes.presence = c.utility;
    const std::string before = ParamFile();
    request.save = true;
    request.report = dir.File("report.json");
    EXPECT_EQ(RunWithParams(), 3);
    EXPECT_TRUE(tool_calls_at_rewrite.empty());
    EXPECT_EQ(ParamFile(), before);
    EXPECT_TRUE(runner.calls.empty());
    EXPECT_NE(err.Text().find(c.reason), std::string::npos) << err.Text();
    const auto report = nlohmann::json::parse(ReadBytes(request.report));
    EXPECT_EQ(report["exit_status"], 3);
    EXPECT_EQ(report["summary"]["not_reached"], 2);
  }
  EXPECT_TRUE(stored_values.log().empty());
}

#if !defined(_WIN32) && defined(PLOTXFER_BATCH_EXE)
// The program itself, with its settings in a REGEDIT4 file of the test's own.
TEST(BatchProgram, StartsFromTheStoredSettingsAndStoresThemWhenAsked) {
  plotxfer::testing::TempFolder dir;
  const std::string reg = dir.File("PLOTXFER.reg");
  WriteBytes(reg,
             "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\MORVA\\PLOTXFER\\BootData]\n"
             "\"PdfOrImage\"=dword:00000001\n\"ImageType\"=dword:00000003\n");
  const std::string drawing = dir.File("plan.VX");
  WriteBytes(drawing, DrawingHeader());
  const auto run = [&](const std::string& args) {
    const std::string command = "cd '" + dir.Path() + "' && PLOTXFER_REGISTRY_FILE='" + reg +
                                "' '" PLOTXFER_BATCH_EXE "' --app-folder '" + dir.Path() + "' " +
                                args + " '" + drawing + "' >'" + dir.File("out.txt") + "' 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };

  // The stored image format is the default.
  EXPECT_EQ(run("--dry-run"), 0);
  EXPECT_NE(ReadBytes(dir.File("out.txt")).find("plan.tif"), std::string::npos)
      << ReadBytes(dir.File("out.txt"));

  // Tools that cannot be started: the options are stored first, a relative folder as an
  // absolute one, so that it means the same to a run started elsewhere.
  std::filesystem::create_directories(dir.File("RSTKIT"));
  std::filesystem::create_directories(dir.File("out"));
  WriteBytes(dir.File("VXCVPX.exe"), "");
  WriteBytes(dir.File("RSTKIT") + "/RASTRON.EXE", "");
  EXPECT_EQ(run("--pdf --colour --output-dir out --save"), 1);
  const std::string after = ReadBytes(reg);
  EXPECT_NE(after.find("\"SelFolder\"=\"" + dir.File("out") + "/\""), std::string::npos) << after;
  EXPECT_NE(after.find("\"PdfOrImage\"=dword:00000000"), std::string::npos) << after;
  EXPECT_NE(after.find("\"BAndWFlg\"=dword:00000000"), std::string::npos) << after;
  EXPECT_NE(after.find("\"ImageType\"=dword:00000003"), std::string::npos) << after;
}
#endif

#if defined(_WIN32) && defined(PLOTXFER_BATCH_EXE)
// The program's own command line under code page 932: '*' and '?' are the program's to expand,
// over the names the system lists in Shift-JIS, a double-byte character matching one '?'.
TEST(BatchProgram, ExpandsWildcardsOverShiftJisNames) {
  if (platform::ActiveCodePage() != text::CodePage::ShiftJis) {
    GTEST_SKIP() << "needs code page 932";
  }
  plotxfer::testing::TempFolder dir;
  const std::string folder = dir.Path() + "\\\x90\x7D\x95\x5C";  // 図表: 表 ends in byte 0x5C
  ASSERT_EQ(_mkdir(folder.c_str()), 0);
  const std::string cover = folder + "\\\x95\x5C\x8E\x86.VX";  // 表紙.VX
  const std::string so = folder + "\\\x83\x5C.VX";             // ソ.VX
  const std::string plan = folder + "\\plan.vx";
  for (const std::string& path : {cover, so, plan, folder + "\\notes.txt"}) {
    WriteBytes(path, DrawingHeader());
  }
  int runs = 0;
  const auto dry_run = [&](const std::string& pattern) {
    const std::string out_path = dir.File("out" + std::to_string(++runs) + ".txt");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(out_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(out, INVALID_HANDLE_VALUE);
    STARTUPINFOA start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = out;
    start.hStdError = out;
    std::string line = "\"" PLOTXFER_BATCH_EXE "\" --dry-run --pdf --app-folder \"" + dir.Path() +
                       "\" \"" + pattern + "\"";
    PROCESS_INFORMATION info{};
    const BOOL started = CreateProcessA(PLOTXFER_BATCH_EXE, line.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &start, &info);
    CloseHandle(out);
    EXPECT_TRUE(started) << GetLastError();
    if (started) {
      WaitForSingleObject(info.hProcess, 60000);
      CloseHandle(info.hThread);
      CloseHandle(info.hProcess);
    }
    return ReadBytes(out_path);
  };
  // The drawings (.VX, .vx) a dry run names, in the order they come.
  const auto drawings_in = [&](const std::string& output) {
    std::vector<std::string> found;
    for (std::size_t at = 0; (at = output.find(folder + "\\", at)) != std::string::npos;) {
      const std::size_t end = output.find('"', at);
      const std::string path = output.substr(at, end - at);
      const std::string ext = path.size() > 3 ? path.substr(path.size() - 3) : "";
      if ((ext == ".VX" || ext == ".vx") && (found.empty() || found.back() != path)) {
        found.push_back(path);
      }
      at = end;
    }
    return found;
  };

  EXPECT_EQ(drawings_in(dry_run(folder + "\\*.VX")), (std::vector<std::string>{plan, so, cover}));
  EXPECT_EQ(drawings_in(dry_run(folder + "\\?.VX")), std::vector<std::string>{so});
  EXPECT_EQ(drawings_in(dry_run(folder + "\\\x95\x5C*")), std::vector<std::string>{cover});
}
#endif

TEST_F(BatchRunTest, AReportOverAFileOfTheRunIsAUsageErrorBeforeAnythingRuns) {
  std::filesystem::create_directories(paths.utility_folder);
  const std::string list = dir.File("tonight.txt");
  WriteBytes(list, request.drawings[0] + "\n");
  request.inputs = {{cli::InputSource::Kind::ListFile, list}};
  WriteBytes(dir.File("one.pdf"), "%PDF last night");
  std::string upper = request.drawings[1];
  upper.replace(upper.size() - 6, 3, "TWO");  // another letter case: the same file on Windows
  struct Case {
    std::string report;
    std::string named;  // what the refusal calls it
  };
  std::vector<Case> cases = {
      {request.drawings[1], "the drawing of row 2"},
      {dir.File("one.pdf"), "the output of row 1"},
      {dir.File("sub") + kSep + ".." + kSep + "two.pdf", "the output of row 2"},
      {list, "a list file"},
      {dir.File("PLOTXFER.reg"), "the settings file"},
      {request.app_folder + "vxcsd.cprm", "the parameter file"},
      {paths.utility_folder + kSep + "run.json", "the output utility's folder"},
      {dir.File("missing") + kSep + "run.json", "no folder"},
      {dir.File("sub"), "it is a folder"},
  };
  if (kStyle == text::PathStyle::Windows) {
    cases.push_back({upper, "the drawing of row 2"});
  }
  std::filesystem::create_directories(dir.File("sub"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.report);
    const std::string before = std::filesystem::exists(c.report) ? ReadBytes(c.report) : "";
    const std::size_t printed = out.Text().size();
    request.report = c.report;
    EXPECT_EQ(Run(), 2);
    EXPECT_TRUE(runner.calls.empty());
    EXPECT_EQ(out.Text().size(), printed);
    EXPECT_NE(err.Text().find(c.named), std::string::npos) << err.Text();
    if (std::filesystem::exists(c.report)) {
      EXPECT_EQ(ReadBytes(c.report), before);
    }
  }
  EXPECT_EQ(ReadBytes(dir.File("one.pdf")), "%PDF last night");
}

TEST_F(BatchRunTest, AReportOnStandardOutputSendsTheRowsToStandardError) {
  request.report = "-";
  ASSERT_EQ(Run(), 0);
  const auto report = nlohmann::json::parse(out.Text());
  EXPECT_EQ(report["summary"]["converted"], 2);
  EXPECT_NE(err.Text().find("  2 " + request.drawings[1] + " 変換終了\n"), std::string::npos)
      << err.Text();
}

TEST_F(BatchRunTest, OtherNamesOfADrawingHaveRowsCountedNeitherWay) {
  request.drawings.insert(request.drawings.begin() + 1, dir.File("link.VX"));
  request.same_as[dir.File("link.VX")] = request.drawings[0];
  request.settings_warning = "the settings file s.reg cannot be parsed; it is left as it is";
  request.report = dir.File("report.json");
  request.quiet = true;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(runner.calls.size(), 4u);  // two drawings, each once
  // The note is printed even with -q; so is the warning.
  EXPECT_EQ(out.Text(), "  2 " + dir.File("link.VX") + " (same file as row 1)\n");
  EXPECT_NE(err.Text().find("warning: " + request.settings_warning), std::string::npos);
  const auto report = nlohmann::json::parse(ReadBytes(request.report));
  EXPECT_EQ(report["drawings"][1]["same_as"], 1);
  EXPECT_TRUE(report["drawings"][1]["result"].is_null());
  EXPECT_EQ(report["summary"],
            nlohmann::json::parse(
                R"({"converted":2,"failed":0,"not_reached":0,"interrupted":0,"same_as":1})"));
  EXPECT_EQ(report["settings_warning"], request.settings_warning);
}

TEST_F(BatchRunTest, NoDrawingsAtAllIsSaidAndFailsOnlyWhenDrawingsAreRequired) {
  request.drawings.clear();
  EXPECT_EQ(Run(), 0);
  EXPECT_NE(err.Text().find("no drawings"), std::string::npos);
  request.require_drawings = true;
  EXPECT_EQ(Run(), 1);
  request.dry_run = true;
  EXPECT_EQ(Run(), 1);
}

#if defined(_WIN32) && defined(PLOTXFER_BATCH_EXE)
// A name the ANSI code page cannot hold reaches the program as Unicode and is refused, never
// turned into a look-alike that names another file.
TEST(BatchProgram, RefusesAnArgumentTheCodePageCannotHold) {
  if (platform::ActiveCodePage() != text::CodePage::ShiftJis) {
    GTEST_SKIP() << "needs code page 932";
  }
  const auto run = [](const std::wstring& argument) {
    std::wstring exe;
    for (const char c : std::string(PLOTXFER_BATCH_EXE)) {
      exe += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    std::wstring line = L"\"" + exe + L"\" --dry-run \"" + argument + L"\"";
    STARTUPINFOW start{};
    start.cb = sizeof start;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &start, &info)) {
      return -1;
    }
    WaitForSingleObject(info.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return static_cast<int>(code);
  };
  EXPECT_EQ(run(L"caf\u00E9.VX"), 2);      // é: no exact form in code page 932
  EXPECT_EQ(run(L"plan\u00A5old.VX"), 2);  // ¥ would become a backslash by best fit
  EXPECT_EQ(run(L"\u8868\u7D19.VX"), 1);   // 表紙 is held; the drawing is missing
}
#endif
