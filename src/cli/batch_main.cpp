// plotxfer-batch: the conversion engine for scripts and schedulers.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch_run.h"
#include "core/convert/combined_pdf.h"
#include "core/convert/run.h"
#include "platform/console.h"
#include "platform/input_files.h"
#include "cli/inputs.h"
#include "platform/interrupt.h"
#include "platform/shell_text.h"
#include "cli/progress.h"
#include "cli/watcher.h"
#include "core/settings/stored_settings.h"
#include "core/text/path.h"
#include "platform/atomic_file.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/param_services.h"
#include "platform/path_style.h"
#include "platform/process.h"
#include "platform/program_arguments.h"
#include "platform/profile_reader.h"
#include "platform/program_path.h"
#include "platform/screen.h"
#include "platform/system_settings.h"

namespace {

std::atomic<bool> g_stop{false};
std::atomic<bool> g_before_run{true};

// What the dialog stored is the starting point; the arguments override it. Read only once the
// arguments ask for a run.
plotxfer::cli::BatchDefaults StoredDefaults(bool dry_run) {
  using namespace plotxfer;
  if (dry_run) {
    platform::KeepBrokenSettingsFile();
  }
  int dpi = platform::SystemScreen().HorizontalDpi();
  if (dpi <= 0) {
    dpi = 96;
  }
  cli::BatchDefaults defaults;
  defaults.options = ConversionOptions::WithScreenDpi(dpi);
  int program_folder_font = kDefaultCharVectorFont;
  LoadSettings(platform::SystemSettingsStore(), platform::SystemProfileReader(),
               platform::SystemProgramFile(platform::ProgramFilePath()), defaults.options,
               program_folder_font);
  defaults.program_folder = text::FolderOfPath(
      platform::ProgramFilePath(), platform::NativePathStyle(), platform::ActiveCodePage());
  defaults.settings_warning = platform::SettingsFallback();
  return defaults;
}

// The drawings of the request from its arguments and lists (its part of them with --shard); an
// exit status when the program must end here.
std::optional<int> TakeDrawings(plotxfer::cli::BatchRequest& request) {
  using namespace plotxfer;
  cli::InputRules rules{request.recursive, platform::NativePathStyle(), platform::ActiveCodePage()};
  rules.stop = &g_stop;
  const cli::ExpandedInputs inputs =
      cli::ExpandInputs(request.inputs, rules, platform::SystemInputFiles(), stdin);
  if (inputs.interrupted) {
    std::fprintf(stderr, "plotxfer-batch: %s; nothing was converted\n", inputs.error.c_str());
    return cli::kExitInterrupted;
  }
  if (!request.quiet) {
    for (const std::string& note : inputs.notes) {
      std::fprintf(stderr, "plotxfer-batch: %s\n", note.c_str());
    }
  }
  if (!inputs.ok()) {
    std::fprintf(stderr, "plotxfer-batch: %s\n", inputs.error.c_str());
    return cli::kExitUsage;
  }
  request.drawings = inputs.drawings;
  request.refused = inputs.refused;
  request.same_as = inputs.same_as;
  if (request.shard) {
    request.all_drawings = request.drawings.size();
    request.drawings = cli::ShardDrawings(request.drawings, request.same_as, *request.shard,
                                          platform::SystemInputFiles());
    if (request.drawings.empty() && !request.quiet) {
      std::fprintf(stderr, "plotxfer-batch: part %zu of %zu holds none of the %zu drawings\n",
                   request.shard->number, request.shard->count, request.all_drawings);
    }
  }
  if (RunCombines(request.options, request.drawings.size()) &&
      request.drawings.size() > kMaxCombinedDrawings) {
    std::fprintf(stderr, "plotxfer-batch: a combined PDF takes at most %zu drawings, not %zu\n",
                 kMaxCombinedDrawings, request.drawings.size());
    return cli::kExitUsage;
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace plotxfer;
  const auto style = platform::NativePathStyle();
  const auto cp = platform::ActiveCodePage();

  std::vector<std::string> words;
  std::string why;
  if (!platform::ProgramArguments(argc, argv, &words, &why)) {
    std::fprintf(stderr, "plotxfer-batch: %s\n", why.c_str());
    return cli::kExitUsage;
  }
  std::vector<const char*> word_pointers;
  for (const std::string& word : words) {
    word_pointers.push_back(word.c_str());
  }

  // A second interrupt ends the running tool, with everything it started. Until the run starts,
  // the first one ends the program: reading a list may block on a pipe for ever.
  platform::ToolCancel cancel;
  platform::InterruptHandling interrupts{
      &g_stop, [](void* c) { static_cast<platform::ToolCancel*>(c)->Request(); }, &cancel,
      &g_before_run};
  platform::InstallInterruptHandlers(&interrupts);

  cli::ParseOutcome parsed = cli::ParseBatchArguments(
      static_cast<int>(word_pointers.size()), word_pointers.data(), StoredDefaults, stdout, stderr);
  if (!parsed.run) {
    return parsed.exit_code;
  }
  cli::BatchRequest& request = parsed.request;

  if (const std::optional<int> ended = TakeDrawings(request)) {
    return *ended;
  }

  if (request.verbose) {
    // A file rewritten in place (no temporary file could be made beside it) is worth a word.
    platform::SetReplaceNotices([](const std::string& note) { std::printf("%s\n", note.c_str()); });
  }
  platform::ToolLimits limits;
  limits.output = request.verbose ? platform::ToolOutput::Show : platform::ToolOutput::Discard;
  limits.timeout =
      std::chrono::milliseconds(static_cast<long long>(request.timeout_seconds * 1000));
  limits.cancel = &cancel;
  const std::unique_ptr<platform::ProcessRunner> runner =
      platform::MakeSupervisedProcessRunner(limits);
  cli::BatchEnvironment env{ConversionServices{*runner, platform::SystemFileSystem()}, style, cp};
  env.cancel = &cancel;
  env.stop = &g_stop;
  env.settings = &platform::SystemSettingsStore();
  env.settings_file = platform::SystemSettingsFile();
  const params::ParamServices param_services = platform::SystemParamServices();
  env.params = &param_services;
  env.to_utf8 = platform::NarrowToUtf8;
  std::unique_ptr<cli::ProgressDisplay> progress;
  if (request.progress && !request.dry_run && platform::IsTerminal(stderr)) {
    progress =
        std::make_unique<cli::ProgressDisplay>(stderr, platform::TerminalColumns(stderr), cp);
    env.progress = progress.get();
  }
  // The font setting belongs to the drafting system the tools are taken from.
  ReadCharVectorFont(platform::SystemProfileReader(), request.app_folder, env.char_vector_font);
  g_before_run = false;
  const int status =
      request.watch.folders.empty() ? cli::RunBatch(request, env) : cli::RunWatch(request, env);
  platform::InterruptibleRunEnded();
  return status;
}
