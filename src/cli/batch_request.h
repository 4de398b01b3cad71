#pragma once
// What plotxfer-batch was asked to do, read from its command line.
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/inputs.h"
#include "core/settings/options.h"

namespace plotxfer::cli {

// plotxfer-batch --watch: the folders whose drawings are converted as they appear or change.
struct WatchRequest {
  std::vector<std::string> folders;  // absolute; none: no watch, one run over the inputs
  double settle_seconds = 2;         // unchanged this long (and not held by a writer): complete
  double rescan_seconds = 60;        // every folder is looked at in full this often
  bool poll = false;                 // no events from the system: rescans only
  bool initial = true;               // at start, convert what is not up to date
};

struct BatchRequest {
  ConversionOptions options;
  std::string app_folder;  // absolute, with a trailing separator
  // The arguments and --list files in command-line order; expanded into drawings before the run.
  std::vector<InputSource> inputs;
  bool recursive = false;
  std::vector<std::string> drawings;
  // Rows that are shown but not converted, and other names of a row's file (see ExpandInputs).
  std::map<std::string, InputRefusal> refused;
  std::map<std::string, std::string> same_as;
  bool require_drawings = false;  // no drawing at all is a failure
  std::string settings_warning;   // what became of a settings file that could not be read
  bool verbose = false;
  bool dry_run = false;
  bool save = false;                // store the options the command line set, as the dialog does
  bool output_options_set = false;  // --paper, --dpi or --combine/--no-combine given
  std::string report;    // --report: where the JSON record of the run goes ("-": standard output)
  bool progress = true;  // the progress line, when standard error is a terminal
  bool quiet = false;    // errors only
  double timeout_seconds = 0;  // 0: a tool is never stopped
  int wait_seconds = 0;  // --wait: how long a busy folder or utility is waited for; < 0: no limit
  bool skip_up_to_date = false;
  std::optional<Shard> shard;    // --shard: this run converts only its part of the drawings
  std::size_t all_drawings = 0;  // with --shard: the drawings of every part together
  WatchRequest watch;  // --watch: folders to keep converting, until stopped
};

// Where the defaults come from: the options record before any argument is applied (the settings
// the dialog stored), and the folder of our own program file.
struct BatchDefaults {
  ConversionOptions options;
  std::string program_folder;
  std::string settings_warning;  // the stored settings could not be read: what became of them
};

struct ParseOutcome {
  bool run = false;   // true: go on with request
  int exit_code = 0;  // otherwise: end with this code (0 after --help or --version, 2 on misuse)
  BatchRequest request;
};

// Parses argv; help, version and usage errors are printed to out and err. load_defaults is
// called only when the arguments ask for a run, so --help, --version and a usage error read no
// file at all; it is told whether the run is a dry run (which changes no file, a broken
// settings file included).
ParseOutcome ParseBatchArguments(int argc, const char* const* argv,
                                 const std::function<BatchDefaults(bool dry_run)>& load_defaults,
                                 std::FILE* out, std::FILE* err);
inline ParseOutcome ParseBatchArguments(int argc, const char* const* argv,
                                        const BatchDefaults& defaults, std::FILE* out,
                                        std::FILE* err) {
  return ParseBatchArguments(
      argc, argv, [&defaults](bool) { return defaults; }, out, err);
}

// "--paper" values: "drawing", a paper name (A0..A4, A4P, B0..B4, any letter case) or WxH in
// millimetres (10 to 100000 each). Sets the size fields of the output kind in options; false
// (with a reason) for anything else.
bool ApplyPaper(const std::string& value, ConversionOptions& options, std::string* why);

}  // namespace plotxfer::cli
