#include "core/convert/combined_pdf.h"

#include <cstdio>

#include "core/drawing/header.h"

namespace plotxfer {

namespace {

// The longest path a line of the list file may hold.
constexpr std::size_t kMaxListLinePath = 262;

// The rows' statuses and the summary, as a combination ends.
class CombinedRows {
 public:
  CombinedRows(const std::vector<std::string>& drawings, RunObserver& observer, RunSummary& summary)
      : drawings_(drawings), observer_(observer), summary_(summary) {}

  // A stop request: every row "中断".
  CombinedResult Aborted() {
    for (std::size_t row = 0; row < drawings_.size(); ++row) {
      observer_.RowStatusChanged(row, RowStatus::Aborted, 0, "the run was stopped");
    }
    summary_.aborted = drawings_.size();
    summary_.stopped = true;
    return CombinedAborted;
  }

  // One drawing failed: it shows its code, every other row "中断".
  CombinedResult EndedAt(std::size_t failed, ConversionResult code, const std::string& why) {
    const std::string others =
        "not combined: drawing " + std::to_string(failed + 1) + " of the list failed";
    for (std::size_t row = 0; row < drawings_.size(); ++row) {
      if (row == failed) {
        observer_.RowStatusChanged(row, RowStatus::Failed, code, why);
        observer_.RowFinished(row, drawings_[row], code, why);
      } else {
        observer_.RowStatusChanged(row, RowStatus::Aborted, 0, others);
      }
    }
    summary_.failed = 1;
    summary_.aborted = drawings_.size() - 1;
    return CombinedDone;
  }

  // The combined PDF has no result per drawing: every row shows the same.
  CombinedResult OutputPhaseFailed(const std::string& why) {
    for (std::size_t row = 0; row < drawings_.size(); ++row) {
      observer_.RowStatusChanged(row, RowStatus::Failed, OutputFailed, why);
      observer_.RowFinished(row, drawings_[row], OutputFailed, why);
    }
    summary_.failed = drawings_.size();
    return CombinedOutputFailed;
  }

  // The output utility stayed in use by another program: every row "中断", and the run ends.
  CombinedResult Busy() {
    for (std::size_t row = 0; row < drawings_.size(); ++row) {
      observer_.RowStatusChanged(row, RowStatus::Aborted, 0,
                                 "not combined: the output utility stayed in use by another "
                                 "program");
    }
    summary_.aborted = drawings_.size();
    summary_.busy = true;
    return CombinedDone;
  }

  CombinedResult AllConverted() {
    for (std::size_t row = 0; row < drawings_.size(); ++row) {
      observer_.RowStatusChanged(row, RowStatus::Converted, 0, "");
      observer_.RowFinished(row, drawings_[row], Converted, "");
    }
    summary_.converted = drawings_.size();
    return CombinedDone;
  }

 private:
  const std::vector<std::string>& drawings_;
  RunObserver& observer_;
  RunSummary& summary_;
};

}  // namespace

std::string NumberedCsdPath(std::string_view app_folder, std::size_t index, text::PathStyle style,
                            text::CodePage cp) {
  char name[32];
  std::snprintf(name, sizeof name, "VXTMPPDF%03zu.CSD", index);
  const ToolPaths paths = ToolPathsFor(app_folder, style, cp);
  return paths.utility_folder + text::PathSeparator(style) + name;
}

std::string CombinedListPath(std::string_view app_folder, text::PathStyle style,
                             text::CodePage cp) {
  const ToolPaths paths = ToolPathsFor(app_folder, style, cp);
  return paths.utility_folder + text::PathSeparator(style) + kCombinedListName;
}

std::string CombinedPdfPath(const CommandContext& ctx, const std::vector<std::string>& drawings) {
  return MakeOutputPath(ctx, drawings.front(), ".pdf");
}

std::string CombinedListText(const std::vector<std::string>& csd_paths) {
  std::string text;
  for (const std::string& path : csd_paths) {
    text += path;
    text += "\r\n";
  }
  return text;
}

std::string CombinedRecordPath(const std::string& output_path) {
  return output_path + ".plotxfer-drawings";
}

std::string CombinedRecordText(const std::vector<std::string>& drawings) {
  std::string text;
  for (const std::string& drawing : drawings) {
    text += drawing;
    text += '\n';
  }
  return text;
}

bool CombinedPdfMadeFrom(platform::FileSystem& files, const std::string& output_path,
                         const std::vector<std::string>& drawings) {
  std::string recorded;
  return files.ReadFile(CombinedRecordPath(output_path), &recorded) &&
         recorded == CombinedRecordText(drawings);
}

CombinedResult ConvertCombinedPdf(const CommandContext& ctx, const ConversionServices& services,
                                  std::string_view app_folder,
                                  const std::vector<std::string>& drawings, RunObserver& observer,
                                  RunSummary& summary, const std::function<Turn()>& output_turn) {
  summary.combined = true;
  CombinedRows rows(drawings, observer, summary);
  const std::size_t n = drawings.size();
  const std::string list_path = CombinedListPath(app_folder, ctx.style, ctx.code_page);
  const std::string output_path = CombinedPdfPath(ctx, drawings);
  // A line the utility would refuse is known before anything is touched; nothing is exported for
  // a PDF that can never be written.
  const BuiltCommand output =
      BuildCombinedPdfCommandLine(ctx, app_folder, list_path, output_path, static_cast<int>(n));
  const std::string& refusal = output.refusal;

  // Every drawing is looked at before the first export: a bad one at the end of a long list
  // would otherwise cost every other drawing's export first, and fail them all the same.
  const std::string kept_path = KeptOutputPath(output_path);
  const std::string record_path = CombinedRecordPath(output_path);
  std::vector<std::string> csd_paths;
  std::vector<ToolCommand> exports;
  for (std::size_t row = 0; row < n; ++row) {
    const std::string& drawing = drawings[row];
    const HeaderResult header = CheckDrawingHeader(drawing);
    if (header != HeaderOk) {
      return rows.EndedAt(row, InvalidDrawing, DescribeHeaderResult(header));
    }
    if (!refusal.empty()) {
      return rows.EndedAt(row, PathRefused, refusal);
    }
    const std::string csd = NumberedCsdPath(app_folder, row, ctx.style, ctx.code_page);
    if (csd.size() > kMaxListLinePath) {
      return rows.EndedAt(row, PathRefused,
                          "the CSD path " + csd + " is longer than a line of the list file holds");
    }
    // Every file the combination deletes or rewrites must not be a drawing of the list, however
    // the paths are spelt.
    for (const std::string* doomed : {&output_path, &csd, &list_path, &kept_path, &record_path}) {
      if (text::SamePathText(*doomed, drawing, ctx.style, ctx.code_page) ||
          services.files.SameFile(*doomed, drawing)) {
        return rows.EndedAt(row, PathRefused,
                            "the file " + *doomed + " would replace the drawing itself");
      }
    }
    BuiltCommand exporter = BuildExportCommandLine(ctx, app_folder, drawing, csd);
    if (!exporter.ok()) {
      return rows.EndedAt(row, PathRefused, exporter.refusal);
    }
    csd_paths.push_back(csd);
    exports.push_back(std::move(exporter.command));
  }

  for (std::size_t row = 0; row < n; ++row) {
    if (observer.StopRequested()) {
      return rows.Aborted();
    }
    const std::string& csd = csd_paths[row];
    observer.RowStarted(row, drawings[row]);
    observer.RowStatusChanged(row, RowStatus::Converting, 0, "");
    // Numbered files stay from earlier runs. One that survives its deletion, or one the export
    // did not write, would put another drawing's page (or none) into this PDF.
    services.files.RemoveFile(csd);
    if (services.files.Exists(csd)) {
      return rows.EndedAt(row, ExportNotStarted, "the old CSD file " + csd + " cannot be deleted");
    }
    std::string why;
    platform::ToolExit exported;
    if (!RunTool(services.processes, exports[row], "the export tool", &why, &exported)) {
      return rows.EndedAt(row, ExportNotStarted, why);
    }
    if (ToolCrashed(exported) || !services.files.Exists(csd)) {
      const std::string ended = DescribeToolExit(exported);
      return rows.EndedAt(row, ExportNotStarted,
                          "the export tool " + exports[row].program +
                              (ended.empty() ? std::string() : " " + ended) + " and wrote no " +
                              csd);
    }
  }

  switch (output_turn ? output_turn() : Turn::Free) {
    case Turn::Free:
      break;
    case Turn::Busy:
      return rows.Busy();
    case Turn::Stopped:
      return rows.Aborted();
  }
  // An earlier run's list file, or an earlier PDF, must never be rendered or reported as this
  // run's result: without a list written whole, or with an old PDF in the way, nothing is
  // started.
  if (!services.files.WriteFile(list_path, CombinedListText(csd_paths))) {
    return rows.OutputPhaseFailed("the list file " + list_path + " cannot be written");
  }
  KeptOutput kept(services.files, output_path);
  std::string why;
  if (!kept.Clear(&why)) {
    return rows.OutputPhaseFailed(why);
  }
  platform::ToolExit rendered;
  if (!RunTool(services.processes, output.command, "the output utility", &why, &rendered)) {
    return rows.OutputPhaseFailed(why + kept.Failed());
  }
  if (!services.files.Exists(output_path)) {
    const std::string ended = DescribeToolExit(rendered);
    return rows.OutputPhaseFailed("the output utility " + output.command.program +
                                  (ended.empty() ? std::string() : " " + ended) + " and wrote no " +
                                  output_path + kept.Failed());
  }
  kept.Succeeded();
  // A record that cannot be written must not go on describing the PDF this one replaced.
  if (!services.files.WriteFile(record_path, CombinedRecordText(drawings))) {
    services.files.RemoveFile(record_path);
  }
  return rows.AllConverted();
}

}  // namespace plotxfer
