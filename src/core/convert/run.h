#pragma once
// A run over a list of drawings: one conversion after the other, or all of them into one PDF.
// The front ends (the dialog, plotxfer-batch) only observe it: they show each row's status and
// say when to stop. The rules of a run live here once, for both.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/convert_drawing.h"
#include "core/convert/status_text.h"
#include "core/params/param_file.h"
#include "core/settings/settings_store.h"
#include "platform/file_lock.h"
#include "platform/process_list.h"

namespace plotxfer {

class RunObserver {
 public:
  virtual ~RunObserver() = default;

  // The run will go on: the application folder is ours and no output utility runs. The front
  // end takes its options and stores them here (the dialog locks its controls, captures the
  // options into the record the run's CommandContext refers to, saves the settings and rewrites
  // the parameter file). Whatever becomes of that, the run goes on. Called by ExecuteRun only.
  virtual void RunPreparing() {}

  // Before the first drawing: every row's status is cleared.
  virtual void RunStarted(std::size_t /*drawing_count*/) {}

  // Asked before each drawing (and where the dialog processes its pending messages); true ends
  // the run there. The drawing under way is always finished: a stop request never ends a tool.
  virtual bool StopRequested() = 0;

  // A drawing's conversion begins. In a combined run: its export begins.
  virtual void RowStarted(std::size_t row, const std::string& drawing) = 0;

  // The text a row shows changes: the dialog writes StatusText(status, code) into the row's
  // status cell and repaints at once. Called for every change, in both kinds of run. A row
  // reaches its result when it changes to Converted or Failed (code is its result); why says
  // why for Failed and Aborted. In a combined run every row reaches its result at the end (all
  // converted, or all failed with OutputFailed), or only the one row that ended the
  // combination: the other rows of an ended combination only change to RowStatus::Aborted.
  virtual void RowStatusChanged(std::size_t row, RowStatus status, ConversionResult code,
                                const ConversionFailure& why) = 0;
};

// Whether a run may go on after waiting for its turn.
enum class Turn {
  Free,     // nothing is in the way
  Busy,     // still in use after the longest wait
  Stopped,  // a stop request came while waiting
};

struct RunPorts;

// True when the run makes one PDF of the drawings: PDF output, more than one drawing and
// ConnectNum 1. Otherwise each drawing is converted on its own.
bool RunCombines(const ConversionOptions& options, std::size_t drawing_count);

// The file a row's conversion makes: its own output, or in a run that combines, the one PDF.
std::string RunOutputPath(const CommandContext& ctx, const std::vector<std::string>& drawings,
                          std::size_t row);

// Why a run did not start, or did not go to its end.
enum class RunRefusal {
  None,              // the run took place (or a stop request ended it)
  NothingToConvert,  // the list is empty
  // Another run holds the application folder's lock, or the folder's export tool still runs
  // (left by a run that died): it would write into RSTKIT under this run.
  FolderInUse,
  OutputUtilityRunning,    // a process named RASTRON.EXE runs (the dialog's message 400)
  ProcessListUnavailable,  // the process list cannot be taken (the dialog's message 401)
  // Between drawings the output utility stayed in use by another program for longer than the
  // run waits: the rest of the run was not done. Every other refusal comes before anything is
  // saved, written or converted, and changes no row.
  UtilityStayedBusy,
};

// Clears every row's status, then converts the drawings in list order (a failed drawing does
// not stop the run) or combines them (ConvertCombinedPdf). Takes no lock: that is ExecuteRun's
// part. With ports that wait (wait_seconds not 0), an output utility started by another program
// is waited for before each drawing after the first, and before a combination's output phase;
// None or UtilityStayedBusy is returned. Whatever the outcome, the run's temporary files in
// RSTKIT (the CSD files and the list file) are deleted at its end: a large CSD file is not left
// lying there until the next run.
RunRefusal RunConversions(const CommandContext& ctx, const ConversionServices& services,
                          std::string_view app_folder, const std::vector<std::string>& drawings,
                          RunObserver& observer, const RunPorts* ports = nullptr);

// The temporary files of runs in RSTKIT: the single conversion's CSD file, the combination's
// list file and every numbered CSD file a list of the longest kind makes.
std::vector<std::string> RunTemporaryFiles(std::string_view app_folder, text::PathStyle style,
                                           text::CodePage cp);

// The lock file that makes a run the only one in its application folder: every run renders
// through the same files in RSTKIT.
inline constexpr char kRunLockName[] = "PLOTXFER.LCK";
std::string RunLockPath(std::string_view app_folder, text::PathStyle style, text::CodePage cp);

// The ports a whole run needs besides those of a conversion.
struct RunPorts {
  platform::FileLocks& locks;
  platform::ProcessList& processes;
  // How long a busy application folder or output utility is waited for, looking again once a
  // second: 0 refuses at once, a negative number waits without limit. A stop request ends the
  // wait.
  double wait_seconds = 0;
  // Waits the second between two looks; a plain sleep when not given.
  std::function<void()> pause = {};
};

// Waits until free() says the run may go on (else why it may not), looking once a second up to
// ports.wait_seconds and asking observer whether to stop before each pause. why receives the last
// reason.
Turn AwaitTurn(const RunPorts& ports, RunObserver& observer,
               const std::function<bool(std::string* why)>& free, std::string* why);

// A whole run, as the Execute button or plotxfer-batch starts it:
// 1. an empty list does nothing;
// 2. the application folder's lock is taken and held until the run returns; a folder locked by
//    another run refuses the run (a lock file that cannot be made does not: a folder where it
//    cannot be made has no room for the run's own files either, and each drawing fails there);
//    so does the folder's export tool while it runs;
// 3. a running output utility, or no process list, refuses the run; a busy folder or utility
//    is first waited for as ports says (a stop request while waiting ends the run there);
// 4. observer.RunPreparing();
// 5. observer.StopRequested(): true ends the run before its first drawing, rows untouched;
// 6. RunConversions.
// ctx.options is read only from step 6 on, so a front end may fill it in RunPreparing.
RunRefusal ExecuteRun(const CommandContext& ctx, const ConversionServices& services,
                      const RunPorts& ports, std::string_view app_folder,
                      const std::vector<std::string>& drawings, RunObserver& observer,
                      std::string* why = nullptr);

// What the start of a run stores and rewrites; what is not given is left alone.
struct RunStart {
  SettingsStore* settings = nullptr;  // where the general options are stored
  bool output_options = false;        // the output options too, in the same save
  // The parameter file is rewritten with these tables and services.
  params::ParamTables* tables = nullptr;
  const params::ParamServices* params = nullptr;
};

struct RunStartResult {
  bool saved = true;
  bool rewritten = true;
  std::string why_not_rewritten;
};

// The start of a run that goes on (RunObserver::RunPreparing), the same for every front end: the
// general options the front end captured are taken into record and stored, then the parameter
// file is rewritten from record. Each is attempted whatever became of the other, and neither
// stops the run: the dialog keeps failures silent, plotxfer-batch reports them.
RunStartResult PrepareRun(const GeneralOptions& captured, ConversionOptions& record,
                          const RunStart& start);

}  // namespace plotxfer
