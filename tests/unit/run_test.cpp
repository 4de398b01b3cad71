#include "core/convert/run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/convert/status_text.h"
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
#else
constexpr text::PathStyle kStyle = text::PathStyle::Posix;
#endif

// Records what a front end would show; stops when asked before a given row.
class RecordingObserver : public RunObserver {
 public:
  void RunStarted(std::size_t n) override { events.push_back("start " + std::to_string(n)); }
  bool StopRequested() override {
    ++asked;
    return stop_before_row >= 0 && asked - 1 == stop_before_row;
  }
  void RowStarted(std::size_t row, const std::string&) override {
    events.push_back("row " + std::to_string(row) + " " +
                     StatusText(RowStatus::Converting, 0, text::CodePage::Utf8));
  }
  void RowFinished(std::size_t row, const std::string&, ConversionResult r,
                   const std::string&) override {
    events.push_back("row " + std::to_string(row) + " " +
                     StatusText(r == Converted ? RowStatus::Converted : RowStatus::Failed, r,
                                text::CodePage::Utf8));
  }

  int stop_before_row = -1;
  int asked = 0;
  std::vector<std::string> events;
};

class RunTest : public ::testing::Test {
 protected:
  RunTest() {
    app = work.File("app");
    paths = ToolPathsFor(app, kStyle, text::CodePage::Utf8);
    runner.programs[paths.export_tool] = [](const std::string&) { return true; };
    // The utility writes whatever output its line names: find it between the quotes.
    runner.programs[paths.output_utility] = [this](const std::string& line) {
      const auto at = line.find("\"/pdfpath:") + 10;
      files.existing.insert(line.substr(at, line.find('"', at) - at));
      return true;
    };
    for (const char* name : {"a.VX", "b.VX", "c.VX"}) {
      drawings.push_back(work.File(name));
      WriteBytes(drawings.back(), DrawingHeader());
    }
  }

  RunSummary Run() {
    return RunConversions(CommandContext{options, 2, kStyle, text::CodePage::Utf8},
                          ConversionServices{runner, files}, app, drawings, observer);
  }

  TempFolder work;
  std::string app;
  ToolPaths paths;
  ConversionOptions options;
  FakeFiles files;
  FakeRunner runner;
  RecordingObserver observer;
  std::vector<std::string> drawings;
};

}  // namespace

TEST_F(RunTest, AFailedDrawingDoesNotStopTheRun) {
  WriteBytes(drawings[1], "not a drawing");
  const RunSummary summary = Run();
  EXPECT_EQ(summary.converted, 2u);
  EXPECT_EQ(summary.failed, 1u);
  EXPECT_FALSE(summary.stopped);
  EXPECT_EQ(observer.events, (std::vector<std::string>{
                                 "start 3", "row 0 変換中...", "row 0 変換終了", "row 1 変換中...",
                                 "row 1 エラー(1)", "row 2 変換中...", "row 2 変換終了"}));
  EXPECT_EQ(observer.asked, 3);
}

TEST_F(RunTest, StopIsSeenOnlyBetweenDrawings) {
  observer.stop_before_row = 1;  // Abort clicked while the first drawing converts
  const RunSummary summary = Run();
  EXPECT_TRUE(summary.stopped);
  EXPECT_EQ(summary.converted, 1u);
  EXPECT_EQ(summary.not_reached, 2u);
  EXPECT_EQ(observer.events,
            (std::vector<std::string>{"start 3", "row 0 変換中...", "row 0 変換終了"}));
  EXPECT_EQ(runner.calls.size(), 2u);
}

TEST_F(RunTest, StopBeforeTheFirstDrawingConvertsNothing) {
  observer.stop_before_row = 0;
  const RunSummary summary = Run();
  EXPECT_TRUE(summary.stopped);
  EXPECT_EQ(summary.not_reached, 3u);
  EXPECT_TRUE(runner.calls.empty());
}

TEST(StatusText, ShiftJisAndUtf8Encodings) {
  using text::CodePage;
  EXPECT_EQ(StatusText(RowStatus::Converting, 0, CodePage::ShiftJis),
            "\x95\xCF\x8A\xB7\x92\x86...");
  EXPECT_EQ(StatusText(RowStatus::Converted, 0, CodePage::ShiftJis),
            "\x95\xCF\x8A\xB7\x8F\x49\x97\xB9");
  EXPECT_EQ(StatusText(RowStatus::Failed, 3, CodePage::ShiftJis), "\x83\x47\x83\x89\x81\x5B(3)");
  EXPECT_EQ(StatusText(RowStatus::Failed, -12, CodePage::Utf8), "エラー(-12)");
  EXPECT_EQ(StatusText(RowStatus::Aborted, 0, CodePage::Utf8), "中断");
  EXPECT_EQ(StatusText(RowStatus::Aborted, 0, CodePage::ShiftJis), "\x92\x86\x92\x66");
  EXPECT_EQ(StatusText(RowStatus::Empty, 0, CodePage::Utf8), "");
}
