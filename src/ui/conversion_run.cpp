// The conversion run as the main dialog starts and shows it. The run's rules (the lock on the
// application folder, the busy check, single or combined conversion, where stop requests are
// asked) are the engine's; the dialog locks its controls, saves the options, shows every status
// change in the list at once and answers stop requests by processing its pending messages.
#include <algorithm>

#include "core/drawing/header.h"
#include "core/convert/combined_pdf.h"
#include "core/text/codepage.h"
#include "core/text/placeholder.h"
#include "ui/failure_reason.h"
#include "ui/main_dialog.h"

namespace plotxfer::ui {
namespace {

int StatusTextId(RowStatus status) {
  switch (status) {
    case RowStatus::Converting:
      return IDS_STATUS_CONVERTING;
    case RowStatus::Failed:
      return IDS_STATUS_ERROR;
    case RowStatus::Converted:
      return IDS_STATUS_DONE;
    case RowStatus::Aborted:
      return IDS_STATUS_ABORTED;
    case RowStatus::Empty:
      break;
  }
  return 0;
}

}  // namespace

class DialogRunObserver : public RunObserver {
 public:
  DialogRunObserver(MainDialog& dialog, DialogView& view, const CommandContext& ctx,
                    const std::vector<std::string>& drawings)
      : dialog_(dialog), view_(view), ctx_(ctx), drawings_(drawings) {}

  bool prepared() const { return prepared_; }

  void RunPreparing() override {
    prepared_ = true;
    // A stop asked for before this run belongs to no run; from here on one is kept until the
    // run ends, however it arrives.
    dialog_.AbortFlag = false;
    dialog_.end_after_run_ = false;
    dialog_.run_row_ = 0;
    dialog_.run_total_ = drawings_.size();
    dialog_.EnableRunControls(false);
    // Execute, which may have had the focus, is disabled now: Abort is what the user may want.
    view_.Focus(IDC_ABORT);
    dialog_.CaptureOptions();
    // Failures are silent here: the run goes on with the options and parameter file there are.
    const DialogServices& s = dialog_.services();
    if (s.record) {
      PrepareRun(dialog_.options(), *s.record, {s.settings, false, s.tables, s.params});
    }
  }

  bool StopRequested() override { return dialog_.PumpMessages(); }

  void RunStarted(std::size_t drawing_count) override {
    dialog_.ClearRowFailures();
    dialog_.outputs_.clear();
    for (std::size_t row = 0; row < drawing_count; ++row) {
      view_.ListSetUiCell(static_cast<int>(row), 2, "");
    }
    view_.ShowRunProgress(0, drawing_count, false);
    view_.Repaint();
  }

  void RowStarted(std::size_t row, const std::string&) override {
    dialog_.run_row_ = row + 1;
    dialog_.ShowRunTitle();
  }

  void RowStatusChanged(std::size_t row, RowStatus status, ConversionResult code,
                        const ConversionFailure& why) override {
    if (status == RowStatus::Failed) {
      dialog_.NoteRowFailure(row, code, why.kind);
    }
    const int id = StatusTextId(status);
    view_.ListSetUiCell(static_cast<int>(row), 2,
                        id ? FormatStatusText(view_.LoadText(id), code) : std::string());
    view_.Repaint();
    if (status != RowStatus::Converted && status != RowStatus::Failed) {
      return;
    }
    ++finished_;
    if (status == RowStatus::Converted) {
      dialog_.outputs_[drawings_[row]] = RunOutputPath(ctx_, drawings_, row);
    } else {
      failed_ = true;
    }
    view_.ShowRunProgress(finished_, drawings_.size(), failed_);
  }

 private:
  MainDialog& dialog_;
  DialogView& view_;
  const CommandContext& ctx_;
  const std::vector<std::string>& drawings_;
  bool prepared_ = false;
  std::size_t finished_ = 0;
  bool failed_ = false;
};

namespace {

// Ends the run's look on every way out of OnExecute, an exception included: a dialog left with
// every control disabled could only be killed.
class RunEnd {
 public:
  RunEnd(MainDialog& dialog, const DialogRunObserver& observer)
      : dialog_(dialog), observer_(observer) {}
  ~RunEnd() {
    if (!observer_.prepared()) {
      return;
    }
    try {
      dialog_.FinishRun();
    } catch (...) {
      // Nothing more can be given back; what was unlocked stays unlocked.
    }
  }
  RunEnd(const RunEnd&) = delete;
  RunEnd& operator=(const RunEnd&) = delete;

 private:
  MainDialog& dialog_;
  const DialogRunObserver& observer_;
};

}  // namespace

std::string FormatStatusText(const std::string& format, int code) {
  std::string text = text::FillPlaceholder(format, code);
  text.resize(std::min(text.size(), kMaxStatusBytes));
  // A cut in the middle of a character leaves no stray lead byte behind.
  while (!text.empty()) {
    const std::size_t last = text::LastCharStart(text, text::CodePage::Utf8);
    if (static_cast<unsigned char>(text[last]) < 0x80 ||
        text::CharLength(text, last, text::CodePage::Utf8) > 1) {
      break;
    }
    text.resize(last);
  }
  return text;
}

void MainDialog::ClearRowFailures() {
  row_failures_.clear();
}

void MainDialog::NoteRowFailure(std::size_t row, ConversionResult code, FailureKind kind) {
  if (row >= DrawingPaths.size()) {
    return;
  }
  if (row_failures_.size() <= row) {
    row_failures_.resize(row + 1, 0);
  }
  const bool newer = code == InvalidDrawing && IsNewerDrawing(DrawingPaths[row]);
  row_failures_[row] = FailureReasonId(code, kind, newer);
}

void MainDialog::ForgetRowFailure(int row) {
  if (row >= 0 && static_cast<std::size_t>(row) < row_failures_.size()) {
    row_failures_.erase(row_failures_.begin() + row);
  }
}

std::string MainDialog::RowTip(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= row_failures_.size() ||
      row_failures_[static_cast<std::size_t>(row)] == 0) {
    return {};
  }
  return view().LoadText(row_failures_[static_cast<std::size_t>(row)]);
}

bool MainDialog::PumpMessages() {
  // The flag is not cleared here: a click answered while a tool ran (a sent message) has set it
  // already, and must stop the run as surely as one waiting in the queue.
  if (!view().ProcessPendingMessages()) {
    AbortFlag = true;  // the quit message: the run ends as by Abort, and the program after it
    return true;
  }
  return AbortFlag;
}

void MainDialog::OnAbort() {
  AbortFlag = true;
  if (running_) {
    LatchStop();
  }
}

void MainDialog::LatchStop() {
  AbortFlag = true;
  // Clicked once is enough: the button says so by going grey, the title says what comes next.
  if (view().FocusedControl() == IDC_ABORT) {
    view().Focus(IDC_DRAWING_LIST);
  }
  view().Enable(IDC_ABORT, false);
  ShowRunTitle();
}

void MainDialog::ShowRunTitle() {
  std::string title = view().LoadText(IDS_APP_TITLE);
  if (run_row_ > 0) {
    title += " (" + std::to_string(run_row_) + "/" + std::to_string(run_total_) + ")";
  }
  if (AbortFlag) {
    title += " - " + view().LoadText(IDS_RUN_STOPPING);
  }
  view().SetTitle(title);
}

void MainDialog::FinishRun() {
  EnableRunControls(true);
  UpdateRunButtons();
  view().Focus(view().IsEnabled(IDC_EXECUTE) ? IDC_EXECUTE : IDC_DRAWING_LIST);
  run_row_ = 0;
  view().SetTitle(view().LoadText(IDS_APP_TITLE));
  view().ShowRunProgress(0, 0, false);
  view().FlashIfInBackground();
}

void MainDialog::OnExecute() {
  const std::string caption = view().LoadText(IDS_APP_TITLE);
  if (RowCount() == 0) {
    return;
  }
  const DialogServices& s = services();
  if (!s.record || !s.conversion || !s.run_ports) {
    return;
  }
  const CommandContext ctx{*s.record, s.char_vector_font, s.path_style, s.code_page};
  DialogRunObserver observer(*this, view(), ctx, DrawingPaths);
  const RunRefusal refusal = [&] {
    const RunEnd end(*this, observer);
    return ExecuteRun(ctx, *s.conversion, *s.run_ports, AppFolder, DrawingPaths, observer);
  }();

  int message = 0;
  switch (refusal) {
    case RunRefusal::OutputUtilityRunning:
      message = IDS_UTILITY_BUSY;
      break;
    case RunRefusal::FolderInUse:  // another run renders through the same files right now
      message = IDS_FOLDER_IN_USE;
      break;
    case RunRefusal::ProcessListUnavailable:
      message = IDS_UTILITY_FAILED;
      break;
    case RunRefusal::None:
    case RunRefusal::NothingToConvert:
    case RunRefusal::UtilityStayedBusy:
      break;
  }
  if (message) {
    MessageRequest refused;
    refused.text = view().LoadText(message);
    refused.caption = caption;
    refused.buttons = MessageButtons::Ok;
    refused.icon = MessageIcon::Error;
    view().ShowMessage(refused);
  }
}

}  // namespace plotxfer::ui
