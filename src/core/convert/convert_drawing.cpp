#include "core/convert/convert_drawing.h"

#include <cstdio>

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

std::string KeptOutputPath(const std::string& output_path) {
  return output_path + ".plotxfer-kept";
}

KeptOutput::KeptOutput(platform::FileSystem& files, std::string output_path)
    : files_(files), output_(std::move(output_path)), kept_(KeptOutputPath(output_)) {
}

bool KeptOutput::Clear(std::string* why) {
  // A run that died between moving its output aside and settling it left the kept file: with no
  // output beside it, it is the last good output; otherwise it is the older one.
  if (files_.Exists(kept_)) {
    if (!files_.Exists(output_)) {
      files_.RenameFile(kept_, output_);
    } else {
      files_.RemoveFile(kept_);
    }
  }
  if (files_.Exists(output_) && files_.RenameFile(output_, kept_)) {
    holding_ = true;
  }
  // An output that could not be moved aside is deleted, as an old output must never pass for
  // this conversion's result; one that cannot be deleted either (open in a viewer, read-only)
  // fails the conversion instead.
  if (!holding_) {
    files_.RemoveFile(output_);
  }
  if (files_.Exists(output_)) {
    *why = "the old output file " + output_ + " cannot be deleted";
    return false;
  }
  return true;
}

void KeptOutput::Succeeded() {
  if (holding_) {
    files_.RemoveFile(kept_);
    holding_ = false;
  }
}

std::string KeptOutput::Failed() {
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

bool RunTool(platform::ProcessRunner& runner, const ToolCommand& command, const char* role,
             std::string* why, platform::ToolExit* exit) {
  const std::string who = std::string(role) + " " + command.program;
  const platform::ToolOutcome outcome = runner.Run(command.program, command.command_line);
  if (exit != nullptr) {
    *exit = outcome == platform::ToolOutcome::NotStarted ? platform::ToolExit{} : runner.LastExit();
  }
  switch (outcome) {
    case platform::ToolOutcome::Ended:
      return true;
    case platform::ToolOutcome::NotStarted:
      *why = who + " cannot be started";
      break;
    case platform::ToolOutcome::TimedOut:
      *why = who + " timed out: it ran longer than the time limit and was ended";
      break;
    case platform::ToolOutcome::Cancelled:
      *why = who + " was ended by an interrupt";
      break;
  }
  return false;
}

ConversionPlan PlanConversion(const CommandContext& ctx, std::string_view app_folder,
                              const std::string& drawing) {
  ConversionPlan plan;
  const HeaderResult header = CheckDrawingHeader(drawing);
  if (header != HeaderOk) {
    plan.verdict = InvalidDrawing;
    plan.reason = DescribeHeaderResult(header);
    return plan;
  }
  const ToolPaths paths = ToolPathsFor(app_folder, ctx.style, ctx.code_page);
  plan.csd_path = paths.intermediate_csd;
  plan.output_path = MakeOutputPath(ctx, drawing, OutputExtension(ctx.options));
  // A drawing whose own name is its output's (plan.pdf converted to PDF beside itself) would be
  // deleted before the output utility starts.
  if (text::SamePathText(plan.output_path, drawing, ctx.style, ctx.code_page)) {
    plan.verdict = PathRefused;
    plan.reason = "the output " + plan.output_path + " would replace the drawing itself";
    return plan;
  }

  BuiltCommand exporter = BuildExportCommandLine(ctx, app_folder, drawing, plan.csd_path);
  BuiltCommand output =
      ctx.options.PdfOrImage == 0
          ? BuildPdfCommandLine(ctx, app_folder, plan.csd_path, plan.output_path)
          : BuildImageCommandLine(ctx, app_folder, plan.csd_path, plan.output_path);
  if (!exporter.ok() || !output.ok()) {
    plan.verdict = PathRefused;
    plan.reason = !exporter.ok() ? exporter.refusal : output.refusal;
    return plan;
  }
  plan.export_command = std::move(exporter.command);
  plan.output_command = std::move(output.command);
  return plan;
}

ConversionResult ConvertDrawing(const CommandContext& ctx, const ConversionServices& services,
                                std::string_view app_folder, const std::string& drawing_path,
                                std::string* detail) {
  auto fail = [detail](ConversionResult result, std::string why) {
    if (detail != nullptr) {
      *detail = std::move(why);
    }
    return result;
  };

  const ConversionPlan plan = PlanConversion(ctx, app_folder, drawing_path);
  if (plan.verdict != Converted) {
    return fail(plan.verdict, plan.reason);
  }
  // The plan compared the paths' text; spelt differently (relative and absolute, through a
  // link) they can still name the drawing itself, which would be deleted before its conversion.
  const std::string kept_path = KeptOutputPath(plan.output_path);
  for (const std::string* doomed : {&plan.output_path, &plan.csd_path, &kept_path}) {
    if (services.files.SameFile(*doomed, drawing_path)) {
      return fail(PathRefused, "the file " + *doomed + " would replace the drawing itself");
    }
  }

  // The CSD file has one name for every drawing. One that survives its deletion would be
  // rendered in place of this drawing if the export then failed, so it stops the conversion.
  services.files.RemoveFile(plan.csd_path);
  if (services.files.Exists(plan.csd_path)) {
    return fail(ExportNotStarted, "the old CSD file " + plan.csd_path + " cannot be deleted");
  }
  std::string why;
  platform::ToolExit exported;
  if (!RunTool(services.processes, plan.export_command, "the export tool", &why, &exported)) {
    return fail(ExportNotStarted, why);
  }
  const std::string export_end =
      "the export tool " + plan.export_command.program + " " + DescribeToolExit(exported);
  // A crashed export tool has written nothing to render; the output utility would only make its
  // crash look like the utility's failure.
  if (ToolCrashed(exported)) {
    return fail(ExportNotStarted, export_end + "; the output utility was not started");
  }
  // Otherwise its exit code and the CSD file are not looked at: a failed export shows as a
  // missing output, and the row's detail says how the export ended.

  KeptOutput kept(services.files, plan.output_path);
  if (!kept.Clear(&why)) {
    return fail(OutputFailed, why);
  }
  platform::ToolExit rendered;
  if (!RunTool(services.processes, plan.output_command, "the output utility", &why, &rendered)) {
    return fail(OutputFailed, why + kept.Failed());
  }
  if (!services.files.Exists(plan.output_path)) {
    const std::string ended = DescribeToolExit(rendered);
    why = "the output utility " + plan.output_command.program +
          (ended.empty() ? std::string() : " " + ended) + " and wrote no " + plan.output_path;
    if (exported.kind == platform::ToolExit::Kind::Code && exported.value != 0) {
      why += " (" + export_end + ")";
    }
    return fail(OutputFailed, why + kept.Failed());
  }
  kept.Succeeded();
  return Converted;
}

}  // namespace plotxfer
