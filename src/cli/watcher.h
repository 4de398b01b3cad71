#pragma once
// plotxfer-batch --watch: keeps the outputs of the drawings in some folders current, converting
// each drawing once it is complete and once per change, until it is stopped.
#include "cli/batch_run.h"
#include "platform/folder_watch.h"

namespace plotxfer::cli {

// Watches request.watch.folders with the options of request, until the first interrupt (the
// drawing under way is finished) or a second one (it is ended at once).
//
// - At start, with watch.initial, every drawing whose output is missing or older than it is
//   converted; the others, and with watch.initial false every drawing, count as done.
// - A drawing is converted once it is complete (WatchRules) and once per change; a failure is
//   tried again only when the drawing changes. A drawing whose header is refused and that changed
//   meanwhile was still being written: it settles again and no result is printed.
// - The settled drawings are converted as one run of the engine each time (its lock taken and let
//   go); a busy output utility or a held application folder is waited for without end (a missing
//   tool is looked for again every second), and no drawing is dropped.
// - Each conversion prints its usual line after a local time stamp; with a report path, one JSON
//   object per drawing is appended to it (JSON Lines) before the next drawing starts.
// - A watched folder that goes away is reported on err and looked for every few seconds.
// Returns 0 after a stop, 130 when a second interrupt ended a tool, 3 when a tool is missing at
// start. watch: the system's when not given.
int RunWatch(const BatchRequest& request, const BatchEnvironment& env,
             platform::FolderWatch* watch = nullptr);

}  // namespace plotxfer::cli
