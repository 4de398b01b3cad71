#pragma once
// The conversion part of plotxfer-batch, apart from argument parsing and the real OS services.
#include <atomic>
#include <cstdio>

#include "cli/batch_request.h"
#include "core/convert/convert_drawing.h"
#include "core/params/param_file.h"
#include "core/settings/settings_store.h"
#include "core/text/codepage.h"
#include "core/text/path.h"

namespace plotxfer::cli {

struct BatchEnvironment {
  ConversionServices services;
  text::PathStyle style;
  text::CodePage code_page;  // of the status texts we print
  int char_vector_font = kDefaultCharVectorFont;
  const std::atomic<bool>* stop = nullptr;  // set by Ctrl-C: no further drawing is started
  SettingsStore* settings = nullptr;        // where --save stores the general options
  // Rewrites the parameter file at the run start; without it the file is left as it is.
  const params::ParamServices* params = nullptr;
  std::FILE* out = stdout;
  std::FILE* err = stderr;
};

// Converts (or, for a dry run, plans) every drawing of the request in order and prints one line
// per drawing: its number ("%3d"), its path and its status text. Reasons for failures go to err.
// With save, first stores the general options as the dialog does at a run start; then rewrites
// the parameter file from the drafting system's display settings, before the first export.
// Returns 0 when every drawing converted (and the options asked to be saved were, and the
// parameter file was rewritten), 1 otherwise.
int RunBatch(const BatchRequest& request, const BatchEnvironment& env);

}  // namespace plotxfer::cli
