#pragma once
// What plotxfer-batch was asked to do, read from its command line.
#include <cstdio>
#include <string>
#include <vector>

#include "core/settings/options.h"

namespace plotxfer::cli {

struct BatchRequest {
  ConversionOptions options;
  std::string app_folder;  // with a trailing separator
  std::vector<std::string> drawings;
  bool verbose = false;
  bool dry_run = false;
  bool save = false;  // store the general options as the dialog does at a run start
};

// Where the defaults come from: the options record before any argument is applied (the settings
// the dialog stored), and the folder of our own program file.
struct BatchDefaults {
  ConversionOptions options;
  std::string program_folder;
};

struct ParseOutcome {
  bool run = false;   // true: go on with request
  int exit_code = 0;  // otherwise: end with this code (0 after --help or --version, 2 on misuse)
  BatchRequest request;
};

// Parses argv; help, version and usage errors are printed to out and err.
ParseOutcome ParseBatchArguments(int argc, const char* const* argv, const BatchDefaults& defaults,
                                 std::FILE* out, std::FILE* err);

// "--paper" values: "drawing", a paper name (A0..A4, A4P, B0..B4, any letter case) or WxH in
// millimetres (10 to 100000 each). Sets the size fields of the output kind in options; false
// (with a reason) for anything else.
bool ApplyPaper(const std::string& value, ConversionOptions& options, std::string* why);

}  // namespace plotxfer::cli
