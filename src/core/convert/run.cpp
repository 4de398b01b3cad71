#include "core/convert/run.h"

#include <chrono>
#include <thread>

#include "core/convert/combined_pdf.h"
#include "core/failure.h"
#include "core/settings/stored_settings.h"

namespace plotxfer {

namespace {

bool OutputUtilityFree(platform::ProcessList& processes, std::string* why) {
  return processes.Find(kOutputUtilityName) != platform::ProcessPresence::Running ||
         Fail(why, std::string("a process named ") + kOutputUtilityName + " is running");
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
      *ports, observer,
      [&](std::string* busy) { return OutputUtilityFree(ports->processes, busy); }, &why);
}

// Turn::Free when every drawing was converted (or failed), else how the run ended before.
Turn ConvertOneByOne(const CommandContext& ctx, const ConversionServices& services,
                     std::string_view app_folder, const std::vector<std::string>& drawings,
                     RunObserver& observer, const RunPorts* ports) {
  for (std::size_t row = 0; row < drawings.size(); ++row) {
    const Turn turn = row == 0 ? Turn::Free : UtilityTurn(ports, observer);
    if (turn != Turn::Free) {
      return turn;
    }
    if (observer.StopRequested()) {
      return Turn::Stopped;
    }
    observer.RowStarted(row, drawings[row]);
    observer.RowStatusChanged(row, RowStatus::Converting, Converted, {});
    ConversionFailure why;
    const ConversionResult result = ConvertDrawing(ctx, services, app_folder, drawings[row], &why);
    observer.RowStatusChanged(row, result == Converted ? RowStatus::Converted : RowStatus::Failed,
                              result, why);
  }
  return Turn::Free;
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

RunRefusal RunConversions(const CommandContext& ctx, const ConversionServices& services,
                          std::string_view app_folder, const std::vector<std::string>& drawings,
                          RunObserver& observer, const RunPorts* ports) {
  observer.RunStarted(drawings.size());
  Turn end = Turn::Free;
  if (RunCombines(ctx.options, drawings.size())) {
    end = ConvertCombinedPdf(ctx, services, app_folder, drawings, observer,
                             [&] { return UtilityTurn(ports, observer); });
    // Messages that came during the output phase are processed, twice unless the combination
    // ended by a stop; what these calls answer changes nothing any more.
    if (!observer.StopRequested() && end != Turn::Stopped) {
      observer.StopRequested();
    }
  } else {
    end = ConvertOneByOne(ctx, services, app_folder, drawings, observer, ports);
  }
  for (const std::string& temporary : RunTemporaryFiles(app_folder, ctx.style, ctx.code_page)) {
    services.files.RemoveFile(temporary);
  }
  return end == Turn::Busy ? RunRefusal::UtilityStayedBusy : RunRefusal::None;
}

Turn AwaitTurn(const RunPorts& ports, RunObserver& observer,
               const std::function<bool(std::string* why)>& free, std::string* why) {
  for (long waited = 0;; ++waited) {
    if (free(why)) {
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

RunRefusal ExecuteRun(const CommandContext& ctx, const ConversionServices& services,
                      const RunPorts& ports, std::string_view app_folder,
                      const std::vector<std::string>& drawings, RunObserver& observer,
                      std::string* why) {
  if (drawings.empty()) {
    Fail(why, "there is no drawing to convert");
    return RunRefusal::NothingToConvert;
  }
  // Every run renders through the same files in RSTKIT: two at once would render one drawing
  // under the other's name and report both converted. So would the export tool of a run that
  // died and left it running.
  const std::string lock_path = RunLockPath(app_folder, ctx.style, ctx.code_page);
  const std::string export_tool = ToolPathsFor(app_folder, ctx.style, ctx.code_page).export_tool;
  platform::LockAttempt lock;
  RunRefusal refusal = RunRefusal::None;
  const auto free = [&](std::string* busy) {
    lock.lock.reset();  // ours from the last look, else it would hold ourselves off
    lock = ports.locks.TryLock(lock_path);
    if (lock.state == platform::LockState::Held) {
      refusal = RunRefusal::FolderInUse;
      return Fail(busy, "the application folder is in use by another run (" + lock_path + ")");
    }
    switch (ports.processes.FindProgram(export_tool)) {
      case platform::ProcessPresence::Running:
        lock.lock.reset();  // its run may still end and want its folder back: we look again
        refusal = RunRefusal::FolderInUse;
        return Fail(busy,
                    "the export tool " + export_tool + " of this application folder still runs");
      case platform::ProcessPresence::ListUnavailable:
        refusal = RunRefusal::ProcessListUnavailable;
        return true;
      case platform::ProcessPresence::Absent:
        break;
    }
    switch (ports.processes.Find(kOutputUtilityName)) {
      case platform::ProcessPresence::Running:
        lock.lock.reset();
        refusal = RunRefusal::OutputUtilityRunning;
        return Fail(busy, std::string("a process named ") + kOutputUtilityName + " is running");
      case platform::ProcessPresence::ListUnavailable:
        refusal = RunRefusal::ProcessListUnavailable;
        return true;
      case platform::ProcessPresence::Absent:
        break;
    }
    refusal = RunRefusal::None;
    return true;
  };
  std::string last_why;
  const Turn turn = AwaitTurn(ports, observer, free, &last_why);
  if (refusal == RunRefusal::ProcessListUnavailable) {
    Fail(why, "the list of running processes cannot be taken");
    return refusal;
  }
  if (turn == Turn::Stopped) {
    return RunRefusal::None;
  }
  if (turn == Turn::Busy) {
    Fail(why, last_why);
    return refusal;
  }
  observer.RunPreparing();
  if (observer.StopRequested()) {
    return RunRefusal::None;
  }
  return RunConversions(ctx, services, app_folder, drawings, observer, &ports);
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
    result.rewritten =
        params::WriteParamFile(record, *start.tables, *start.params, &result.why_not_rewritten);
  }
  return result;
}

}  // namespace plotxfer
