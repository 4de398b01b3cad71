#include "cli/batch_run.h"

#include "core/convert/run.h"
#include "core/convert/status_text.h"
#include "core/settings/stored_settings.h"

namespace plotxfer::cli {

namespace {

void PrintRow(std::FILE* out, std::size_t row, const std::string& path, const std::string& status) {
  std::fprintf(out, "%3d %s %s\n", static_cast<int>(row + 1), path.c_str(), status.c_str());
  std::fflush(out);
}

// Prints each command line exactly as it is handed to the process start, before the start.
class EchoingRunner : public platform::ProcessRunner {
 public:
  EchoingRunner(platform::ProcessRunner& inner, std::FILE* out) : inner_(inner), out_(out) {}
  bool RunAndWait(const std::string& program, const std::string& command_line) override {
    std::fprintf(out_, "%s\n", command_line.c_str());
    std::fflush(out_);
    return inner_.RunAndWait(program, command_line);
  }

 private:
  platform::ProcessRunner& inner_;
  std::FILE* out_;
};

class ConsoleObserver : public RunObserver {
 public:
  explicit ConsoleObserver(const BatchEnvironment& env) : env_(env) {}

  bool StopRequested() override { return env_.stop != nullptr && env_.stop->load(); }
  void RowStarted(std::size_t, const std::string&) override {}
  void RowFinished(std::size_t row, const std::string& drawing, ConversionResult result,
                   const std::string& detail) override {
    const bool ok = result == Converted;
    PrintRow(env_.out, row, drawing,
             StatusText(ok ? RowStatus::Converted : RowStatus::Failed, result, env_.code_page));
    if (!ok && !detail.empty()) {
      std::fprintf(env_.err, "plotxfer-batch: %s: %s\n", drawing.c_str(), detail.c_str());
      std::fflush(env_.err);
    }
  }

 private:
  const BatchEnvironment& env_;
};

int DryRun(const BatchRequest& request, const BatchEnvironment& env, const CommandContext& ctx) {
  bool all_ok = true;
  for (std::size_t row = 0; row < request.drawings.size(); ++row) {
    const std::string& drawing = request.drawings[row];
    const ConversionPlan plan = PlanConversion(ctx, request.app_folder, drawing);
    if (plan.verdict != Converted) {
      all_ok = false;
      PrintRow(env.out, row, drawing, StatusText(RowStatus::Failed, plan.verdict, env.code_page));
      std::fprintf(env.err, "plotxfer-batch: %s: %s\n", drawing.c_str(), plan.reason.c_str());
      continue;
    }
    std::fprintf(env.out, "%s\n%s\n", plan.export_command.command_line.c_str(),
                 plan.output_command.command_line.c_str());
    PrintRow(env.out, row, drawing, "(dry run: " + plan.output_path + ")");
  }
  return all_ok ? 0 : 1;
}

// The dialog keeps such failures silent; a script is told, and the run still goes on.
bool SaveGeneralOptions(const BatchRequest& request, const BatchEnvironment& env) {
  ConversionOptions record = request.options;
  if (env.settings != nullptr &&
      SaveGeneralSettings(*env.settings, GeneralOptionsOf(request.options), record)) {
    return true;
  }
  std::fprintf(env.err, "plotxfer-batch: the options could not be saved\n");
  std::fflush(env.err);
  return false;
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

}  // namespace

int RunBatch(const BatchRequest& request, const BatchEnvironment& env) {
  const CommandContext ctx{request.options, env.char_vector_font, env.style, env.code_page};
  if (request.dry_run) {
    return DryRun(request, env, ctx);
  }
  const bool saved = !request.save || SaveGeneralOptions(request, env);
  const bool rewritten = RewriteParamFile(request, env);
  EchoingRunner echoing(env.services.processes, env.out);
  const ConversionServices services{
      request.verbose ? static_cast<platform::ProcessRunner&>(echoing) : env.services.processes,
      env.services.files};
  ConsoleObserver observer(env);
  const RunSummary summary =
      RunConversions(ctx, services, request.app_folder, request.drawings, observer);
  if (summary.stopped) {
    std::fprintf(env.err, "plotxfer-batch: stopped; %zu drawing(s) not converted\n",
                 summary.not_reached);
  }
  return summary.failed == 0 && !summary.stopped && saved && rewritten ? 0 : 1;
}

}  // namespace plotxfer::cli
