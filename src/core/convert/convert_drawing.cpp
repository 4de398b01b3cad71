#include "core/convert/convert_drawing.h"

#include "core/drawing/header.h"

namespace plotxfer {

bool RunTool(platform::ProcessRunner& runner, const ToolCommand& command, const char* role,
             std::string* why) {
  const std::string who = std::string(role) + " " + command.program;
  switch (runner.Run(command.program, command.command_line)) {
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
  for (const std::string* doomed : {&plan.output_path, &plan.csd_path}) {
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
  if (!RunTool(services.processes, plan.export_command, "the export tool", &why)) {
    return fail(ExportNotStarted, why);
  }
  // The exit code and the CSD file are not looked at: a failed export shows as a missing output.

  // An old output file must never pass for this conversion's result; one that cannot be deleted
  // (open in a viewer, read-only) fails the drawing instead of being reported as converted.
  services.files.RemoveFile(plan.output_path);
  if (services.files.Exists(plan.output_path)) {
    return fail(OutputFailed, "the old output file " + plan.output_path + " cannot be deleted");
  }
  if (!RunTool(services.processes, plan.output_command, "the output utility", &why)) {
    // What a stopped utility wrote of the file is no result.
    services.files.RemoveFile(plan.output_path);
    return fail(OutputFailed, why);
  }
  if (!services.files.Exists(plan.output_path)) {
    return fail(OutputFailed, "the output utility wrote no " + plan.output_path);
  }
  return Converted;
}

}  // namespace plotxfer
