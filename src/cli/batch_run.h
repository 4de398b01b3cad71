#pragma once
// The conversion part of plotxfer-batch, apart from argument parsing and the real OS services.
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>

#include "cli/batch_request.h"
#include "platform/input_files.h"
#include "cli/progress.h"
#include "core/convert/convert_drawing.h"
#include "core/params/param_file.h"
#include "core/settings/settings_store.h"
#include "core/text/codepage.h"
#include "core/text/path.h"
#include "platform/file_lock.h"
#include "platform/process.h"
#include "platform/process_list.h"

namespace plotxfer::cli {

// Exit statuses.
inline constexpr int kExitConverted = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitRefused = 3;
inline constexpr int kExitInterrupted = 130;

struct BatchEnvironment {
  ConversionServices services;
  text::PathStyle style;
  text::CodePage code_page;  // of the status texts we print
  int char_vector_font = kDefaultCharVectorFont;
  const std::atomic<bool>* stop = nullptr;  // set by Ctrl-C: no further drawing is started
  SettingsStore* settings = nullptr;        // where --save stores the options
  // Rewrites the parameter file at the run start; without it the file is left as it is.
  const params::ParamServices* params = nullptr;
  // A second Ctrl-C: the running tool was ended, its row has no result.
  const platform::ToolCancel* cancel = nullptr;
  // The application folder's lock and the process list; the system's when not given.
  platform::FileLocks* locks = nullptr;
  platform::ProcessList* processes = nullptr;
  platform::InputFiles* files = nullptr;  // file identity and times; the system's when not given
  ProgressDisplay* progress = nullptr;  // the progress line, when there is one
  std::string (*to_utf8)(const std::string&) = nullptr;  // for the report; as is when not given
  std::string version{};                                 // for the report
  std::string settings_file{};    // the file the settings live in, where they live in one
  std::function<void()> pause{};  // --wait's second between two looks; a sleep when not given
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  std::FILE* report_out = stdout;  // for --report -
};

// Converts (or, for a dry run, plans) every drawing of the request in order and prints one line
// per drawing: its number ("%3d"), its path and its status text. Reasons for failures go to err.
//
// Before anything runs, a drawing whose output another row writes is refused (result 4), and
// with skip_up_to_date a drawing whose output is newer than it is left out. A run with something
// to convert is refused (exit status 3, nothing saved or written) when a tool is missing,
// another run holds the application folder or an output utility runs. Then, with save, the
// options are stored as the dialog stores them; the parameter file is rewritten from the
// drafting system's display settings before the first export; the drawings are converted, or
// combined into one PDF (PDF output, ConnectNum 1, more than one drawing). With a report path the
// record of the run is written at the end, also after a stop. A report path that names a file of
// the run (a drawing, an output, a list, the settings or parameter file, a file of the output
// utility's folder), or where no file can be written, is a usage error before anything runs;
// with the report on standard output ("-") the rows go to err. Other names of a row's file get
// rows of their own, converted neither on their own nor counted failed. Returns one of the exit
// statuses above.
int RunBatch(const BatchRequest& request, const BatchEnvironment& env);

// Whether the application folder holds both tools; a run without them is refused.
bool ToolsPresent(const BatchRequest& request, const BatchEnvironment& env, std::string* why);

// The start of a run as the dialog's (PrepareRun): with save the options are stored (the output
// options only when the command line set them), with rewrite the parameter file is rewritten.
// Each failure is said on err and gives false; the run goes on all the same.
bool PrepareBatchRun(const BatchRequest& request, const BatchEnvironment& env, bool save,
                     bool rewrite);

}  // namespace plotxfer::cli
