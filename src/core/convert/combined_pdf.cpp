#include "core/convert/combined_pdf.h"

#include <cstdio>

#include "core/drawing/header.h"

namespace plotxfer {

namespace {

// The longest path a line of the list file may hold.
constexpr std::size_t kMaxListLinePath = 262;

// The rows' statuses, as a combination ends.
class CombinedRows {
 public:
  CombinedRows(const std::vector<std::string>& drawings, RunObserver& observer)
      : drawings_(drawings), observer_(observer) {}

  // A stop request: every row "中断".
  Turn Aborted() {
    AllAborted("the run was stopped");
    return Turn::Stopped;
  }

  // One drawing failed: it shows its code, every other row "中断".
  Turn EndedAt(std::size_t failed, ConversionResult code, const ConversionFailure& why) {
    const ConversionFailure others{
        FailureKind::Other,
        "not combined: drawing " + std::to_string(failed + 1) + " of the list failed"};
    for (std::size_t row = 0; row < drawings_.size(); ++row) {
      if (row == failed) {
        observer_.RowStatusChanged(row, RowStatus::Failed, code, why);
      } else {
        observer_.RowStatusChanged(row, RowStatus::Aborted, Converted, others);
      }
    }
    return Turn::Free;
  }
  Turn EndedAt(std::size_t failed, ConversionResult code, std::string detail) {
    return EndedAt(failed, code, {FailureKind::Other, std::move(detail)});
  }

  // The combined PDF has no result per drawing: every row shows the same.
  Turn OutputPhaseFailed(const ConversionFailure& why) {
    AllShow(RowStatus::Failed, OutputFailed, why);
    return Turn::Free;
  }

  // The output utility stayed in use by another program: every row "中断", and the run ends.
  Turn Busy() {
    AllAborted("not combined: the output utility stayed in use by another program");
    return Turn::Busy;
  }

  Turn AllConverted() {
    AllShow(RowStatus::Converted, Converted, {});
    return Turn::Free;
  }

 private:
  void AllAborted(std::string detail) {
    AllShow(RowStatus::Aborted, Converted, {FailureKind::Other, std::move(detail)});
  }
  void AllShow(RowStatus status, ConversionResult code, const ConversionFailure& why) {
    for (std::size_t row = 0; row < drawings_.size(); ++row) {
      observer_.RowStatusChanged(row, status, code, why);
    }
  }

  const std::vector<std::string>& drawings_;
  RunObserver& observer_;
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

Turn ConvertCombinedPdf(const CommandContext& ctx, const ConversionServices& services,
                        std::string_view app_folder, const std::vector<std::string>& drawings,
                        RunObserver& observer, const std::function<Turn()>& output_turn) {
  CombinedRows rows(drawings, observer);
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
      return rows.EndedAt(
          row, InvalidDrawing,
          {header == HeaderOpenFailed ? FailureKind::CannotOpen : FailureKind::Other,
           DescribeHeaderResult(header)});
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
                            {FailureKind::ReplacesDrawing,
                             "the file " + *doomed + " would replace the drawing itself"});
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
    observer.RowStarted(row, drawings[row]);
    observer.RowStatusChanged(row, RowStatus::Converting, Converted, {});
    // Numbered files stay from earlier runs. One that survives its deletion, or one the export
    // did not write, would put another drawing's page (or none) into this PDF.
    ConversionFailure why;
    platform::ToolExit exported;
    if (!ProduceFile(services, exports[row], "the export tool", csd_paths[row], false, &exported,
                     &why)) {
      return rows.EndedAt(row, ExportNotStarted, why);
    }
    if (ToolCrashed(exported) || !services.files.Exists(csd_paths[row])) {
      return rows.EndedAt(row, ExportNotStarted,
                          WroteNothing("the export tool", exports[row], exported, csd_paths[row]));
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
    return rows.OutputPhaseFailed(
        {FailureKind::Other, "the list file " + list_path + " cannot be written"});
  }
  ConversionFailure why;
  platform::ToolExit rendered;
  if (!ProduceFile(services, output.command, "the output utility", output_path, true, &rendered,
                   &why)) {
    return rows.OutputPhaseFailed(why);
  }
  // A record that cannot be written must not go on describing the PDF this one replaced.
  if (!services.files.WriteFile(record_path, CombinedRecordText(drawings))) {
    services.files.RemoveFile(record_path);
  }
  return rows.AllConverted();
}

}  // namespace plotxfer
