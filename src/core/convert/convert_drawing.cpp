#include "core/convert/convert_drawing.h"

#include "core/drawing/header.h"

namespace plotxfer {

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
  if (!services.processes.RunAndWait(plan.export_command.program,
                                     plan.export_command.command_line)) {
    return fail(ExportNotStarted,
                "the export tool " + plan.export_command.program + " cannot be started");
  }
  // The exit code and the CSD file are not looked at: a failed export shows as a missing output.

  // An old output file must never pass for this conversion's result; one that cannot be deleted
  // (open in a viewer, read-only) fails the drawing instead of being reported as converted.
  services.files.RemoveFile(plan.output_path);
  if (services.files.Exists(plan.output_path)) {
    return fail(OutputFailed, "the old output file " + plan.output_path + " cannot be deleted");
  }
  if (!services.processes.RunAndWait(plan.output_command.program,
                                     plan.output_command.command_line)) {
    return fail(OutputFailed,
                "the output utility " + plan.output_command.program + " cannot be started");
  }
  if (!services.files.Exists(plan.output_path)) {
    return fail(OutputFailed, "the output utility wrote no " + plan.output_path);
  }
  return Converted;
}

}  // namespace plotxfer
