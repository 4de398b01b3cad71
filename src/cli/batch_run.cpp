#include "cli/batch_run.h"

#include <chrono>
#include <optional>
#include <vector>

#include "cli/report.h"
#include "core/convert/run.h"
#include "core/convert/status_text.h"
#include "core/settings/stored_settings.h"
#include "platform/atomic_file.h"
#include "plotxfer_version.h"

namespace plotxfer::cli {

namespace {

using Clock = std::chrono::steady_clock;

std::string AsIs(const std::string& text) {
  return text;
}

// Prints each command line exactly as it is handed to the process start, before the start.
class EchoingRunner : public platform::ProcessRunner {
 public:
  EchoingRunner(platform::ProcessRunner& inner, std::FILE* out, ProgressDisplay* progress)
      : inner_(inner), out_(out), progress_(progress) {}
  bool RunAndWait(const std::string& program, const std::string& command_line) override {
    const auto print = [&] {
      std::fprintf(out_, "%s\n", command_line.c_str());
      std::fflush(out_);
    };
    if (progress_ != nullptr) {
      progress_->Around(print);
    } else {
      print();
    }
    return inner_.RunAndWait(program, command_line);
  }

 private:
  platform::ProcessRunner& inner_;
  std::FILE* out_;
  ProgressDisplay* progress_;
};

// The rows of the run: what was decided before it, what the engine reported, and printing them
// in row order.
class Rows {
 public:
  Rows(const BatchRequest& request, const BatchEnvironment& env) : request_(request), env_(env) {
    rows_.resize(request.drawings.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      rows_[i].path = request.drawings[i];
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

  void Interrupted(std::size_t row, std::string detail) {
    RowRecord& r = rows_[row];
    r.result.reset();
    r.interrupted = true;
    r.status = StatusText(RowStatus::Aborted, 0, env_.code_page);
    r.detail = std::move(detail);
  }

  // Takes row as printed by the caller (the rows before it must be printed already).
  void PrintedElsewhere(std::size_t row) { printed_ = row + 1; }

  // Prints every row before end that has not been printed yet.
  void PrintUpTo(std::size_t end) {
    const auto print = [&] {
      for (; printed_ < end && printed_ < rows_.size(); ++printed_) {
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
    if (r.skipped) {
      status += " (up to date, skipped)";
    } else if (!r.result && !r.interrupted) {
      status = "(not reached)";
    }
    std::fprintf(env_.out, "%3d %s %s\n", static_cast<int>(row + 1), r.path.c_str(),
                 status.c_str());
    std::fflush(env_.out);
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

// Reports the engine's rows (the drawings to convert) as rows of the whole run.
class BatchObserver : public RunObserver {
 public:
  BatchObserver(Rows& rows, const std::vector<std::size_t>& work, const BatchEnvironment& env)
      : rows_(rows), work_(work), env_(env) {}

  bool StopRequested() override { return env_.stop != nullptr && env_.stop->load(); }

  void RowStarted(std::size_t index, const std::string& drawing) override {
    const std::size_t row = work_[index];
    rows_.PrintUpTo(row);
    if (env_.progress != nullptr) {
      env_.progress->Drawing(row, text::FileNameOf(drawing, env_.style, env_.code_page).data());
    }
    started_ = Clock::now();
  }

  void RowFinished(std::size_t index, const std::string&, ConversionResult result,
                   const std::string& detail) override {
    const std::size_t row = work_[index];
    rows_.Decide(row, result, result == Converted ? std::string() : detail, false);
    rows_[row].seconds = std::chrono::duration<double>(Clock::now() - started_).count();
    rows_.PrintUpTo(row + 1);
  }

 private:
  Rows& rows_;
  const std::vector<std::size_t>& work_;
  const BatchEnvironment& env_;
  Clock::time_point started_;
};

InputFiles& FilesOf(const BatchEnvironment& env) {
  return env.files != nullptr ? *env.files : SystemInputFiles();
}

// Refuses every row whose output an earlier row writes: the later conversion would delete and
// replace the earlier one's result, and both would be reported converted.
void RefuseSharedOutputs(Rows& rows, const BatchEnvironment& env) {
  InputFiles& files = FilesOf(env);
  struct Written {
    std::string absolute;
    std::optional<FileFacts> facts;
  };
  std::vector<std::optional<Written>> written(rows.size());
  for (std::size_t row = 0; row < rows.size(); ++row) {
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

bool UpToDate(InputFiles& files, const std::string& drawing, const std::string& output) {
  const std::optional<FileFacts> out = files.Facts(output);
  const std::optional<FileFacts> in = files.Facts(drawing);
  return out && in && !out->folder && !in->folder && out->modified > in->modified;
}

void SkipUpToDate(Rows& rows, const BatchEnvironment& env) {
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (!rows[row].result && UpToDate(FilesOf(env), rows[row].path, rows[row].output)) {
      rows.Decide(row, Converted, "the output " + rows[row].output + " is newer than the drawing",
                  true);
    }
  }
}

// The dialog keeps such failures silent; a script is told, and the run still goes on.
bool SaveOptions(const BatchRequest& request, const BatchEnvironment& env) {
  ConversionOptions record = request.options;
  bool saved = env.settings != nullptr &&
               SaveGeneralSettings(*env.settings, GeneralOptionsOf(request.options), record);
  if (saved && request.output_options_set) {
    saved = SaveOutputSettings(*env.settings, request.options);
  }
  if (!saved) {
    std::fprintf(env.err, "plotxfer-batch: the options could not be saved\n");
    std::fflush(env.err);
  }
  return saved;
}

// The template's patterns are the defaults of the pitch settings. This program makes one run per
// start, so they are read here, at the start of the run. As for the options, the dialog keeps
// failures silent; a script is told, and the run still goes on.
bool RewriteParamFile(const BatchRequest& request, const BatchEnvironment& env) {
  if (env.params == nullptr) {
    return true;
  }
  params::ParamTables tables;
  std::string why;
  if (params::LoadLineTypeDefaults(request.app_folder, tables, &why) != 0) {
    std::fprintf(env.err, "plotxfer-batch: no default line patterns: %s\n", why.c_str());
  }
  ConversionOptions options = request.options;
  options.AppFolder = request.app_folder;
  if (params::WriteParamFile(options, tables, *env.params, &why) != 0) {
    std::fprintf(env.err, "plotxfer-batch: the parameter file was not rewritten: %s\n",
                 why.c_str());
    std::fflush(env.err);
    return false;
  }
  if (request.verbose) {
    std::fprintf(env.out, "rewrote %s\n", params::ParamFilePath(request.app_folder).c_str());
    std::fflush(env.out);
  }
  return true;
}

// Why the run may not start at all; empty when it may.
std::string RefusalOf(const BatchRequest& request, const BatchEnvironment& env) {
  const ToolPaths paths = ToolPathsFor(request.app_folder, env.style, env.code_page);
  for (const std::string* tool : {&paths.export_tool, &paths.output_utility}) {
    if (!env.services.files.Exists(*tool)) {
      return "the tool " + *tool + " is missing";
    }
  }
  return {};
}

int DryRun(const BatchRequest& request, const BatchEnvironment& env, const CommandContext& ctx,
           Rows& rows) {
  bool all_ok = true;
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (rows[row].result) {
      all_ok = all_ok && *rows[row].result == Converted;
      rows.PrintUpTo(row + 1);
      continue;
    }
    const std::string& drawing = rows[row].path;
    const ConversionPlan plan = PlanConversion(ctx, request.app_folder, drawing);
    if (plan.verdict != Converted) {
      all_ok = false;
      rows.Decide(row, plan.verdict, plan.reason, false);
      rows.PrintUpTo(row + 1);
      continue;
    }
    std::fprintf(env.out, "%s\n%s\n", plan.export_command.command_line.c_str(),
                 plan.output_command.command_line.c_str());
    std::fprintf(env.out, "%3d %s (dry run: %s)\n", static_cast<int>(row + 1), drawing.c_str(),
                 plan.output_path.c_str());
    rows.PrintedElsewhere(row);
  }
  return all_ok ? kExitConverted : kExitFailed;
}

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
    std::string why;
    if (!platform::ReplaceFileContents(
            request_.report, ReportJson(record_, env_.to_utf8 != nullptr ? env_.to_utf8 : AsIs),
            &why)) {
      std::fprintf(env_.err, "plotxfer-batch: the report %s was not written: %s\n",
                   request_.report.c_str(), why.c_str());
      return exit_status == kExitConverted ? kExitFailed : exit_status;
    }
    return exit_status;
  }

 private:
  const BatchRequest& request_;
  const BatchEnvironment& env_;
  RunRecord record_;
};

}  // namespace

int RunBatch(const BatchRequest& request, const BatchEnvironment& env) {
  const CommandContext ctx{request.options, env.char_vector_font, env.style, env.code_page};
  ReportWriter report(request, env);
  Rows rows(request, env);
  const bool combined = false;
  for (std::size_t row = 0; row < rows.size(); ++row) {
    rows[row].output = MakeOutputPath(ctx, rows[row].path, OutputExtension(request.options));
  }
  RefuseSharedOutputs(rows, env);
  if (request.skip_up_to_date) {
    SkipUpToDate(rows, env);
  }
  if (request.dry_run) {
    return DryRun(request, env, ctx, rows);
  }

  std::vector<std::size_t> work;
  std::vector<std::string> drawings;
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (!rows[row].result) {
      work.push_back(row);
      drawings.push_back(rows[row].path);
    }
  }

  bool saved = true;
  bool rewritten = true;
  RunSummary summary;
  if (!work.empty()) {
    if (const std::string why = RefusalOf(request, env); !why.empty()) {
      std::fprintf(env.err, "plotxfer-batch: the run is refused: %s; nothing was converted\n",
                   why.c_str());
      rows.PrintUpTo(rows.size());
      return report.Write(rows, combined, kExitRefused);
    }
  }
  if (request.save) {
    saved = SaveOptions(request, env);
  }
  if (!work.empty()) {
    rewritten = RewriteParamFile(request, env);
    if (env.progress != nullptr) {
      env.progress->Start(rows.size());
    }
    EchoingRunner echoing(env.services.processes, env.out, env.progress);
    const ConversionServices services{
        request.verbose ? static_cast<platform::ProcessRunner&>(echoing) : env.services.processes,
        env.services.files};
    BatchObserver observer(rows, work, env);
    summary = RunConversions(ctx, services, request.app_folder, drawings, observer);
    if (env.progress != nullptr) {
      env.progress->Finish();
    }
  }
  rows.PrintUpTo(rows.size());

  const RunCounts counts = CountRows(rows.records());
  int status = kExitConverted;
  if (counts.not_reached > 0 || counts.interrupted > 0) {
    std::fprintf(env.err, "plotxfer-batch: stopped; %zu drawing(s) not converted\n",
                 counts.not_reached + counts.interrupted);
    status = kExitInterrupted;
  } else if (counts.failed > 0 || !saved || !rewritten) {
    status = kExitFailed;
  }
  (void)summary;
  return report.Write(rows, combined, status);
}

}  // namespace plotxfer::cli
