// The dialog's side of a run against an in-memory view, through the real engine with in-memory
// tools, lock and process list: what the list shows, when the controls are locked, what is saved,
// which message a refusal shows, and where an Abort click (or the quit message) takes effect.
// Which drawings convert, combine or fail is the engine's and tested with it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>

#include "../common/fake_value_store.h"
#include "../unit/fake_services.h"
#include "../unit/params_fakes.h"
#include "../unit/temp_files.h"
#include "fake_dialog_view.h"
#include "ui/main_dialog.h"

namespace plotxfer::ui {
namespace {

using ::testing::ElementsAre;
using testing::FakeDialogView;
using Texts = std::vector<std::string>;

#ifdef _WIN32
constexpr text::PathStyle kStyle = text::PathStyle::Windows;
#else
constexpr text::PathStyle kStyle = text::PathStyle::Posix;
#endif

// The dialog with its services, the in-memory tools and drawings as the list leaves them.
struct DialogRun {
  DialogRun()
      : settings(values),
        screen(96),
        params{profile, screen,
               [this](const std::string&, std::string_view, std::string*) {
                 view.log.push_back("param file");
                 if (param_file_throws) {
                   throw std::runtime_error("no memory for the parameter file");
                 }
                 return true;
               }},
        conversion{runner, files},
        ports{locks, processes} {
    app = work.File("app");
    std::filesystem::create_directories(app);
    std::filesystem::copy_file(std::string(PLOTXFER_TEST_DATA) + "/params/app/vxcsd.cprm",
                               std::filesystem::path(app) / "vxcsd.cprm");
    tools = ToolPathsFor(app, kStyle, text::CodePage::Utf8);
    runner.programs[tools.export_tool] = [this](const std::string& line) {
      view.log.push_back("export");
      if (during_export) {
        during_export();
      }
      // The intermediate file is the line's last quoted token.
      const auto end = line.rfind('"');
      const auto begin = line.rfind('"', end - 1) + 1;
      files.existing.insert(line.substr(begin, end - begin));
      return true;
    };
    runner.programs[tools.output_utility] = [this](const std::string& line) {
      view.log.push_back("output");
      const auto at = line.find("\"/pdfpath:");
      const auto image = line.find("\"/Imagepath:");
      const auto start = at != std::string::npos ? at + 10 : image + 12;
      files.existing.insert(line.substr(start, line.find('"', start) - start));
      return true;
    };

    view.strings = {{IDS_APP_TITLE, "title"},         {IDS_STATUS_CONVERTING, "変換中..."},
                    {IDS_STATUS_ERROR, "エラー(%d)"}, {IDS_STATUS_DONE, "変換終了"},
                    {IDS_STATUS_ABORTED, "中断"},     {IDS_UTILITY_BUSY, "busy"},
                    {IDS_UTILITY_FAILED, "no list"},  {IDS_FOLDER_IN_USE, "folder busy"},
                    {IDS_RUN_STOPPING, "stopping"},   {IDS_CONFIRM_CLOSE_RUN, "close?"}};
    record.AppFolder = app + text::PathSeparator(kStyle);
    dialog.SetView(&view);
    DialogServices s;
    s.settings = &settings;
    s.path_style = kStyle;
    s.code_page = text::CodePage::Utf8;
    s.record = &record;
    s.tables = &tables;
    s.params = &params;
    s.conversion = &conversion;
    s.run_ports = &ports;
    dialog.SetServices(s);
    dialog.FillFrom(record);
    dialog.InitializeControls();
  }

  // Lists n drawings d0.VX, d1.VX, ... as the list's handlers leave them.
  void List(int n) {
    for (int i = 0; i < n; ++i) {
      const std::string path = work.File("d" + std::to_string(i) + ".VX");
      plotxfer::testing::WriteBytes(path, plotxfer::testing::DrawingHeader());
      view.ListInsertRow(i, RowNumberText(i));
      view.ListSetCell(i, 1, path);
      dialog.DrawingPaths.push_back(path);
    }
    dialog.UpdateRunButtons();
    view.log.clear();
  }
  Texts Statuses() const {
    Texts out;
    for (const auto& row : view.rows) {
      out.push_back(row[2]);
    }
    return out;
  }
  int Count(const std::string& entry) const {
    return static_cast<int>(std::count(view.log.begin(), view.log.end(), entry));
  }
  // Abort clicked while the tools run: the click waits in the queue for the next pump.
  void ClickAbortDuringExport(int export_number) {
    during_export = [this, export_number] {
      if (++exports == export_number) {
        view.pending.push_back({{[this] { dialog.OnAbort(); }}, false});
      }
    };
  }

  plotxfer::testing::TempFolder work;
  std::string app;
  ToolPaths tools;
  plotxfer::testing::FakeValueStore values;
  SettingsStore settings;
  params::testing::FakeProfile profile;
  params::testing::FakeScreen screen;
  params::ParamServices params;
  params::ParamTables tables;
  plotxfer::testing::FakeRunner runner;
  plotxfer::testing::FakeFiles files;
  ConversionServices conversion;
  plotxfer::testing::FakeLocks locks;
  plotxfer::testing::FakeProcessList processes;
  RunPorts ports;
  ConversionOptions record;
  FakeDialogView view;
  MainDialog dialog;
  std::function<void()> during_export;
  int exports = 0;
  bool param_file_throws = false;
};

class ConversionRunTest : public ::testing::Test, public DialogRun {};

// A refused run shows its message (none for an empty list) and touches no control, row, setting
// or file: nothing is read, locked, pumped or written.
TEST(DialogRunRefusal, ShowsItsMessageAndTouchesNothing) {
  using platform::ProcessPresence;
  struct Case {
    const char* name;
    int rows;
    ProcessPresence utility;
    bool folder_locked;
    const char* message;
  };
  const Case cases[] = {
      {"an empty list", 0, ProcessPresence::Running, false, nullptr},
      {"the output utility runs", 2, ProcessPresence::Running, false, "busy"},
      {"no process list", 2, ProcessPresence::ListUnavailable, false, "no list"},
      {"another run renders in this folder", 2, ProcessPresence::Absent, true, "folder busy"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRun t;
    t.List(c.rows);
    for (int row = 0; row < c.rows; ++row) {
      t.view.ListSetUiCell(row, 2, "変換終了");  // from an earlier run
    }
    t.processes.presence = c.utility;
    t.locks.state = c.folder_locked ? platform::LockState::Held : platform::LockState::Taken;
    t.dialog.OnExecute();
    ExpectOneMessage(t.view, c.message, MessageIcon::Error, MessageButtons::Ok);
    EXPECT_EQ(t.Statuses(), Texts(static_cast<std::size_t>(c.rows), "変換終了"));
    EXPECT_TRUE(t.view.log.empty());  // no capture, lock of controls, pump or parameter file
    EXPECT_TRUE(t.values.log().empty());
    EXPECT_EQ(t.locks.asked.empty(), c.rows == 0);
    EXPECT_FALSE(t.dialog.run_in_progress());
  }
}

TEST_F(ConversionRunTest, SecondOfThreeWithABadHeaderFailsAloneAndTheControlsComeBack) {
  List(3);
  view.focused = IDC_EXECUTE;  // clicked with Alt+C
  plotxfer::testing::WriteBytes(dialog.DrawingPaths[1], "not a drawing");
  std::vector<bool> locked_during_tools;
  during_export = [&] { locked_during_tools.push_back(!view.control(IDC_ADD_FILE).enabled); };
  dialog.OnExecute();
  EXPECT_THAT(Statuses(), ElementsAre("変換終了", "エラー(1)", "変換終了"));
  EXPECT_THAT(locked_during_tools, ElementsAre(true, true));
  // Abort while Execute is disabled, Execute again at the end.
  EXPECT_EQ(view.Calls("focus"), (std::vector<int>{IDC_ABORT, IDC_EXECUTE}));
  EXPECT_TRUE(view.messages.empty());
  // Seen from elsewhere: the title counts the drawings, the task-bar button shows the rows done,
  // turns to the error state at the first failure, and flashes at the end.
  EXPECT_THAT(view.titles, ElementsAre("title (1/3)", "title (2/3)", "title (3/3)", "title"));
  using P = FakeDialogView::Progress;
  EXPECT_THAT(view.progress, ElementsAre(P{0, 3, false}, P{1, 3, false}, P{2, 3, true},
                                         P{3, 3, true}, P{0, 0, false}));
  EXPECT_EQ(view.flashes, 1);
  // Options saved and the parameter file written once, before the first pump and drawing.
  EXPECT_FALSE(values.log().empty());
  const auto first = [&](const std::string& e) {
    return std::find(view.log.begin(), view.log.end(), e) - view.log.begin();
  };
  EXPECT_EQ(Count("param file"), 1);
  EXPECT_LT(first("param file"), first("pump"));
  EXPECT_LT(first("pump"), first("export"));
  // One pump at the start, then one before each drawing.
  EXPECT_EQ(view.pumps, 4);
}

// What is on screen when Execute is clicked is the run's: image output, though the record says
// PDF and combine, converts each drawing alone and leaves the image formats usable afterwards.
TEST_F(ConversionRunTest, TheOptionsOnScreenWhenExecuteIsClickedAreTheRunsOptions) {
  record.ConnectNum = 1;
  List(3);
  ASSERT_FALSE(view.control(IDC_BMP).enabled);
  view.control(IDC_PDF).checked = false;
  view.control(IDC_IMAGE).checked = true;
  dialog.OnExecute();
  EXPECT_EQ(record.PdfOrImage, 1);
  EXPECT_EQ(Count("output"), 3);
  EXPECT_THAT(Statuses(), ElementsAre("変換終了", "変換終了", "変換終了"));
  EXPECT_TRUE(view.control(IDC_BMP).enabled);
}

// The dialog asks for a stop by pumping its messages: a click waits for the next pump, a click
// before the run is forgotten, and the quit message ends the run as Abort does. The dialog comes
// back unlocked every time.
TEST(DialogRunAbort, TakesEffectAtTheNextPump) {
  struct Case {
    const char* name;
    std::function<void(DialogRun&)> arrange;
    Texts statuses;
    int exports;
    bool abort_flag;  // after the run
  };
  const auto at_first_pump = [](bool quit) {
    return [quit](DialogRun& t) {
      FakeDialogView::PendingBatch batch;
      batch.quit = quit;
      if (!quit) {
        batch.actions.push_back([&t] { t.dialog.OnAbort(); });
      }
      t.view.pending.push_back(batch);
    };
  };
  const Case cases[] = {
      {"Abort clicked before Execute", [](DialogRun& t) { t.dialog.OnAbort(); },
       Texts(3, "変換終了"), 3, false},
      {"Abort clicked while the options are saved", at_first_pump(false), Texts(3, ""), 0, true},
      {"the quit message while the options are saved", at_first_pump(true), Texts(3, ""), 0, true},
      {"Abort clicked during the first export", [](DialogRun& t) { t.ClickAbortDuringExport(1); },
       Texts{"変換終了", "", ""}, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRun t;
    t.List(3);
    c.arrange(t);
    t.dialog.OnExecute();
    EXPECT_EQ(t.Statuses(), c.statuses);
    EXPECT_EQ(t.Count("export"), c.exports);
    EXPECT_EQ(t.dialog.AbortFlag, c.abort_flag);
    EXPECT_TRUE(t.view.control(IDC_EXECUTE).enabled);
    EXPECT_TRUE(t.view.control(IDC_ADD_FILE).enabled);
    EXPECT_FALSE(t.dialog.run_in_progress());
  }
}

// A failed row says why in its status cell's tip, from what the engine found; a converted row
// has no tip, and a removed row takes its tip along.
TEST(DialogRunRowTip, NamesWhyTheRowFailed) {
  using platform::ToolOutcome;
  struct Case {
    const char* name;
    std::function<void(DialogRun&)> arrange;
    const char* tip;
  };
  const auto drawing = [](DialogRun& t) { return t.dialog.DrawingPaths[0]; };
  const auto output = [](DialogRun& t) { return t.work.File("d0.pdf"); };
  const Case cases[] = {
      {"converted", [](DialogRun&) {}, ""},
      {"a bad header",
       [&](DialogRun& t) { plotxfer::testing::WriteBytes(drawing(t), "not a drawing"); },
       "bad header"},
      {"a drawing of a newer version",
       [&](DialogRun& t) {
         plotxfer::testing::WriteBytes(drawing(t), plotxfer::testing::DrawingHeader(12));
       },
       "newer"},
      {"a drawing deleted after it was listed",
       [&](DialogRun& t) { std::filesystem::remove(drawing(t)); }, "cannot open"},
      {"the export tool does not start",
       [](DialogRun& t) { t.runner.programs.erase(t.tools.export_tool); }, "export not started"},
      {"the export tool times out",
       [](DialogRun& t) { t.runner.outcomes[t.tools.export_tool] = ToolOutcome::TimedOut; },
       "export timed out"},
      {"the export tool is interrupted",
       [](DialogRun& t) { t.runner.outcomes[t.tools.export_tool] = ToolOutcome::Cancelled; },
       "interrupted"},
      {"the old CSD file cannot be deleted",
       [](DialogRun& t) {
         t.files.existing.insert(t.tools.intermediate_csd);
         t.files.locked.insert(t.tools.intermediate_csd);
       },
       "old CSD"},
      {"the output utility does not start",
       [](DialogRun& t) { t.runner.programs.erase(t.tools.output_utility); }, "output not started"},
      {"the output utility times out",
       [](DialogRun& t) { t.runner.outcomes[t.tools.output_utility] = ToolOutcome::TimedOut; },
       "output timed out"},
      {"the output utility writes nothing",
       [](DialogRun& t) {
         t.runner.programs[t.tools.output_utility] = [](const std::string&) { return true; };
       },
       "no output"},
      {"the old output file cannot be deleted",
       [&](DialogRun& t) {
         t.files.existing.insert(output(t));
         t.files.locked.insert(output(t));
       },
       "old output"},
      {"the output would replace the drawing",
       [&](DialogRun& t) {
         t.files.one_file.insert({output(t), drawing(t)});
       },
       "replaces the drawing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRun t;
    t.view.strings.insert({{IDS_FAILED_BAD_HEADER, "bad header"},
                           {IDS_WHY_NEWER_DRAWING, "newer"},
                           {IDS_WHY_CANNOT_OPEN, "cannot open"},
                           {IDS_FAILED_EXPORT_NOT_STARTED, "export not started"},
                           {IDS_FAILED_EXPORT_TIMEOUT, "export timed out"},
                           {IDS_FAILED_INTERRUPTED, "interrupted"},
                           {IDS_FAILED_OLD_CSD, "old CSD"},
                           {IDS_FAILED_OUTPUT_NOT_STARTED, "output not started"},
                           {IDS_FAILED_OUTPUT_TIMEOUT, "output timed out"},
                           {IDS_FAILED_NO_OUTPUT, "no output"},
                           {IDS_FAILED_OLD_OUTPUT, "old output"},
                           {IDS_FAILED_REPLACES_DRAWING, "replaces the drawing"}});
    t.List(2);
    c.arrange(t);
    t.dialog.OnExecute();
    EXPECT_EQ(t.dialog.RowTip(0), c.tip);
    EXPECT_EQ(t.Statuses()[0] == "変換終了", std::string(c.tip).empty());
  }

  // A removed row takes its tip along; the next run starts without tips.
  DialogRun t;
  t.view.strings.insert({IDS_FAILED_BAD_HEADER, "bad header"});
  t.List(3);
  plotxfer::testing::WriteBytes(t.dialog.DrawingPaths[1], "not a drawing");
  t.dialog.OnExecute();
  t.view.selected_rows = {0};
  t.view.next_answer = MessageAnswer::Yes;
  t.dialog.OnDeleteFile();
  EXPECT_EQ(t.dialog.RowTip(0), "bad header");
  EXPECT_EQ(t.dialog.RowTip(1), "");
  plotxfer::testing::WriteBytes(t.dialog.DrawingPaths[0], plotxfer::testing::DrawingHeader());
  t.dialog.OnExecute();
  EXPECT_EQ(t.dialog.RowTip(0), "");
}

// A stop asked for while a tool runs arrives as a sent message, answered inside the wait: it is
// kept until the next drawing is due, where the run stops, and it is shown at once (Abort greys
// itself and hands the focus to the list, the title says what comes). The next run starts afresh.
TEST(DialogRunStop, IsRememberedUntilTheNextRunStarts) {
  struct Case {
    const char* name;
    int connect_num;
    bool second_click;  // Abort clicked again, while the next drawing's tool would run
    Texts statuses;
  };
  const Case cases[] = {
      {"one drawing after the other", 0, false, {"変換終了", "", ""}},
      {"clicked twice", 0, true, {"変換終了", "", ""}},
      {"one PDF of all", 1, false, Texts(3, "中断")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRun t;
    t.record.ConnectNum = c.connect_num;
    t.List(3);
    t.view.focused = IDC_EXECUTE;  // clicked with Alt+C
    bool abort_enabled_after_click = true;
    std::string title_after_click;
    t.during_export = [&] {
      if (++t.exports == 1 || c.second_click) {
        t.dialog.OnAbort();  // answered inside the wait; nothing waits in the queue
        abort_enabled_after_click = t.view.control(IDC_ABORT).enabled;
        title_after_click = t.view.title;
      }
    };
    t.dialog.OnExecute();
    EXPECT_EQ(t.Statuses(), c.statuses);
    EXPECT_EQ(t.Count("export"), 1);
    EXPECT_FALSE(abort_enabled_after_click);
    EXPECT_EQ(title_after_click, "title (1/3) - stopping");
    EXPECT_TRUE(t.view.control(IDC_ABORT).enabled);
    EXPECT_EQ(t.view.title, "title");
    EXPECT_EQ(t.view.Calls("focus"), (std::vector<int>{IDC_ABORT, IDC_DRAWING_LIST, IDC_EXECUTE}));

    // The stop belonged to that run: the next one converts everything.
    t.during_export = nullptr;
    t.dialog.OnExecute();
    EXPECT_EQ(t.Statuses(), Texts(3, "変換終了"));
  }
}

// Whatever ends a run, an exception included, the controls, Abort, the title and the task-bar
// button come back.
TEST(DialogRunEnd, UnlocksEverythingEvenWhenTheRunThrows) {
  struct Case {
    const char* name;
    std::function<void(DialogRun&)> arrange;
  };
  const Case cases[] = {
      {"the parameter file's writer throws", [](DialogRun& t) { t.param_file_throws = true; }},
      {"a tool's wait throws after Abort",
       [](DialogRun& t) {
         t.during_export = [&t] {
           t.dialog.OnAbort();
           throw std::runtime_error("wait failed");
         };
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRun t;
    t.List(2);
    c.arrange(t);
    EXPECT_THROW(t.dialog.OnExecute(), std::runtime_error);
    EXPECT_FALSE(t.dialog.run_in_progress());
    for (const ControlRule& rule : kControlRules) {
      if (rule.rule != EnableRule::Hidden) {
        EXPECT_EQ(t.view.control(rule.id).enabled, EnabledBy(rule.rule, t.dialog.enable_state()))
            << rule.id;
      }
    }
    EXPECT_TRUE(t.view.control(IDC_ABORT).enabled);
    EXPECT_EQ(t.view.title, "title");
    ASSERT_FALSE(t.view.progress.empty());
    EXPECT_EQ(t.view.progress.back(), (FakeDialogView::Progress{0, 0, false}));
  }
}

// The close box during a run asks (No the default); Yes stops after the drawing under way and
// ends the dialog after the run; No goes on. Outside a run it ends the dialog at once.
TEST(DialogClose, DuringARunAsksFirst) {
  struct Case {
    const char* name;
    bool in_run;
    MessageAnswer answer;
    int closes;
    bool ends_at_once;
    bool ends_after_run;
    Texts statuses;
  };
  const Case cases[] = {
      {"outside a run", false, MessageAnswer::Yes, 1, true, false, Texts(3, "")},
      {"answered No", true, MessageAnswer::No, 1, false, false, Texts(3, "変換終了")},
      {"answered Yes", true, MessageAnswer::Yes, 1, false, true, {"変換終了", "", ""}},
      {"closed twice, Yes", true, MessageAnswer::Yes, 2, false, true, {"変換終了", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRun t;
    t.List(3);
    t.view.next_answer = c.answer;
    bool ended = false;
    const auto close = [&] {
      for (int i = 0; i < c.closes; ++i) {
        ended = t.dialog.OnCancelCommand(MainDialog::CancelSource::CloseBox) || ended;
      }
    };
    if (c.in_run) {
      t.during_export = [&] {
        if (++t.exports == 1) {
          close();
        }
      };
      t.dialog.OnExecute();
    } else {
      close();
    }
    EXPECT_EQ(ended, c.ends_at_once);
    EXPECT_EQ(t.dialog.end_requested(), c.ends_after_run);
    EXPECT_EQ(t.Statuses(), c.statuses);
    ExpectOneMessage(t.view, c.in_run ? "close?" : nullptr, MessageIcon::Question,
                     MessageButtons::YesNo);
    EXPECT_TRUE(t.view.messages.empty() || t.view.messages[0].default_no);
  }
}

// Enter and Escape end the program only while the list is empty; with drawings listed Enter on
// the list opens the selected row's output and Escape does nothing. Exit always ends it.
TEST(DialogKeys, EndTheProgramOnlyWithAnEmptyList) {
  using Source = MainDialog::CancelSource;
  struct Case {
    const char* name;
    int rows;
    int focus;
    std::function<bool(MainDialog&)> press;
    bool ends;
    std::size_t opened;
  };
  const auto enter = [](MainDialog& d) { return d.OnAccept(); };
  const auto cancel = [](Source s) { return [s](MainDialog& d) { return d.OnCancelCommand(s); }; };
  const Case cases[] = {
      {"Enter, empty list", 0, IDC_DRAWING_LIST, enter, true, 0},
      {"Escape, empty list", 0, IDC_DRAWING_LIST, cancel(Source::EscapeKey), true, 0},
      {"Enter on the list", 2, IDC_DRAWING_LIST, enter, false, 1},
      {"Enter on a check box", 2, IDC_MONOCHROME, enter, false, 0},
      {"Escape with drawings", 2, IDC_DRAWING_LIST, cancel(Source::EscapeKey), false, 0},
      {"Exit with drawings", 2, IDC_EXIT, cancel(Source::ExitButton), true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRun t;
    t.List(c.rows);
    if (c.rows > 0) {
      t.dialog.OnExecute();
      t.view.selected_rows = {1};
    }
    t.view.focused = c.focus;
    EXPECT_EQ(c.press(t.dialog), c.ends);
    ASSERT_EQ(t.view.opened.size(), c.opened);
    if (c.opened) {
      EXPECT_EQ(t.view.opened[0], t.work.File("d1.pdf"));
    }
    EXPECT_TRUE(t.view.messages.empty());
  }
}

// A converted row opens what the run made (in a combining run, the one PDF, named after the
// first drawing); a failed row, a row not reached and a row listed again after its removal
// open nothing.
TEST(DialogRowOutput, IsWhatTheRunMadeOfThatRow) {
  struct Case {
    const char* name;
    int connect_num;
    bool second_fails;
    Texts outputs;
  };
  const Case cases[] = {
      {"one by one", 0, false, {"d0.pdf", "d1.pdf", "d2.pdf"}},
      {"one by one, the second fails", 0, true, {"d0.pdf", "", "d2.pdf"}},
      {"one PDF of all", 1, false, {"d0.pdf", "d0.pdf", "d0.pdf"}},
      {"one PDF of all, the second fails", 1, true, {"", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRun t;
    t.record.ConnectNum = c.connect_num;
    t.List(3);
    if (c.second_fails) {
      plotxfer::testing::WriteBytes(t.dialog.DrawingPaths[1], "not a drawing");
    }
    t.dialog.OnExecute();
    Texts outputs;
    for (int row = 0; row < 3; ++row) {
      const std::string out = t.dialog.RowOutput(row);
      outputs.push_back(out.empty() ? "" : out.substr(out.find_last_of("/\\") + 1));
      t.dialog.OnRowActivated(row);
    }
    EXPECT_EQ(outputs, c.outputs);
    EXPECT_EQ(t.view.opened.size(),
              static_cast<std::size_t>(std::count_if(outputs.begin(), outputs.end(),
                                                     [](const auto& o) { return !o.empty(); })));
  }
  // Removed and listed again, a row shows no status and opens nothing.
  DialogRun t;
  t.List(1);
  t.dialog.OnExecute();
  ASSERT_FALSE(t.dialog.RowOutput(0).empty());
  t.view.ListSetUiCell(0, 2, "");
  EXPECT_EQ(t.dialog.RowOutput(0), "");
}

TEST(StatusTextField, FormatsIntoNineteenBytesWithoutCuttingACharacter) {
  EXPECT_EQ(FormatStatusText("エラー(%d)", 3), "エラー(3)");
  EXPECT_EQ(FormatStatusText("変換終了", 0), "変換終了");
  // 10 bytes of "エラー(" leave 9 for the digits; nothing is ever longer than 19 bytes.
  EXPECT_EQ(FormatStatusText("エラー(%d)", 123456789), "エラー(123456789");
  EXPECT_EQ(FormatStatusText("ab変換中...", 0), "ab変換中...");
  EXPECT_EQ(FormatStatusText("abcdefg変換中...", 0), "abcdefg変換中...");
  EXPECT_EQ(FormatStatusText("abcdefgh変換中...", 0), "abcdefgh変換中..");
  EXPECT_EQ(FormatStatusText("abcdefghij変換中...", 0), "abcdefghij変換中");
  EXPECT_EQ(FormatStatusText("abcdefghijk変換中...", 0), "abcdefghijk変換");
}

}  // namespace
}  // namespace plotxfer::ui
