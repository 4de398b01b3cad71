#include "core/convert/run.h"

#include <chrono>
#include <thread>

#include "core/convert/combined_pdf.h"
#include "core/settings/stored_settings.h"

namespace plotxfer {

namespace {

std::string OutputUtilityBusy(platform::ProcessList& processes) {
  return IsOutputUtilityRunning(processes) == -2
             ? std::string("a process named ") + kOutputUtilityName + " is running"
             : std::string();
}

bool Waits(const RunPorts* ports) {
  return ports != nullptr && ports->wait_seconds != 0;
}

// Before a drawing after the first: an output utility someone else started meanwhile.
Turn UtilityTurn(const RunPorts* ports, RunObserver& observer) {
  if (!Waits(ports)) {
    return Turn::Free;
  }
  std::string why;
  return AwaitTurn(
      *ports, observer, [&] { return OutputUtilityBusy(ports->processes); }, &why);
}

void ConvertOneByOne(const CommandContext& ctx, const ConversionServices& services,
                     std::string_view app_folder, const std::vector<std::string>& drawings,
                     RunObserver& observer, RunSummary& summary, const RunPorts* ports) {
  for (std::size_t row = 0; row < drawings.size(); ++row) {
    const Turn turn = row == 0 ? Turn::Free : UtilityTurn(ports, observer);
    if (turn == Turn::Busy) {
      summary.busy = true;
      summary.not_reached = drawings.size() - row;
      return;
    }
    if (turn == Turn::Stopped || observer.StopRequested()) {
      summary.stopped = true;
      summary.not_reached = drawings.size() - row;
      return;
    }
    observer.RowStarted(row, drawings[row]);
    observer.RowStatusChanged(row, RowStatus::Converting, 0, "");
    std::string detail;
    const ConversionResult result =
        ConvertDrawing(ctx, services, app_folder, drawings[row], &detail);
    if (result == Converted) {
      ++summary.converted;
      observer.RowStatusChanged(row, RowStatus::Converted, 0, "");
    } else {
      ++summary.failed;
      observer.RowStatusChanged(row, RowStatus::Failed, result, detail);
    }
    observer.RowFinished(row, drawings[row], result, detail);
  }
}

}  // namespace

bool RunCombines(const ConversionOptions& options, std::size_t drawing_count) {
  return options.PdfOrImage == 0 && drawing_count > 1 && options.ConnectNum == 1;
}

std::vector<std::string> RunTemporaryFiles(std::string_view app_folder, text::PathStyle style,
                                           text::CodePage cp) {
  std::vector<std::string> files;
  files.push_back(ToolPathsFor(app_folder, style, cp).intermediate_csd);
  files.push_back(CombinedListPath(app_folder, style, cp));
  for (std::size_t i = 0; i < kMaxCombinedDrawings; ++i) {
    files.push_back(NumberedCsdPath(app_folder, i, style, cp));
  }
  return files;
}

std::string RunOutputPath(const CommandContext& ctx, const std::vector<std::string>& drawings,
                          std::size_t row) {
  if (RunCombines(ctx.options, drawings.size())) {
    return CombinedPdfPath(ctx, drawings);
  }
  return MakeOutputPath(ctx, drawings.at(row), OutputExtension(ctx.options));
}

RunSummary RunConversions(const CommandContext& ctx, const ConversionServices& services,
                          std::string_view app_folder, const std::vector<std::string>& drawings,
                          RunObserver& observer, const RunPorts* ports) {
  RunSummary summary;
  observer.RunStarted(drawings.size());
  if (RunCombines(ctx.options, drawings.size())) {
    const CombinedResult result =
        ConvertCombinedPdf(ctx, services, app_folder, drawings, observer, summary,
                           [&] { return UtilityTurn(ports, observer); });
    // Messages that came during the output phase are processed, twice unless the combination
    // ended by a stop; what these calls answer changes nothing any more.
    if (!observer.StopRequested() && result != CombinedAborted) {
      observer.StopRequested();
    }
  } else {
    ConvertOneByOne(ctx, services, app_folder, drawings, observer, summary, ports);
  }
  for (const std::string& temporary : RunTemporaryFiles(app_folder, ctx.style, ctx.code_page)) {
    services.files.RemoveFile(temporary);
  }
  return summary;
}

Turn AwaitTurn(const RunPorts& ports, RunObserver& observer,
               const std::function<std::string()>& busy, std::string* why) {
  for (long waited = 0;; ++waited) {
    *why = busy();
    if (why->empty()) {
      return Turn::Free;
    }
    if (ports.wait_seconds >= 0 && waited >= ports.wait_seconds) {
      return Turn::Busy;
    }
    if (observer.StopRequested()) {
      return Turn::Stopped;
    }
    if (ports.pause) {
      ports.pause();
    } else {
      std::this_thread::sleep_for(std::chrono::seconds(1));
    }
  }
}

std::string RunLockPath(std::string_view app_folder, text::PathStyle style, text::CodePage cp) {
  const ToolPaths paths = ToolPathsFor(app_folder, style, cp);
  return paths.utility_folder + text::PathSeparator(style) + kRunLockName;
}

int IsOutputUtilityRunning(platform::ProcessList& processes) {
  switch (processes.Find(kOutputUtilityName)) {
    case platform::ProcessPresence::Absent:
      return 0;
    case platform::ProcessPresence::Running:
      return -2;
    case platform::ProcessPresence::ListUnavailable:
      break;
  }
  return -3;
}

RunOutcome ExecuteRun(const CommandContext& ctx, const ConversionServices& services,
                      const RunPorts& ports, std::string_view app_folder,
                      const std::vector<std::string>& drawings, RunObserver& observer) {
  RunOutcome outcome;
  if (drawings.empty()) {
    outcome.refusal = RunRefusal::NothingToConvert;
    outcome.reason = "there is no drawing to convert";
    return outcome;
  }
  // Every run renders through the same files in RSTKIT: two at once would render one drawing
  // under the other's name and report both converted. So would the export tool of a run that
  // died and left it running.
  const std::string lock_path = RunLockPath(app_folder, ctx.style, ctx.code_page);
  const std::string export_tool = ToolPathsFor(app_folder, ctx.style, ctx.code_page).export_tool;
  platform::LockAttempt lock;
  const auto busy = [&]() -> std::string {
    lock.lock.reset();  // ours from the last look, else it would hold ourselves off
    lock = ports.locks.TryLock(lock_path);
    if (lock.state == platform::LockState::Held) {
      outcome.refusal = RunRefusal::FolderInUse;
      return "the application folder is in use by another run (" + lock_path + ")";
    }
    switch (ports.processes.FindProgram(export_tool)) {
      case platform::ProcessPresence::Running:
        lock.lock.reset();  // its run may still end and want its folder back: we look again
        outcome.refusal = RunRefusal::FolderInUse;
        return "the export tool " + export_tool + " of this application folder still runs";
      case platform::ProcessPresence::ListUnavailable:
        outcome.refusal = RunRefusal::ProcessListUnavailable;
        return {};
      case platform::ProcessPresence::Absent:
        break;
    }
    switch (IsOutputUtilityRunning(ports.processes)) {
      case -2:
        lock.lock.reset();
        outcome.refusal = RunRefusal::OutputUtilityRunning;
        return std::string("a process named ") + kOutputUtilityName + " is running";
      case -3:
        outcome.refusal = RunRefusal::ProcessListUnavailable;
        return {};
      default:
        outcome.refusal = RunRefusal::None;
        return {};
    }
  };
  std::string why;
  const Turn turn = AwaitTurn(ports, observer, busy, &why);
  if (outcome.refusal == RunRefusal::ProcessListUnavailable) {
    outcome.reason = "the list of running processes cannot be taken";
    return outcome;
  }
  if (turn == Turn::Stopped) {
    outcome.refusal = RunRefusal::None;
    outcome.summary.stopped = true;
    outcome.summary.not_reached = drawings.size();
    return outcome;
  }
  if (turn == Turn::Busy) {
    outcome.reason = why;
    return outcome;
  }
  observer.RunPreparing();
  if (observer.StopRequested()) {
    outcome.summary.stopped = true;
    outcome.summary.not_reached = drawings.size();
    return outcome;
  }
  outcome.summary = RunConversions(ctx, services, app_folder, drawings, observer, &ports);
  return outcome;
}

RunStartResult PrepareRun(const GeneralOptions& captured, ConversionOptions& record,
                          const RunStart& start) {
  RunStartResult result;
  static_cast<GeneralOptions&>(record) = captured;
  if (start.settings != nullptr) {
    // One save, whole: another program saving at the same time comes before or after.
    start.settings->BeginWrites();
    result.saved = SaveGeneralSettings(*start.settings, captured, record);
    if (result.saved && start.output_options) {
      result.saved = SaveOutputSettings(*start.settings, record);
    }
    result.saved = start.settings->EndWrites() && result.saved;
  }
  if (start.tables != nullptr && start.params != nullptr) {
    result.rewritten = params::WriteParamFile(record, *start.tables, *start.params,
                                              &result.why_not_rewritten) == 0;
  }
  return result;
}

}  // namespace plotxfer
