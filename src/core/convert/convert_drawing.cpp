#include "core/convert/convert_drawing.h"

#include <cstdio>
#include <optional>

#include "core/drawing/header.h"

namespace plotxfer {

namespace {

const char* SignalName(unsigned long sig) {
  switch (sig) {
    case 1:
      return "SIGHUP";
    case 2:
      return "SIGINT";
    case 3:
      return "SIGQUIT";
    case 4:
      return "SIGILL";
    case 6:
      return "SIGABRT";
    case 7:
      return "SIGBUS";
    case 8:
      return "SIGFPE";
    case 9:
      return "SIGKILL";
    case 11:
      return "SIGSEGV";
    case 13:
      return "SIGPIPE";
    case 15:
      return "SIGTERM";
    default:
      return nullptr;
  }
}

}  // namespace

std::string DescribeToolExit(const platform::ToolExit& exit) {
  char buf[64];
  switch (exit.kind) {
    case platform::ToolExit::Kind::Unknown:
      return {};
    case platform::ToolExit::Kind::Code:
      return "ended with exit code " + std::to_string(exit.value);
    case platform::ToolExit::Kind::Signal: {
      const char* name = SignalName(exit.value);
      return "was killed by signal " + std::to_string(exit.value) +
             (name != nullptr ? std::string(" (") + name + ")" : std::string());
    }
    case platform::ToolExit::Kind::Exception:
      std::snprintf(buf, sizeof buf, "crashed with exception 0x%08lX", exit.value);
      return buf;
  }
  return {};
}

bool ToolCrashed(const platform::ToolExit& exit) {
  return exit.kind == platform::ToolExit::Kind::Signal ||
         exit.kind == platform::ToolExit::Kind::Exception;
}

std::string WroteNothing(const char* role, const ToolCommand& command,
                         const platform::ToolExit& exit, const std::string& path) {
  const std::string ended = DescribeToolExit(exit);
  return std::string(role) + " " + command.program + (ended.empty() ? "" : " " + ended) +
         " and wrote no " + path;
}

std::string KeptOutputPath(const std::string& output_path) {
  return output_path + ".plotxfer-kept";
}

namespace {

ConversionResult Fail(ConversionFailure* why, ConversionResult code, FailureKind kind,
                      std::string detail) {
  if (why != nullptr) {
    *why = {kind, std::move(detail)};
  }
  return code;
}

// The last good output of a conversion: moved aside before the output utility starts (so that a
// missing file afterwards still means failure), deleted once a new output is there, put back when
// none is. An output kept by a run that died meanwhile is settled at the next Clear.
class KeptOutput {
 public:
  KeptOutput(platform::FileSystem& files, std::string output_path)
      : files_(files), output_(std::move(output_path)), kept_(KeptOutputPath(output_)) {}

  // Makes way for the output utility. False when an output stays in the way.
  bool Clear() {
    // A run that died between moving its output aside and settling it left the kept file: with
    // no output beside it, it is the last good output; otherwise it is the older one.
    if (files_.Exists(kept_)) {
      if (!files_.Exists(output_)) {
        files_.RenameFile(kept_, output_);
      } else {
        files_.RemoveFile(kept_);
      }
    }
    // Each look for a missing file costs a scan of the whole folder where names are compared
    // without regard to case (under Wine, in an output folder of thousands): nothing is asked twice.
    if (!files_.Exists(output_)) {
      return true;
    }
    if (files_.RenameFile(output_, kept_)) {
      holding_ = true;
    } else {
      // An output that could not be moved aside is deleted, as an old output must never pass
      // for this conversion's result; one that cannot be deleted either (open in a viewer,
      // read-only) fails the conversion instead.
      files_.RemoveFile(output_);
    }
    return !files_.Exists(output_);
  }

  // A new output is there: the old one is deleted.
  void Succeeded() {
    if (holding_) {
      files_.RemoveFile(kept_);
      holding_ = false;
    }
  }

  // No new output: whatever the utility left is deleted and the old output is put back. The
  // words a failed row's detail ends with: that the previous output was kept (or where it is);
  // empty when there was none.
  std::string Failed() {
    // What a stopped or failing utility wrote of the file is no result.
    files_.RemoveFile(output_);
    if (!holding_) {
      return {};
    }
    holding_ = false;
    if (files_.RenameFile(kept_, output_)) {
      return "; the previous output was kept";
    }
    return "; the previous output was kept as " + kept_;
  }

 private:
  platform::FileSystem& files_;
  std::string output_;
  std::string kept_;
  bool holding_ = false;
};

// Runs a tool and waits for it. True when it ran and ended by itself; otherwise why names role
// and the program: not started, timed out or cancelled.
bool RunTool(platform::ProcessRunner& runner, const ToolCommand& command, const char* role,
             platform::ToolExit* exit, ConversionFailure* why) {
  const std::string who = std::string(role) + " " + command.program;
  const platform::ToolOutcome outcome = runner.Run(command.program, command.command_line);
  *exit = outcome == platform::ToolOutcome::NotStarted ? platform::ToolExit{} : runner.LastExit();
  switch (outcome) {
    case platform::ToolOutcome::Ended:
      return true;
    case platform::ToolOutcome::NotStarted:
      *why = {FailureKind::NotStarted, who + " cannot be started"};
      break;
    case platform::ToolOutcome::TimedOut:
      *why = {FailureKind::TimedOut,
              who + " timed out: it ran longer than the time limit and was ended"};
      break;
    case platform::ToolOutcome::Cancelled:
      *why = {FailureKind::Interrupted, who + " was ended by an interrupt"};
      break;
  }
  return false;
}

}  // namespace

bool ProduceFile(const ConversionServices& services, const ToolCommand& command, const char* role,
                 const std::string& path, bool is_output, platform::ToolExit* exit,
                 ConversionFailure* why, const std::string& note) {
  std::optional<KeptOutput> kept;
  bool cleared;
  if (is_output) {
    cleared = kept.emplace(services.files, path).Clear();
  } else {
    services.files.RemoveFile(path);
    cleared = !services.files.Exists(path);
  }
  ConversionFailure failure;
  if (!cleared) {
    failure = {FailureKind::OldFileStays, std::string("the old ") + (is_output ? "output" : "CSD") +
                                              " file " + path + " cannot be deleted"};
  } else if (!RunTool(services.processes, command, role, exit, &failure)) {
    failure.detail += kept ? kept->Failed() : "";
  } else if (is_output && !services.files.Exists(path)) {
    failure.detail = WroteNothing(role, command, *exit, path) + note + kept->Failed();
  } else {
    if (kept) {
      kept->Succeeded();
    }
    return true;
  }
  if (why != nullptr) {
    *why = std::move(failure);
  }
  return false;
}

ConversionResult PlanConversion(const CommandContext& ctx, std::string_view app_folder,
                                const std::string& drawing, ConversionPlan* plan,
                                ConversionFailure* why) {
  const HeaderResult header = CheckDrawingHeader(drawing);
  if (header != HeaderOk) {
    return Fail(why, InvalidDrawing,
                header == HeaderOpenFailed ? FailureKind::CannotOpen : FailureKind::Other,
                DescribeHeaderResult(header));
  }
  const ToolPaths paths = ToolPathsFor(app_folder, ctx.style, ctx.code_page);
  plan->csd_path = paths.intermediate_csd;
  plan->output_path = MakeOutputPath(ctx, drawing, OutputExtension(ctx.options));
  // A drawing whose own name is its output's (plan.pdf converted to PDF beside itself) would be
  // deleted before the output utility starts.
  if (text::SamePathText(plan->output_path, drawing, ctx.style, ctx.code_page)) {
    return Fail(why, PathRefused, FailureKind::ReplacesDrawing,
                "the output " + plan->output_path + " would replace the drawing itself");
  }

  std::string refusal;
  std::optional<ToolCommand> exporter =
      BuildExportCommandLine(ctx, app_folder, drawing, plan->csd_path, &refusal);
  std::optional<ToolCommand> output =
      !exporter ? std::nullopt
      : ctx.options.PdfOrImage == 0
          ? BuildPdfCommandLine(ctx, app_folder, plan->csd_path, plan->output_path, &refusal)
          : BuildImageCommandLine(ctx, app_folder, plan->csd_path, plan->output_path, &refusal);
  if (!output) {
    return Fail(why, PathRefused, FailureKind::Other, refusal);
  }
  plan->export_command = std::move(*exporter);
  plan->output_command = std::move(*output);
  return Converted;
}

ConversionResult ConvertDrawing(const CommandContext& ctx, const ConversionServices& services,
                                std::string_view app_folder, const std::string& drawing_path,
                                ConversionFailure* why) {
  ConversionPlan plan;
  if (const ConversionResult verdict = PlanConversion(ctx, app_folder, drawing_path, &plan, why);
      verdict != Converted) {
    return verdict;
  }
  // The plan compared the paths' text; spelt differently (relative and absolute, through a
  // link) they can still name the drawing itself, which would be deleted before its conversion.
  std::string kept_path = KeptOutputPath(plan.output_path);
  for (const std::string* doomed : {&plan.output_path, &plan.csd_path, &kept_path}) {
    if (services.files.SameFile(*doomed, drawing_path)) {
      return Fail(why, PathRefused, FailureKind::ReplacesDrawing,
                  "the file " + *doomed + " would replace the drawing itself");
    }
  }

  // The CSD file has one name for every drawing. One that survives its deletion would be
  // rendered in place of this drawing if the export then failed, so it stops the conversion.
  platform::ToolExit exported;
  if (!ProduceFile(services, plan.export_command, "the export tool", plan.csd_path, false,
                   &exported, why)) {
    return ExportNotStarted;
  }
  const std::string export_end =
      "the export tool " + plan.export_command.program + " " + DescribeToolExit(exported);
  // A crashed export tool has written nothing to render; the output utility would only make its
  // crash look like the utility's failure.
  if (ToolCrashed(exported)) {
    return Fail(why, ExportNotStarted, FailureKind::Other,
                export_end + "; the output utility was not started");
  }
  // Otherwise its exit code and the CSD file are not looked at: a failed export shows as a
  // missing output, and the row's detail says how the export ended.
  const bool export_failed = exported.kind == platform::ToolExit::Kind::Code && exported.value != 0;
  platform::ToolExit rendered;
  if (!ProduceFile(services, plan.output_command, "the output utility", plan.output_path, true,
                   &rendered, why, export_failed ? " (" + export_end + ")" : std::string())) {
    return OutputFailed;
  }
  return Converted;
}

}  // namespace plotxfer
