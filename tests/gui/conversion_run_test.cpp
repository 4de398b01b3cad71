// The dialog's side of a run against an in-memory view, through the real engine with in-memory
// tools, lock and process list: what the list shows, when the controls are locked, what is saved,
// and where an Abort click (or the quit message) takes effect.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

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

class FakeLocks : public platform::FileLocks {
 public:
  bool held_elsewhere = false;
  std::vector<std::string> taken;
  platform::LockAttempt TryLock(const std::string& path) override {
    platform::LockAttempt attempt;
    if (held_elsewhere) {
      attempt.state = platform::LockState::Held;
      return attempt;
    }
    taken.push_back(path);
    attempt.state = platform::LockState::Taken;
    attempt.lock = std::make_unique<platform::HeldLock>();
    return attempt;
  }
};

class FakeProcesses : public platform::ProcessList {
 public:
  platform::ProcessPresence answer = platform::ProcessPresence::Absent;
  platform::ProcessPresence Find(const std::string&) override { return answer; }
};

class ConversionRunTest : public ::testing::Test {
 protected:
  ConversionRunTest()
      : settings(values),
        screen(96),
        params{profile, screen,
               [this](const std::string&, std::string_view, std::string*) {
                 view.log.push_back("param file");
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
                    {IDS_UTILITY_FAILED, "no list"}};
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
    dialog.RowCount = n;
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
  FakeLocks locks;
  FakeProcesses processes;
  RunPorts ports;
  ConversionOptions record;
  FakeDialogView view;
  MainDialog dialog;
  std::function<void()> during_export;
  int exports = 0;
};

TEST_F(ConversionRunTest, EmptyListDoesNothing) {
  view.log.clear();
  dialog.OnExecute();
  EXPECT_TRUE(view.log.empty());
  EXPECT_TRUE(values.log().empty());
  EXPECT_TRUE(locks.taken.empty());
}

TEST_F(ConversionRunTest, RefusedRunShowsItsMessageAndTouchesNothing) {
  struct Case {
    platform::ProcessPresence utility;
    bool folder_locked;
    const char* message;
  };
  const Case cases[] = {
      {platform::ProcessPresence::Running, false, "busy"},
      {platform::ProcessPresence::ListUnavailable, false, "no list"},
      {platform::ProcessPresence::Absent, true, "busy"},  // another run renders in this folder
  };
  List(2);
  view.ListSetUiCell(0, 2, "変換終了");  // from an earlier run
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    processes.answer = c.utility;
    locks.held_elsewhere = c.folder_locked;
    view.messages.clear();
    dialog.OnExecute();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, c.message);
    EXPECT_EQ(view.messages[0].caption, "title");
    EXPECT_EQ(view.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(view.messages[0].buttons, MessageButtons::Ok);
    EXPECT_THAT(Statuses(), ElementsAre("変換終了", ""));
    EXPECT_TRUE(values.log().empty());
    EXPECT_EQ(Count("param file"), 0);
    EXPECT_TRUE(runner.calls.empty());
    EXPECT_FALSE(dialog.run_in_progress());
    EXPECT_TRUE(view.control(IDC_EXECUTE).enabled);
  }
}

TEST_F(ConversionRunTest, SecondOfThreeWithABadHeaderFailsAloneAndTheControlsComeBack) {
  List(3);
  plotxfer::testing::WriteBytes(dialog.DrawingPaths[1], "not a drawing");
  std::vector<bool> locked_during_tools;
  during_export = [&] { locked_during_tools.push_back(!view.control(IDC_ADD_FILE).enabled); };
  dialog.OnExecute();
  EXPECT_THAT(Statuses(), ElementsAre("変換終了", "エラー(1)", "変換終了"));
  EXPECT_THAT(locked_during_tools, ElementsAre(true, true));
  EXPECT_TRUE(view.control(IDC_ADD_FILE).enabled);
  EXPECT_TRUE(view.control(IDC_EXECUTE).enabled);
  EXPECT_TRUE(view.control(IDC_ABORT).enabled);
  EXPECT_FALSE(dialog.run_in_progress());
  EXPECT_TRUE(view.messages.empty());
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

TEST_F(ConversionRunTest, AbortClickedDuringTheFirstOfThreeStopsBeforeTheSecond) {
  List(3);
  ClickAbortDuringExport(1);
  dialog.OnExecute();
  EXPECT_THAT(Statuses(), ElementsAre("変換終了", "", ""));
  EXPECT_EQ(Count("export"), 1);
  EXPECT_TRUE(view.control(IDC_EXECUTE).enabled);
  EXPECT_FALSE(dialog.run_in_progress());
}

TEST_F(ConversionRunTest, AbortClickedBeforeExecuteHasNoEffect) {
  List(2);
  dialog.OnAbort();
  dialog.OnExecute();
  EXPECT_THAT(Statuses(), ElementsAre("変換終了", "変換終了"));
}

TEST_F(ConversionRunTest, AbortOrQuitWhileSavingEndsTheRunBeforeTheFirstDrawing) {
  for (bool quit : {false, true}) {
    SCOPED_TRACE(quit);
    List(2);
    FakeDialogView::PendingBatch batch;
    if (quit) {
      batch.quit = true;
    } else {
      batch.actions.push_back([this] { dialog.OnAbort(); });
    }
    view.pending.push_back(batch);
    dialog.OnExecute();
    EXPECT_EQ(Count("export"), 0);
    EXPECT_THAT(Statuses(), ElementsAre("", ""));
    EXPECT_TRUE(view.control(IDC_EXECUTE).enabled);
    EXPECT_EQ(dialog.AbortFlag, 1);
    view.rows.clear();
    dialog.DrawingPaths.clear();
  }
}

TEST_F(ConversionRunTest, TheCapturedOptionsChooseBetweenCombinedAndSingleRuns) {
  struct Case {
    bool image;
    int connect;
    int drawings;
    int output_runs;
  };
  const Case cases[] = {
      {false, 1, 3, 1},  // one PDF of all three
      {false, 1, 1, 1},  // one drawing: a single conversion
      {true, 1, 3, 3},   // image output ignores the combine setting
      {false, 0, 3, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.image << c.connect << c.drawings);
    view.rows.clear();
    dialog.DrawingPaths.clear();
    runner.calls.clear();
    List(c.drawings);
    record.ConnectNum = c.connect;
    view.control(IDC_PDF).checked = !c.image;
    view.control(IDC_IMAGE).checked = c.image;
    dialog.OnExecute();
    EXPECT_EQ(Count("output"), c.output_runs);
    EXPECT_EQ(record.PdfOrImage, c.image ? 1 : 0);
    for (const std::string& status : Statuses()) {
      EXPECT_EQ(status, "変換終了");
    }
    // After an image run the formats are usable again; after a PDF run they stay disabled.
    EXPECT_EQ(view.control(IDC_BMP).enabled, c.image);
  }
}

TEST_F(ConversionRunTest, CombinedRunAbortedDuringTheSecondExportShowsAbortedEverywhere) {
  record.ConnectNum = 1;
  List(3);
  ClickAbortDuringExport(2);
  dialog.OnExecute();
  EXPECT_THAT(Statuses(), ElementsAre("中断", "中断", "中断"));
  EXPECT_EQ(Count("output"), 0);
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
