#include "core/convert/run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/convert/combined_pdf.h"
#include "core/convert/status_text.h"
#include "fake_services.h"
#include "temp_files.h"

using namespace plotxfer;
using plotxfer::testing::DrawingHeader;
using plotxfer::testing::FakeFiles;
using plotxfer::testing::FakeLocks;
using plotxfer::testing::FakeProcessList;
using plotxfer::testing::FakeRunner;
using plotxfer::testing::TempFolder;
using plotxfer::testing::WriteBytes;

namespace {

#ifdef _WIN32
constexpr text::PathStyle kStyle = text::PathStyle::Windows;
#else
constexpr text::PathStyle kStyle = text::PathStyle::Posix;
#endif

// Records what a front end would show; stops when asked for the stop_at-th time (from 0).
class RecordingObserver : public RunObserver {
 public:
  void RunPreparing() override {
    events.push_back("prepare");
    if (prepare) {
      prepare();
    }
  }
  void RunStarted(std::size_t n) override { events.push_back("start " + std::to_string(n)); }
  bool StopRequested() override {
    ++asked;
    return stop_at >= 0 && asked - 1 == stop_at;
  }
  void RowStatusChanged(std::size_t row, RowStatus status, ConversionResult code,
                        const ConversionFailure& why) override {
    events.push_back("row " + std::to_string(row) + " " +
                     StatusText(status, code, text::CodePage::Utf8));
    if (status == RowStatus::Failed || status == RowStatus::Aborted) {
      EXPECT_FALSE(why.detail.empty()) << events.back();
    }
    if (status == RowStatus::Converted || status == RowStatus::Failed) {
      finished.push_back(std::to_string(row) + ":" + std::to_string(code));
    }
    if (status == RowStatus::Failed) {
      kinds.push_back(why.kind);
    }
  }
  void RowStarted(std::size_t, const std::string&) override {}
  std::size_t Converted() const {
    return static_cast<std::size_t>(std::count_if(
        finished.begin(), finished.end(), [](auto& f) { return f.substr(f.find(':')) == ":0"; }));
  }

  std::function<void()> prepare;  // what the front end does there (captures its options)
  int stop_at = -1;
  int asked = 0;
  std::vector<std::string> events;
  std::vector<std::string> finished;
  std::vector<FailureKind> kinds;  // of the rows that failed
};

// The last text each row shows, joined by " | ".
std::string FinalTexts(const std::vector<std::string>& events, std::size_t rows) {
  std::vector<std::string> texts(rows);
  for (const std::string& e : events) {
    if (e.rfind("row ", 0) == 0) {
      const std::size_t at = e.find(' ', 4);
      texts[std::stoul(e.substr(4, at - 4))] = e.substr(at + 1);
    }
  }
  std::string joined;
  for (const std::string& t : texts) {
    joined += (joined.empty() ? "" : " | ") + t;
  }
  return joined;
}

// Drawings are real files (their headers are read); tools and the files in RSTKIT are fakes.
// The fake export tool writes the CSD file its line ends with, the fake output utility the PDF
// its line names.
struct RunSetup {
  RunSetup() {
    app = work.File("app");
    paths = ToolPathsFor(app, kStyle, text::CodePage::Utf8);
    runner.programs[paths.export_tool] = [this](const std::string& line) {
      const auto end = line.rfind('"');
      const auto begin = line.rfind('"', end - 1) + 1;
      files.existing.insert(line.substr(begin, end - begin));
      return true;
    };
    runner.programs[paths.output_utility] = [this](const std::string& line) {
      const auto at = line.find("\"/pdfpath:") + 10;
      files.existing.insert(line.substr(at, line.find('"', at) - at));
      return true;
    };
    for (const char* name : {"a.VX", "b.VX", "c.VX"}) {
      drawings.push_back(work.File(name));
      WriteBytes(drawings.back(), DrawingHeader());
    }
    pdf = work.File("a.pdf");
    list = CombinedListPath(app, kStyle, text::CodePage::Utf8);
  }

  CommandContext Context() { return CommandContext{options, 2, kStyle, text::CodePage::Utf8}; }

  RunRefusal RunList() {
    return RunConversions(Context(), ConversionServices{runner, files}, app, drawings, observer);
  }

  RunRefusal Execute(double wait_seconds = 0, std::string* why = nullptr) {
    return ExecuteRun(Context(), ConversionServices{runner, files},
                      RunPorts{locks, processes, wait_seconds, [this] { ++pauses; }}, app, drawings,
                      observer, why);
  }

  std::string Csd(std::size_t i) { return NumberedCsdPath(app, i, kStyle, text::CodePage::Utf8); }

  bool UtilityStarted() {
    for (const auto& call : runner.calls) {
      if (call.program == paths.output_utility) {
        return true;
      }
    }
    return false;
  }

  TempFolder work;
  std::string app, pdf, list;
  ToolPaths paths;
  ConversionOptions options;
  FakeFiles files;
  FakeRunner runner;
  FakeLocks locks;
  FakeProcessList processes;
  RecordingObserver observer;
  std::vector<std::string> drawings;
  int pauses = 0;
};

class RunTest : public ::testing::Test, public RunSetup {};

}  // namespace

// A stop request never ends a tool: the drawing under way is finished, no other is started.
TEST(Run, StopIsSeenOnlyBetweenDrawings) {
  struct Case {
    const char* name;
    bool whole_run;  // through ExecuteRun, which asks once more after preparing
    int stop_at;
    std::size_t converted;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {"Abort clicked while the first drawing converts",
       false,
       1,
       1,
       {"start 3", "row 0 変換中...", "row 0 変換終了"}},
      {"before the first drawing", false, 0, 0, {"start 3"}},
      {"while the settings are saved: no row is touched", true, 0, 0, {"prepare"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunSetup t;
    t.observer.stop_at = c.stop_at;
    EXPECT_EQ(c.whole_run ? t.Execute() : t.RunList(), RunRefusal::None);
    EXPECT_EQ(t.observer.Converted(), c.converted);
    EXPECT_EQ(t.observer.events, c.events);
    EXPECT_EQ(t.runner.calls.size(), 2 * c.converted);
  }
}

TEST_F(RunTest, OnlyPdfOutputOfSeveralDrawingsWithConnectNumCombines) {
  struct Case {
    int pdf_or_image, connect_num;
    std::size_t drawings;
    bool combined;
  };
  const Case cases[] = {{0, 1, 2, true},  {0, 1, 3, true},  {0, 1, 1, false},
                        {0, 0, 3, false}, {1, 1, 3, false}, {2, 1, 3, false}};
  for (const Case& c : cases) {
    options.PdfOrImage = c.pdf_or_image;
    options.ConnectNum = c.connect_num;
    EXPECT_EQ(RunCombines(options, c.drawings), c.combined)
        << c.pdf_or_image << " " << c.connect_num << " " << c.drawings;
  }
  // One drawing with ConnectNum 1: a single conversion through the one CSD file.
  options.PdfOrImage = 0;
  options.ConnectNum = 1;
  drawings.resize(1);
  RunList();
  EXPECT_EQ(observer.finished, (std::vector<std::string>{"0:0"}));
  EXPECT_NE(runner.calls[0].command_line.find(paths.intermediate_csd), std::string::npos);
}

TEST_F(RunTest, ThreeDrawingsMakeOnePdfNamedAfterTheFirst) {
  options.ConnectNum = 1;
  RunList();
  // Every row reads "変換中..." until all are exported; the results come together at the end.
  EXPECT_EQ(observer.events, (std::vector<std::string>{
                                 "start 3", "row 0 変換中...", "row 1 変換中...", "row 2 変換中...",
                                 "row 0 変換終了", "row 1 変換終了", "row 2 変換終了"}));
  EXPECT_EQ(observer.finished, (std::vector<std::string>{"0:0", "1:0", "2:0"}));
  // Three exports, each to its numbered CSD file, then the utility once.
  ASSERT_EQ(runner.calls.size(), 4u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(runner.calls[i].command_line,
              BuildExportCommandLine(Context(), app, drawings[i], Csd(i))->command_line);
  }
  const std::string sep(1, text::PathSeparator(kStyle));
  EXPECT_EQ(files.written[list], paths.utility_folder + sep + "VXTMPPDF000.CSD\r\n" +
                                     paths.utility_folder + sep + "VXTMPPDF001.CSD\r\n" +
                                     paths.utility_folder + sep + "VXTMPPDF002.CSD\r\n");
  EXPECT_EQ(runner.calls[3].command_line,
            BuildCombinedPdfCommandLine(Context(), app, list, pdf, 3)->command_line);
  EXPECT_EQ(files.existing.count(pdf), 1u);
  // Asked before each export, then twice after the combination.
  EXPECT_EQ(observer.asked, 5);
}

TEST(CombinedRun, EndsWithoutAStaleFileTakenForItsResult) {
  // How far the combination got: no tool, as every drawing is looked at before the first export;
  // the exports only; the list file written; the output utility started.
  enum Reached { kNothing, kExports, kList, kUtility };
  struct Case {
    const char* name;
    const char* texts;  // each row's last text
    int asked;          // how often the front end was asked whether to stop
    Reached reached;
    std::function<void(RunSetup&)> arrange;
    FailureKind kind = FailureKind::Other;  // of every row shown failed
  };
  const char* all_failed = "エラー(3) | エラー(3) | エラー(3)";
  const Case cases[] = {
      {"the second drawing is not valid", "中断 | エラー(1) | 中断", 2, kNothing,
       [](RunSetup& t) { WriteBytes(t.drawings[1], "not a drawing"); }},
      {"the last drawing is not valid", "中断 | 中断 | エラー(1)", 2, kNothing,
       [](RunSetup& t) { WriteBytes(t.drawings[2], "not a drawing"); }},
      {"the second drawing is the PDF, spelt otherwise", "中断 | エラー(4) | 中断", 2, kNothing,
       [](RunSetup& t) {
         t.files.one_file.insert({t.pdf, t.drawings[1]});
       },
       FailureKind::ReplacesDrawing},
      {"the export tool does not start", "エラー(2) | 中断 | 中断", 3, kExports,
       [](RunSetup& t) { t.runner.programs.erase(t.paths.export_tool); }, FailureKind::NotStarted},
      {"a numbered CSD file survives its deletion", "中断 | エラー(2) | 中断", 4, kExports,
       [](RunSetup& t) {
         t.files.existing.insert(t.Csd(1));
         t.files.locked.insert(t.Csd(1));
       },
       FailureKind::OldFileStays},
      {"the export writes no CSD file", "中断 | 中断 | エラー(2)", 5, kExports,
       [](RunSetup& t) {
         t.runner.programs[t.paths.export_tool] = [&t](const std::string& line) {
           if (line.find(t.Csd(2)) == std::string::npos) {
             t.files.existing.insert(line.find(t.Csd(0)) != std::string::npos ? t.Csd(0)
                                                                              : t.Csd(1));
           }
           return true;
         };
       }},
      {"the export tool times out", "エラー(2) | 中断 | 中断", 3, kExports,
       [](RunSetup& t) {
         t.runner.outcomes[t.paths.export_tool] = platform::ToolOutcome::TimedOut;
       },
       FailureKind::TimedOut},
      {"the list file cannot be written", all_failed, 5, kExports,
       [](RunSetup& t) { t.files.unwritable.insert(t.list); }},
      {"the old PDF survives its deletion", all_failed, 5, kList,
       [](RunSetup& t) { t.files.locked.insert(t.pdf); }, FailureKind::OldFileStays},
      {"the output utility is missing", all_failed, 5, kUtility,
       [](RunSetup& t) { t.runner.programs.erase(t.paths.output_utility); },
       FailureKind::NotStarted},
      {"the output utility writes nothing", all_failed, 5, kUtility,
       [](RunSetup& t) {
         t.runner.programs[t.paths.output_utility] = [](const std::string&) { return true; };
       }},
      {"the output utility times out after writing part of the PDF", all_failed, 5, kUtility,
       [](RunSetup& t) {
         t.runner.outcomes[t.paths.output_utility] = platform::ToolOutcome::TimedOut;
       },
       FailureKind::TimedOut},
      {"Abort during the second export", "中断 | 中断 | 中断", 4, kExports,
       [](RunSetup& t) { t.observer.stop_at = 2; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunSetup t;
    t.options.ConnectNum = 1;
    t.files.existing.insert(t.pdf);  // from an earlier run
    t.files.existing.insert(t.list);
    c.arrange(t);
    t.RunList();
    EXPECT_EQ(FinalTexts(t.observer.events, 3), c.texts);
    EXPECT_EQ(t.runner.calls.empty(), c.reached == kNothing);
    EXPECT_EQ(t.files.written.count(t.list), c.reached >= kList ? 1u : 0u);
    EXPECT_EQ(t.UtilityStarted(), c.reached == kUtility);
    EXPECT_EQ(t.files.existing.count(t.pdf), 1u);  // the last good PDF is kept
    EXPECT_EQ(t.observer.asked, c.asked);
    // Every row shown failed reached its result; the rows shown "中断" did not.
    std::size_t shown_failed = 0;
    for (std::size_t at = 0; (at = std::string(c.texts).find("エラー", at)) != std::string::npos;
         ++at) {
      ++shown_failed;
    }
    EXPECT_EQ(t.observer.finished.size(), shown_failed);
    EXPECT_EQ(t.observer.kinds, std::vector<FailureKind>(shown_failed, c.kind));
    EXPECT_EQ(t.observer.Converted(), 0u);
  }
}

// The PDF's record says which drawings made it, in which order; a failure keeps both.
TEST_F(RunTest, ACombinedPdfRecordsTheDrawingsItWasMadeFrom) {
  options.ConnectNum = 1;
  EXPECT_FALSE(CombinedPdfMadeFrom(files, pdf, drawings));
  RunList();
  EXPECT_TRUE(CombinedPdfMadeFrom(files, pdf, drawings));
  const std::vector<std::string> others[] = {
      {drawings[0], drawings[2], drawings[1]}, {drawings[0], drawings[1]}, {drawings[0]}};
  for (const auto& other : others) {
    EXPECT_FALSE(CombinedPdfMadeFrom(files, pdf, other)) << other.size();
  }
  // Another set whose PDF is not made: the PDF and its record stay as they were.
  runner.programs[paths.output_utility] = [](const std::string&) { return true; };
  drawings.pop_back();
  RunList();
  EXPECT_TRUE(files.Exists(pdf));
  EXPECT_TRUE(
      CombinedPdfMadeFrom(files, pdf, {work.File("a.VX"), work.File("b.VX"), work.File("c.VX")}));
}

// Whatever the outcome, no CSD or list file of a run stays in RSTKIT, an earlier run's neither.
TEST(Run, LeavesNoTemporaryFileBehind) {
  struct Case {
    const char* name;
    int connect_num;
    bool utility_writes;
  };
  const Case cases[] = {{"one by one", 0, true},
                        {"one by one, failed", 0, false},
                        {"combined", 1, true},
                        {"combined, failed", 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunSetup t;
    t.options.ConnectNum = c.connect_num;
    if (!c.utility_writes) {
      t.runner.programs[t.paths.output_utility] = [](const std::string&) { return true; };
    }
    const std::vector<std::string> temporaries =
        RunTemporaryFiles(t.app, kStyle, text::CodePage::Utf8);
    t.files.existing.insert(t.Csd(60));  // from an earlier, longer list
    t.RunList();
    for (const std::string& path : temporaries) {
      EXPECT_FALSE(t.files.Exists(path)) << path;
    }
    EXPECT_EQ(std::count(temporaries.begin(), temporaries.end(), t.paths.intermediate_csd), 1);
    EXPECT_EQ(std::count(temporaries.begin(), temporaries.end(), t.list), 1);
  }
}

// A busy folder or utility is looked at again once a second, up to the wait; a stop ends the
// wait; without a wait the run is refused at once. A refused run saves nothing and touches no row.
TEST(ExecuteRun, WaitsForItsTurnUpToTheWait) {
  using platform::LockState;
  using platform::ProcessPresence;
  const ProcessPresence absent = ProcessPresence::Absent;
  const ProcessPresence running = ProcessPresence::Running;
  struct Case {
    const char* name;
    double wait;
    std::vector<LockState> locks;
    std::vector<ProcessPresence> answers;  // the folder's export tool, then the utility, ...
    ProcessPresence utility;               // after the answers
    int stop_at;
    RunRefusal refusal;
    bool converted;
    int pauses;
    const char* reason = "";  // in words, for scripts and reports
    bool empty_list = false;
  };
  const Case cases[] = {
      {"no wait: a running utility refuses at once",
       0,
       {},
       {},
       running,
       -1,
       RunRefusal::OutputUtilityRunning,
       false,
       0,
       "a process named RASTRON.EXE is running"},
      {"an empty list",
       0,
       {},
       {},
       running,
       -1,
       RunRefusal::NothingToConvert,
       false,
       0,
       "no drawing",
       true},
      {"another run holds the folder",
       0,
       {LockState::Held},
       {},
       absent,
       -1,
       RunRefusal::FolderInUse,
       false,
       0,
       "in use by another run"},
      {"no process list",
       0,
       {},
       {},
       ProcessPresence::ListUnavailable,
       -1,
       RunRefusal::ProcessListUnavailable,
       false,
       0,
       "processes cannot be taken"},
      {"the folder is let go within the wait",
       5,
       {LockState::Held, LockState::Held},
       {},
       absent,
       -1,
       RunRefusal::None,
       true,
       2},
      {"the utility ends within the wait",
       5,
       {},
       {absent, running, absent, running},
       absent,
       -1,
       RunRefusal::None,
       true,
       2},
      {"the utility runs longer than the wait",
       2,
       {},
       {},
       running,
       -1,
       RunRefusal::OutputUtilityRunning,
       false,
       2},
      {"the folder's own export tool still runs",
       0,
       {},
       {running},
       absent,
       -1,
       RunRefusal::FolderInUse,
       false,
       0},
      {"no limit",
       -1,
       {},
       {running, absent, running, absent, running, absent},
       absent,
       -1,
       RunRefusal::None,
       true,
       3},
      {"a stop while waiting", 10, {}, {}, running, 1, RunRefusal::None, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunSetup t;
    t.locks.states = c.locks;
    t.processes.answers = c.answers;
    t.processes.presence = c.utility;
    t.observer.stop_at = c.stop_at;
    if (c.empty_list) {
      t.drawings.clear();
    }
    std::string why;
    EXPECT_EQ(t.Execute(c.wait, &why), c.refusal) << why;
    EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    EXPECT_EQ(t.observer.Converted(), c.converted ? 3u : 0u);
    EXPECT_EQ(t.pauses, c.pauses);
    EXPECT_EQ(t.locks.held, 0);
    if (!c.converted) {
      EXPECT_TRUE(t.observer.events.empty());  // not prepared, no row touched
      EXPECT_TRUE(t.runner.calls.empty());
    }
  }
}

// Between drawings an output utility someone else started is waited for the same way; one that
// stays ends the run as busy, the rest not reached.
TEST(ExecuteRun, WaitsBetweenDrawingsForAUtilityStartedElsewhere) {
  using platform::ProcessPresence;
  struct Case {
    const char* name;
    int connect_num;
    double wait;
    const char* texts;
    bool busy;
    std::size_t utility_runs;
  };
  const Case cases[] = {
      {"one by one", 0, 2, "変換終了 |  | ", true, 1},
      {"combined, before its output phase", 1, 2, "中断 | 中断 | 中断", true, 0},
      {"without a wait nothing is looked at between drawings", 0, 0,
       "変換終了 | 変換終了 | 変換終了", false, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunSetup t;
    t.options.ConnectNum = c.connect_num;
    t.processes.answers = {ProcessPresence::Absent, ProcessPresence::Absent};  // at the start
    t.processes.presence = ProcessPresence::Running;
    EXPECT_EQ(t.Execute(c.wait), c.busy ? RunRefusal::UtilityStayedBusy : RunRefusal::None);
    EXPECT_EQ(FinalTexts(t.observer.events, 3), c.texts);
    EXPECT_EQ(t.pauses, c.busy ? 2 : 0);
    EXPECT_EQ(static_cast<std::size_t>(std::count_if(
                  t.runner.calls.begin(), t.runner.calls.end(),
                  [&](const auto& call) { return call.program == t.paths.output_utility; })),
              c.utility_runs);
  }
}

TEST_F(RunTest, ARunHoldsTheFolderLockThroughout) {
  int held_during_tools = 0;
  const auto export_tool = runner.programs[paths.export_tool];
  runner.programs[paths.export_tool] = [&](const std::string& line) {
    held_during_tools += locks.held;
    return export_tool(line);
  };
  locks.state = platform::LockState::Unavailable;  // no lock file can be made: the run goes on
  EXPECT_EQ(Execute(), RunRefusal::None);
  EXPECT_EQ(held_during_tools, 0);
  locks.state = platform::LockState::Taken;
  observer = RecordingObserver{};
  Execute();
  EXPECT_EQ(observer.Converted(), 3u);
  EXPECT_EQ(held_during_tools, 3);
  EXPECT_EQ(locks.held, 0);  // let go at the end
  EXPECT_EQ(locks.asked.back(),
            paths.utility_folder + text::PathSeparator(kStyle) + "PLOTXFER.LCK");
  EXPECT_EQ(processes.asked.back(), "RASTRON.EXE");
  EXPECT_EQ(observer.events.front(), "prepare");
}
