// plotxfer-batch: the conversion engine for scripts and schedulers.
#include <atomic>
#include <csignal>
#include <cstdio>

#include "cli/batch_run.h"
#include "core/settings/stored_settings.h"
#include "core/text/path.h"
#include "platform/atomic_file.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/param_services.h"
#include "platform/path_style.h"
#include "platform/process.h"
#include "platform/profile_reader.h"
#include "platform/program_path.h"
#include "platform/screen.h"
#include "platform/system_settings.h"

namespace {

std::atomic<bool> g_stop{false};

extern "C" void OnInterrupt(int) {
  // The drawing under way is finished; no further drawing is started.
  g_stop = true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace plotxfer;
  const auto style = platform::NativePathStyle();
  const auto cp = platform::ActiveCodePage();

  int dpi = platform::SystemScreen().HorizontalDpi();
  if (dpi <= 0) {
    dpi = 96;
  }
  cli::BatchDefaults defaults;
  defaults.options = ConversionOptions::WithScreenDpi(dpi);
  // What the dialog stored is the starting point; the arguments override it.
  int program_folder_font = kDefaultCharVectorFont;
  LoadSettings(platform::SystemSettingsStore(), platform::SystemProfileReader(),
               platform::SystemProgramFile(platform::ProgramFilePath()), defaults.options,
               program_folder_font);
  defaults.program_folder = text::FolderOfPath(platform::ProgramFilePath(), style, cp);

  const cli::ParseOutcome parsed = cli::ParseBatchArguments(argc, argv, defaults, stdout, stderr);
  if (!parsed.run) {
    return parsed.exit_code;
  }

  std::signal(SIGINT, OnInterrupt);
  if (parsed.request.verbose) {
    // A file rewritten in place (no temporary file could be made beside it) is worth a word.
    platform::SetReplaceNotices([](const std::string& note) { std::printf("%s\n", note.c_str()); });
  }
  const auto output =
      parsed.request.verbose ? platform::ToolOutput::Show : platform::ToolOutput::Discard;
  cli::BatchEnvironment env{
      ConversionServices{platform::SystemProcessRunner(output), platform::SystemFileSystem()},
      style, cp};
  env.stop = &g_stop;
  env.settings = &platform::SystemSettingsStore();
  const params::ParamServices param_services = platform::SystemParamServices();
  env.params = &param_services;
  // The font setting belongs to the drafting system the tools are taken from.
  ReadCharVectorFont(platform::SystemProfileReader(), parsed.request.app_folder,
                     env.char_vector_font);
  return cli::RunBatch(parsed.request, env);
}
