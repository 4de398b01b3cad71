#include "cli/batch_run.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <vector>

#include "cli/echoing_runner.h"
#include "cli/report.h"
#include "cli/report_target.h"
#include "core/convert/combined_pdf.h"
#include "core/convert/run.h"
#include "core/convert/status_text.h"
#include "core/failure.h"
#include "platform/atomic_file.h"
#include "plotxfer_version.h"

namespace plotxfer::cli {

namespace {

using Clock = std::chrono::steady_clock;

std::string AsIs(const std::string& text) {
  return text;
}

// The rows of the run: each one's output, what was decided before the run, what the engine
// reported, and printing them in row order.
class Rows {
 public:
  Rows(const BatchRequest& request, const BatchEnvironment& env, const CommandContext& ctx)
      : request_(request), env_(env) {
    rows_.resize(request.drawings.size());
    std::map<std::string, std::size_t> row_of;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      rows_[i].path = request.drawings[i];
      row_of.emplace(rows_[i].path, i + 1);
    }
    for (RowRecord& r : rows_) {
      if (const auto other = request.same_as.find(r.path); other != request.same_as.end()) {
        const auto row = row_of.find(other->second);
        r.same_as = row != row_of.end() ? row->second : 0;
      }
    }
    for (std::size_t row = 0; row < rows_.size(); ++row) {
      if (request.refused.count(rows_[row].path) == 0) {
        rows_[row].output = RunOutputPath(ctx, request.drawings, row);
      }
    }
    for (RowRecord& r : rows_) {
      if (r.same_as != 0) {
        r.output = rows_[r.same_as - 1].output;
      }
    }
  }

  std::vector<RowRecord>& records() { return rows_; }
  RowRecord& operator[](std::size_t row) { return rows_[row]; }
  std::size_t size() const { return rows_.size(); }

  void Decide(std::size_t row, ConversionResult result, std::string detail, bool skipped) {
    RowRecord& r = rows_[row];
    r.result = result;
    r.status = StatusText(result == Converted ? RowStatus::Converted : RowStatus::Failed, result,
                          env_.code_page);
    r.detail = std::move(detail);
    r.skipped = skipped;
  }

  // The row reached no result: its tool was ended by an interrupt, or its combination ended
  // (interrupted only when an interrupt ended it).
  void Aborted(std::size_t row, std::string detail, bool interrupted) {
    RowRecord& r = rows_[row];
    r.result.reset();
    r.aborted = true;
    r.interrupted = interrupted;
    r.status = StatusText(RowStatus::Aborted, 0, env_.code_page);
    r.detail = std::move(detail);
  }

  // Takes row as printed by the caller (the rows before it must be printed already).
  void PrintedElsewhere(std::size_t row) { printed_ = row + 1; }

  // Prints the rows not printed yet, in order, up to the first that has no status yet; with all,
  // every row (the ones never reached too).
  void Print(bool all = false) {
    const auto print = [&] {
      for (; printed_ < rows_.size(); ++printed_) {
        const RowRecord& r = rows_[printed_];
        if (!all && !r.result && !r.aborted && r.same_as == 0) {
          break;
        }
        PrintRow(printed_);
      }
    };
    if (env_.progress != nullptr) {
      env_.progress->Around(print);
    } else {
      print();
    }
  }

 private:
  void PrintRow(std::size_t row) {
    const RowRecord& r = rows_[row];
    const bool converted = r.result && *r.result == Converted;
    if (request_.quiet && converted) {
      return;
    }
    std::string status = r.status;
    if (r.same_as != 0) {
      // Printed also with -q: a name given that is not converted under its own row.
      status = "(same file as row " + std::to_string(r.same_as) + ")";
    } else if (r.skipped) {
      status += " (up to date, skipped)";
    } else if (!r.result && !r.aborted) {
      status = "(not reached)";
    }
    // Once standard output is gone (a reader that stopped early) the rows are no longer
    // printed; the run goes on, and its report and errors still tell everything.
    if (std::ferror(env_.out) == 0) {
      std::fprintf(env_.out, "%3d %s %s\n", static_cast<int>(row + 1), r.path.c_str(),
                   status.c_str());
      std::fflush(env_.out);
    }
    if (!converted && !r.detail.empty()) {
      std::fprintf(env_.err, "plotxfer-batch: %s: %s\n", r.path.c_str(), r.detail.c_str());
      std::fflush(env_.err);
    }
  }

  const BatchRequest& request_;
  const BatchEnvironment& env_;
  std::vector<RowRecord> rows_;
  std::size_t printed_ = 0;
};

// Reports the engine's rows (the drawings to convert) as rows of the whole run. Once the run is
// sure to start, stores the options and rewrites the parameter file.
class BatchObserver : public RunObserver {
 public:
  BatchObserver(Rows& rows, const std::vector<std::size_t>& work, const BatchRequest& request,
                const BatchEnvironment& env)
      : rows_(rows), work_(work), request_(request), env_(env) {}

  bool prepared = true;  // the options stored and the parameter file rewritten as asked

  void RunPreparing() override;

  bool StopRequested() override {
    return (env_.stop != nullptr && env_.stop->load()) ||
           (env_.cancel != nullptr && env_.cancel->Requested());
  }

  void RowStarted(std::size_t index, const std::string& drawing) override {
    const std::size_t row = work_[index];
    rows_.Print();
    if (env_.progress != nullptr) {
      env_.progress->Drawing(row,
                             std::string(text::FileNameOf(drawing, env_.style, env_.code_page)));
    }
    started_[row] = Clock::now();
  }

  void RowStatusChanged(std::size_t index, RowStatus status, ConversionResult result,
                        const ConversionFailure& why) override {
    const std::size_t row = work_[index];
    const bool cancelled =
        status == RowStatus::Failed && env_.cancel != nullptr && env_.cancel->Requested();
    if (status == RowStatus::Aborted || cancelled) {
      // No result of its own: another row (or a stop) ended its combination, or an interrupt
      // its tool.
      rows_.Aborted(row, why.detail, cancelled || StopRequested());
    } else if (status == RowStatus::Converted || status == RowStatus::Failed) {
      rows_.Decide(row, result, why.detail, false);
    } else {
      return;
    }
    if (status != RowStatus::Aborted) {
      if (const auto started = started_.find(row); started != started_.end()) {
        rows_[row].seconds = std::chrono::duration<double>(Clock::now() - started->second).count();
      }
    }
    rows_.Print();
  }

 private:
  Rows& rows_;
  const std::vector<std::size_t>& work_;
  const BatchRequest& request_;
  const BatchEnvironment& env_;
  std::map<std::size_t, Clock::time_point> started_;
};

platform::InputFiles& FilesOf(const BatchEnvironment& env) {
  return env.files != nullptr ? *env.files : platform::SystemInputFiles();
}

// Refuses every row whose output an earlier row writes: the later conversion would delete and
// replace the earlier one's result, and both would be reported converted.
void RefuseSharedOutputs(Rows& rows, const BatchEnvironment& env) {
  platform::InputFiles& files = FilesOf(env);
  struct Written {
    std::string absolute;
    std::optional<platform::FileFacts> facts;
  };
  std::vector<std::optional<Written>> written(rows.size());
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (rows[row].result || rows[row].same_as != 0) {
      continue;
    }
    const Written mine{files.Absolute(rows[row].output), files.Facts(rows[row].output)};
    for (std::size_t earlier = 0; earlier < row; ++earlier) {
      if (!written[earlier]) {
        continue;
      }
      const Written& other = *written[earlier];
      const bool same =
          text::SamePathText(mine.absolute, other.absolute, env.style, env.code_page) ||
          (mine.facts && other.facts && mine.facts->SameFileAs(*other.facts));
      if (same) {
        rows.Decide(row, PathRefused,
                    "its output " + rows[row].output + " is also the output of row " +
                        std::to_string(earlier + 1) + " (" + rows[earlier].path + ")",
                    false);
        break;
      }
    }
    if (!rows[row].result) {
      written[row] = mine;
    }
  }
}

// The drawings a combined PDF of the run is made from, in order: every name once.
std::vector<std::string> CombinedDrawings(Rows& rows) {
  std::vector<std::string> drawings;
  for (const RowRecord& r : rows.records()) {
    if (r.same_as == 0) {
      drawings.push_back(r.path);
    }
  }
  return drawings;
}

bool UpToDate(platform::InputFiles& files, const std::string& drawing, const std::string& output) {
  const std::optional<platform::FileFacts> out = files.Facts(output);
  const std::optional<platform::FileFacts> in = files.Facts(drawing);
  return out && in && !out->folder && !in->folder && out->modified > in->modified;
}

void SkipUpToDate(Rows& rows, const BatchEnvironment& env) {
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (!rows[row].result && rows[row].same_as == 0 &&
        UpToDate(FilesOf(env), rows[row].path, rows[row].output)) {
      rows.Decide(row, Converted, "the output " + rows[row].output + " is newer than the drawing",
                  true);
    }
  }
}

}  // namespace

bool ToolsPresent(const BatchRequest& request, const BatchEnvironment& env, std::string* why) {
  const ToolPaths paths = ToolPathsFor(request.app_folder, env.style, env.code_page);
  for (const std::string* tool : {&paths.export_tool, &paths.output_utility}) {
    if (!env.services.files.Exists(*tool)) {
      return Fail(why, "the tool " + *tool + " is missing");
    }
  }
  return true;
}

// The dialog keeps such failures silent; a script is told, and the run still goes on. The
// template's patterns are the defaults of the pitch settings: they are read at the start of each
// run (each batch of a watch).
bool PrepareBatchRun(const BatchRequest& request, const BatchEnvironment& env, bool save,
                     bool rewrite) {
  ConversionOptions record = request.options;
  record.AppFolder = request.app_folder;
  params::ParamTables tables;
  RunStart start{save ? env.settings : nullptr, request.output_options_set};
  std::string no_patterns;
  bool patterns = true;
  if (rewrite && env.params != nullptr) {
    patterns = params::LoadLineTypeDefaults(request.app_folder, tables, &no_patterns);
    start.tables = &tables;
    start.params = env.params;
  }
  const RunStartResult result = PrepareRun(request.options, record, start);
  const bool saved = !save || (env.settings != nullptr && result.saved);
  if (!saved) {
    std::fprintf(env.err, "plotxfer-batch: the options could not be saved\n");
    std::fflush(env.err);
  }
  if (!patterns) {
    std::fprintf(env.err, "plotxfer-batch: no default line patterns: %s\n", no_patterns.c_str());
  }
  if (!result.rewritten) {
    std::fprintf(env.err, "plotxfer-batch: the parameter file was not rewritten: %s\n",
                 result.why_not_rewritten.c_str());
    std::fflush(env.err);
  } else if (start.params != nullptr && request.verbose) {
    std::fprintf(env.out, "rewrote %s\n", params::ParamFilePath(request.app_folder).c_str());
    std::fflush(env.out);
  }
  return saved && result.rewritten;
}

namespace {

class ReportWriter {
 public:
  ReportWriter(const BatchRequest& request, const BatchEnvironment& env)
      : request_(request), env_(env) {
    record_.version = env.version.empty() ? PLOTXFER_VERSION : env.version;
    record_.started = std::chrono::system_clock::now();
    record_.app_folder = request.app_folder;
    record_.options = request.options;
    record_.char_vector_font = env.char_vector_font;
    record_.skip_up_to_date = request.skip_up_to_date;
    record_.timeout_seconds = request.timeout_seconds;
    record_.settings_warning = request.settings_warning;
    if (request.shard) {
      record_.shard_number = request.shard->number;
      record_.shard_count = request.shard->count;
      record_.all_drawings = request.all_drawings;
    }
  }

  // The status to exit with: a report that cannot be written fails a run that converted.
  int Write(Rows& rows, bool combined, int exit_status) {
    if (request_.report.empty() || request_.dry_run) {
      return exit_status;
    }
    record_.ended = std::chrono::system_clock::now();
    record_.combined = combined;
    record_.rows = rows.records();
    record_.exit_status = exit_status;
    const std::string json = ReportJson(record_, env_.to_utf8 != nullptr ? env_.to_utf8 : AsIs);
    std::string why;
    if (request_.report == "-") {
      if (std::fwrite(json.data(), 1, json.size(), env_.report_out) == json.size() &&
          std::fflush(env_.report_out) == 0) {
        return exit_status;
      }
      why = "standard output is closed";
    } else if (platform::ReplaceFileContents(request_.report, json, &why)) {
      return exit_status;
    }
    std::fprintf(env_.err, "plotxfer-batch: the report %s was not written: %s\n",
                 request_.report.c_str(), why.c_str());
    return exit_status == kExitConverted ? kExitFailed : exit_status;
  }

 private:
  const BatchRequest& request_;
  const BatchEnvironment& env_;
  RunRecord record_;
};

// Prints the command lines a run would hand to the tools, and starts nothing.
int DryRun(const BatchRequest& request, const BatchEnvironment& env, const CommandContext& ctx,
           Rows& rows, bool combined) {
  bool all_ok = true;
  std::vector<std::string> combined_drawings;
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (rows[row].result || rows[row].same_as != 0) {
      all_ok = all_ok && (!rows[row].result || *rows[row].result == Converted);
      rows.Print();
      continue;
    }
    const std::string& drawing = rows[row].path;
    ConversionPlan plan;
    ConversionFailure why;
    if (const ConversionResult verdict =
            PlanConversion(ctx, request.app_folder, drawing, &plan, &why);
        verdict != Converted) {
      all_ok = false;
      rows.Decide(row, verdict, why.detail, false);
      rows.Print();
      continue;
    }
    if (combined) {
      const std::optional<ToolCommand> exporter = BuildExportCommandLine(
          ctx, request.app_folder, drawing,
          NumberedCsdPath(request.app_folder, row, env.style, env.code_page));
      std::fprintf(env.out, "%s\n", exporter.value_or(ToolCommand{}).command_line.c_str());
    } else {
      std::fprintf(env.out, "%s\n%s\n", plan.export_command.command_line.c_str(),
                   plan.output_command.command_line.c_str());
    }
    std::fprintf(env.out, "%3d %s (dry run: %s%s)\n", static_cast<int>(row + 1), drawing.c_str(),
                 combined ? "combined into " : "", plan.output_path.c_str());
    rows.PrintedElsewhere(row);
  }
  if (combined && all_ok) {
    const auto count = std::count_if(rows.records().begin(), rows.records().end(),
                                     [](const RowRecord& r) { return r.same_as == 0; });
    const std::optional<ToolCommand> output = BuildCombinedPdfCommandLine(
        ctx, request.app_folder, CombinedListPath(request.app_folder, env.style, env.code_page),
        rows[0].output, static_cast<int>(count));
    std::fprintf(env.out, "%s\n", output.value_or(ToolCommand{}).command_line.c_str());
  }
  return all_ok ? kExitConverted : kExitFailed;
}

void BatchObserver::RunPreparing() {
  prepared = PrepareBatchRun(request_, env_, request_.save, true);
}

// The files of the run that a report must never replace, and what each is to the run.
std::vector<RunFile> FilesOfTheRun(const BatchRequest& request, const BatchEnvironment& env,
                                   Rows& rows) {
  std::vector<RunFile> files;
  for (std::size_t row = 0; row < rows.size(); ++row) {
    const std::string n = std::to_string(row + 1);
    if (request.refused.count(rows[row].path) == 0) {
      files.push_back({rows[row].path, "the drawing of row " + n});
    }
    files.push_back({rows[row].output, "the output of row " + n});
  }
  for (const InputSource& source : request.inputs) {
    if (source.kind == InputSource::Kind::ListFile && source.text != "-") {
      files.push_back({source.text, "a list file of the run"});
    }
  }
  const ToolPaths tools = ToolPathsFor(request.app_folder, env.style, env.code_page);
  files.push_back({env.settings_file, "the settings file"});
  files.push_back({tools.param_file, "the parameter file"});
  files.push_back({tools.export_tool, "the export tool"});
  files.push_back({tools.export_list, "the export tool's list"});
  return files;
}

// A report where the run could not write it, or over a file the run needs, is a usage error
// found before anything runs: afterwards the run's work or its inputs would be lost.
bool ReportAllowed(const BatchRequest& request, const BatchEnvironment& env, Rows& rows,
                   std::string* why) {
  if (request.report.empty() || request.report == "-") {
    return true;
  }
  platform::InputFiles& files = FilesOf(env);
  const ToolPaths tools = ToolPathsFor(request.app_folder, env.style, env.code_page);
  return ReportPathFree(request.report, FilesOfTheRun(request, env, rows), tools.utility_folder,
                        files, env.style, env.code_page, why) &&
         (request.dry_run ||
          ReportFolderWritable(request.report, files, env.style, env.code_page, why));
}

// The rows decided before anything runs: refused inputs, up-to-date outputs, and outputs that
// another row writes.
void DecideBeforeRun(Rows& rows, const BatchRequest& request, const BatchEnvironment& env,
                     bool combined) {
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (const auto refused = request.refused.find(rows[row].path);
        refused != request.refused.end()) {
      rows.Decide(row, static_cast<ConversionResult>(refused->second.result), refused->second.why,
                  false);
    }
  }
  if (combined) {
    // One PDF of all or nothing: up to date only when it is newer than every drawing and was
    // made from these very drawings, in this order.
    if (request.skip_up_to_date &&
        std::all_of(rows.records().begin(), rows.records().end(),
                    [&](const RowRecord& r) {
                      return r.same_as != 0 || UpToDate(FilesOf(env), r.path, r.output);
                    }) &&
        CombinedPdfMadeFrom(env.services.files, rows[0].output, CombinedDrawings(rows))) {
      SkipUpToDate(rows, env);
    }
  } else {
    RefuseSharedOutputs(rows, env);
    if (request.skip_up_to_date) {
      SkipUpToDate(rows, env);
    }
  }
}

// The status of a run that took place, with a word on what it left undone.
int ExitStatus(Rows& rows, bool busy, bool stopped, bool prepared, const BatchEnvironment& env) {
  const RunCounts counts = CountRows(rows.records());
  const std::size_t undone = counts.not_reached + counts.interrupted;
  if (busy) {
    std::fprintf(env.err,
                 "plotxfer-batch: the output utility stayed in use by another program; %zu "
                 "drawing(s) not converted\n",
                 undone);
    return kExitRefused;
  }
  if (stopped && undone > 0) {
    std::fprintf(env.err, "plotxfer-batch: stopped; %zu drawing(s) not converted\n", undone);
    return kExitInterrupted;
  }
  return counts.failed > 0 || counts.interrupted > 0 || !prepared ? kExitFailed : kExitConverted;
}

// The engine's run over the drawings to convert, under the progress line of all rows.
RunRefusal Convert(const BatchRequest& request, const BatchEnvironment& env,
                   const CommandContext& ctx, std::size_t rows,
                   const std::vector<std::string>& drawings, RunObserver& observer,
                   std::string* why) {
  if (env.progress != nullptr) {
    env.progress->Start(rows);
  }
  EchoingRunner echoing(env.services.processes, env.out, env.progress);
  const ConversionServices services{
      request.verbose ? static_cast<platform::ProcessRunner&>(echoing) : env.services.processes,
      env.services.files};
  const RunPorts ports{env.locks != nullptr ? *env.locks : platform::SystemFileLocks(),
                       env.processes != nullptr ? *env.processes : platform::SystemProcessList(),
                       static_cast<double>(request.wait_seconds), env.pause};
  const RunRefusal refusal =
      ExecuteRun(ctx, services, ports, request.app_folder, drawings, observer, why);
  if (env.progress != nullptr) {
    env.progress->Finish();
  }
  return refusal;
}

int RunBatchOn(const BatchRequest& request, const BatchEnvironment& env) {
  const CommandContext ctx{request.options, env.char_vector_font, env.style, env.code_page};
  ReportWriter report(request, env);
  Rows rows(request, env, ctx);
  const bool combined = RunCombines(request.options, rows.size());
  if (std::string why; !ReportAllowed(request, env, rows, &why)) {
    std::fprintf(env.err, "plotxfer-batch: the report %s may not be written: %s\n",
                 request.report.c_str(), why.c_str());
    return kExitUsage;
  }
  if (!request.settings_warning.empty()) {
    std::fprintf(env.err, "plotxfer-batch: warning: %s\n", request.settings_warning.c_str());
    std::fflush(env.err);
  }
  if (rows.size() == 0) {
    std::fprintf(env.err, "plotxfer-batch: no drawings\n");
    std::fflush(env.err);
    if (request.require_drawings) {
      return report.Write(rows, combined, kExitFailed);
    }
  }
  DecideBeforeRun(rows, request, env, combined);
  if (request.dry_run) {
    return DryRun(request, env, ctx, rows, combined);
  }

  std::vector<std::size_t> work;
  std::vector<std::string> drawings;
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (!rows[row].result && rows[row].same_as == 0) {
      work.push_back(row);
      drawings.push_back(rows[row].path);
    }
  }

  BatchObserver observer(rows, work, request, env);
  const auto refused = [&](const std::string& why) {
    std::fprintf(env.err, "plotxfer-batch: the run is refused: %s; nothing was converted\n",
                 why.c_str());
    rows.Print(true);
    return report.Write(rows, combined, kExitRefused);
  };
  bool busy = false;
  if (work.empty()) {
    // Nothing to convert: the options are still stored when asked.
    observer.prepared = PrepareBatchRun(request, env, request.save, false);
  } else {
    if (std::string why; !ToolsPresent(request, env, &why)) {
      return refused(why);
    }
    std::string why;
    const RunRefusal refusal = Convert(request, env, ctx, rows.size(), drawings, observer, &why);
    busy = refusal == RunRefusal::UtilityStayedBusy;
    if (refusal != RunRefusal::None && !busy) {
      return refused(why);
    }
  }
  rows.Print(true);
  return report.Write(rows, combined,
                      ExitStatus(rows, busy, observer.StopRequested(), observer.prepared, env));
}

}  // namespace

int RunBatch(const BatchRequest& request, const BatchEnvironment& env) {
  if (request.report != "-") {
    return RunBatchOn(request, env);
  }
  // The report takes standard output; the rows and command lines go with the errors.
  BatchEnvironment moved = env;
  moved.report_out = env.out;
  moved.out = env.err;
  return RunBatchOn(request, moved);
}

}  // namespace plotxfer::cli
