// plotxfer-batch: the conversion engine for scripts and schedulers.
#include <atomic>
#include <csignal>

#include "cli/batch_run.h"
#include "core/text/path.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/path_style.h"
#include "platform/process.h"
#include "platform/program_path.h"
#include "platform/screen.h"

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
  defaults.program_folder = text::FolderOfPath(platform::ProgramFilePath(), style, cp);

  const cli::ParseOutcome parsed = cli::ParseBatchArguments(argc, argv, defaults, stdout, stderr);
  if (!parsed.run) {
    return parsed.exit_code;
  }

  std::signal(SIGINT, OnInterrupt);
  const auto output =
      parsed.request.verbose ? platform::ToolOutput::Show : platform::ToolOutput::Discard;
  cli::BatchEnvironment env{
      ConversionServices{platform::SystemProcessRunner(output), platform::SystemFileSystem()},
      style, cp};
  env.stop = &g_stop;
  return cli::RunBatch(parsed.request, env);
}
