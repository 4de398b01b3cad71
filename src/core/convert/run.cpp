#include "core/convert/run.h"

#include "core/convert/combined_pdf.h"

namespace plotxfer {

namespace {

void ConvertOneByOne(const CommandContext& ctx, const ConversionServices& services,
                     std::string_view app_folder, const std::vector<std::string>& drawings,
                     RunObserver& observer, RunSummary& summary) {
  for (std::size_t row = 0; row < drawings.size(); ++row) {
    if (observer.StopRequested()) {
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

std::string RunOutputPath(const CommandContext& ctx, const std::vector<std::string>& drawings,
                          std::size_t row) {
  if (RunCombines(ctx.options, drawings.size())) {
    return CombinedPdfPath(ctx, drawings);
  }
  return MakeOutputPath(ctx, drawings.at(row), OutputExtension(ctx.options));
}

RunSummary RunConversions(const CommandContext& ctx, const ConversionServices& services,
                          std::string_view app_folder, const std::vector<std::string>& drawings,
                          RunObserver& observer) {
  RunSummary summary;
  observer.RunStarted(drawings.size());
  if (RunCombines(ctx.options, drawings.size())) {
    const CombinedResult result =
        ConvertCombinedPdf(ctx, services, app_folder, drawings, observer, summary);
    // Messages that came during the output phase are processed, twice unless the combination
    // ended by a stop; what these calls answer changes nothing any more.
    if (!observer.StopRequested() && result != CombinedAborted) {
      observer.StopRequested();
    }
    return summary;
  }
  ConvertOneByOne(ctx, services, app_folder, drawings, observer, summary);
  return summary;
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
  // under the other's name and report both converted.
  const std::string lock_path = RunLockPath(app_folder, ctx.style, ctx.code_page);
  const platform::LockAttempt lock = ports.locks.TryLock(lock_path);
  if (lock.state == platform::LockState::Held) {
    outcome.refusal = RunRefusal::FolderInUse;
    outcome.reason = "the application folder is in use by another run (" + lock_path + ")";
    return outcome;
  }
  switch (IsOutputUtilityRunning(ports.processes)) {
    case -2:
      outcome.refusal = RunRefusal::OutputUtilityRunning;
      outcome.reason = std::string("a process named ") + kOutputUtilityName + " is running";
      return outcome;
    case -3:
      outcome.refusal = RunRefusal::ProcessListUnavailable;
      outcome.reason = "the list of running processes cannot be taken";
      return outcome;
    default:
      break;
  }
  observer.RunPreparing();
  if (observer.StopRequested()) {
    outcome.summary.stopped = true;
    outcome.summary.not_reached = drawings.size();
    return outcome;
  }
  outcome.summary = RunConversions(ctx, services, app_folder, drawings, observer);
  return outcome;
}

}  // namespace plotxfer
