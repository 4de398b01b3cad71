#include "cli/watcher.h"

#include <algorithm>
#include <cstdarg>
#include <ctime>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "cli/echoing_runner.h"
#include "cli/inputs.h"
#include "cli/report.h"
#include "cli/report_target.h"
#include "cli/watch_rules.h"
#include "core/convert/run.h"
#include "core/drawing/header.h"
#include "core/convert/status_text.h"

namespace plotxfer::cli {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How soon a stop is seen while nothing happens at the latest; the only wake-ups of an idle watch
// besides its rescans. (On Linux the signal itself ends the wait at once.)
constexpr milliseconds kStopLook{1000};
// How often a refused run (busy output utility, held folder, missing tool) is tried again, and a
// lost folder looked for.
constexpr milliseconds kRetry{1000};
constexpr milliseconds kLostLook{2000};

milliseconds Millis(double seconds) {
  return milliseconds(static_cast<long long>(seconds * 1000 + 0.5));
}

// 2026-12-08 18:30:01, local time: what a person reading the log next to a clock expects.
std::string LocalStamp() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local);
  return buf;
}

DrawingVersion VersionOf(const platform::FileFacts& f) {
  return {f.size, f.modified, f.device, f.index};
}

std::string AsIs(const std::string& text) {
  return text;
}

class Watcher : public RunObserver {
 public:
  Watcher(const BatchRequest& request, const BatchEnvironment& env, platform::FolderWatch& watch)
      : request_(request),
        env_(env),
        watch_(watch),
        files_(env.files != nullptr ? *env.files : platform::SystemInputFiles()),
        rules_(Millis(request.watch.settle_seconds)),
        options_(request.options),
        ctx_{options_, env.char_vector_font, env.style, env.code_page},
        echoing_(env.services.processes, env.out),
        services_{request.verbose ? static_cast<platform::ProcessRunner&>(echoing_)
                                  : env.services.processes,
                  env.services.files},
        // A busy application folder or output utility is waited for without end; the watch
        // keeps taking note of what changes meanwhile.
        ports_{env.locks != nullptr ? *env.locks : platform::SystemFileLocks(),
               env.processes != nullptr ? *env.processes : platform::SystemProcessList(), -1.0,
               [this] { PauseForTurn(); }} {
    // Each drawing of a stream is its own PDF: a combination would have no natural end.
    options_.ConnectNum = 0;
  }

  int Run();

  // RunObserver: one batch of settled drawings.
  void RunPreparing() override;
  bool StopRequested() override { return Stopping(); }
  void RowStarted(std::size_t, const std::string&) override { started_ = Clock::now(); }
  void RowStatusChanged(std::size_t index, RowStatus status, ConversionResult result,
                        const ConversionFailure& why) override;

 private:
  bool Stopping() const {
    return (env_.stop != nullptr && env_.stop->load()) ||
           (env_.cancel != nullptr && env_.cancel->Requested());
  }
  void Note(const char* format, ...);
  bool UnderFolder(const std::string& path, const std::string& folder) const;
  void Scan(const std::string& folder, bool at_start);
  void LookAt(const std::string& path, Clock::time_point now);
  void FolderLost(const std::string& folder);
  void LookForLostFolders();
  void ConvertSettled();
  void PauseForTurn();
  void Report(const std::string& drawing, const std::string& output, ConversionResult result,
              const std::string& status, const std::string& detail, bool interrupted,
              double seconds);

  const BatchRequest& request_;
  const BatchEnvironment& env_;
  platform::FolderWatch& watch_;
  platform::InputFiles& files_;
  WatchRules rules_;
  ConversionOptions options_;
  CommandContext ctx_;
  EchoingRunner echoing_;
  ConversionServices services_;
  RunPorts ports_;

  std::set<std::string> lost_;            // watched folders that are gone for now
  std::vector<WatchRules::Taken> batch_;  // the drawings of the run under way
  std::vector<bool> finished_;
  Clock::time_point started_;
  Clock::time_point retry_at_{};
  std::string waiting_for_;  // the refusal last told, while runs are refused
  bool waiting_ = false;     // a run of this batch waits for its turn, and said so
  int printed_ = 0;
};

void Watcher::Note(const char* format, ...) {
  std::fprintf(env_.err, "%s plotxfer-batch: ", LocalStamp().c_str());
  va_list args;
  va_start(args, format);
  std::vfprintf(env_.err, format, args);
  va_end(args);
  std::fputc('\n', env_.err);
  std::fflush(env_.err);
}

bool Watcher::UnderFolder(const std::string& path, const std::string& folder) const {
  const std::string prefix = text::WithTrailingSeparator(folder, env_.style, env_.code_page);
  return path.size() > prefix.size() &&
         text::SamePathText(std::string_view(path).substr(0, prefix.size()), prefix, env_.style,
                            env_.code_page);
}

// Looks at every drawing in folder (and its subfolders with -r): new and changed ones begin to
// settle, those gone are forgotten. At start, a drawing whose output is up to date (and with
// --no-initial every drawing) counts as done.
void Watcher::Scan(const std::string& folder, bool at_start) {
  const ExpandedInputs found =
      ExpandInputs({{InputSource::Kind::Path, folder}},
                   InputRules{request_.recursive, env_.style, env_.code_page}, files_, nullptr);
  if (!found.ok()) {
    FolderLost(folder);
    return;
  }
  const Clock::time_point now = Clock::now();
  std::set<std::string> present;
  for (const std::string& drawing : found.drawings) {
    const std::optional<platform::FileFacts> facts = files_.Facts(drawing);
    if (!facts || facts->folder) {
      continue;
    }
    present.insert(drawing);
    if (at_start) {
      const std::optional<platform::FileFacts> out =
          files_.Facts(MakeOutputPath(ctx_, drawing, OutputExtension(options_)));
      if (!request_.watch.initial || (out && !out->folder && out->modified > facts->modified)) {
        rules_.Done(drawing, VersionOf(*facts));
        continue;
      }
    }
    rules_.Seen(drawing, VersionOf(*facts), false, now);
  }
  for (const std::string& known : rules_.Known()) {
    if (UnderFolder(known, folder) && present.count(known) == 0) {
      rules_.Seen(known, std::nullopt, false, now);
    }
  }
}

// A path the system named: a drawing is looked at, a folder (with -r) scanned, and the drawings
// under a folder that went away forgotten.
void Watcher::LookAt(const std::string& path, Clock::time_point now) {
  const std::optional<platform::FileFacts> facts = files_.Facts(path);
  if (facts && facts->folder) {
    if (request_.recursive) {
      Scan(path, false);
    }
    return;
  }
  if (HasDrawingExtension(text::FileNameOf(path, env_.style, env_.code_page))) {
    rules_.Seen(path, facts ? std::optional(VersionOf(*facts)) : std::nullopt, false, now);
  }
  if (!facts) {
    for (const std::string& known : rules_.Known()) {
      if (UnderFolder(known, path)) {
        rules_.Seen(known, std::nullopt, false, now);
      }
    }
  }
}

void Watcher::FolderLost(const std::string& folder) {
  if (lost_.insert(folder).second) {
    watch_.Remove(folder);
    Note("the watched folder %s is gone or cannot be read; waiting for it to come back",
         folder.c_str());
  }
}

void Watcher::LookForLostFolders() {
  for (auto it = lost_.begin(); it != lost_.end();) {
    const std::string folder = *it;
    const std::optional<platform::FileFacts> facts = files_.Facts(folder);
    std::vector<platform::FolderEntry> entries;
    if (!facts || !facts->folder || !files_.ListFolder(folder, &entries)) {
      ++it;
      continue;
    }
    it = lost_.erase(it);
    std::string why;
    if (!request_.watch.poll && !watch_.Add(folder, request_.recursive, &why)) {
      Note("no events for %s (%s); it is looked at every %g s", folder.c_str(), why.c_str(),
           request_.watch.rescan_seconds);
    }
    Note("the watched folder %s is back", folder.c_str());
    Scan(folder, false);
  }
}

void Watcher::RunPreparing() {
  // The drafting system's display settings may change while a watch runs for days: each batch
  // takes them as they are now.
  PrepareBatchRun(request_, env_, false, true);
}

void Watcher::RowStatusChanged(std::size_t index, RowStatus change, ConversionResult result,
                               const ConversionFailure& why) {
  if (change != RowStatus::Converted && change != RowStatus::Failed) {
    return;  // every drawing is its own PDF: a row changes only on its way to its result
  }
  const std::string& drawing = batch_[index].path;
  const std::string& detail = why.detail;
  finished_[index] = true;
  const double seconds = std::chrono::duration<double>(Clock::now() - started_).count();
  const DrawingVersion taken = batch_[index].version;
  if (result == InvalidDrawing) {
    // Refused while a writer was still at it: no result yet, it settles again.
    const std::optional<platform::FileFacts> now = files_.Facts(drawing);
    if (now && !now->folder && (VersionOf(*now) != taken || platform::HeldByWriter(drawing))) {
      rules_.StillWritten(drawing, VersionOf(*now), Clock::now());
      if (request_.verbose) {
        Note("%s is still being written; it is tried again once it settles", drawing.c_str());
      }
      return;
    }
  }
  const std::string output = MakeOutputPath(ctx_, drawing, OutputExtension(options_));
  const bool interrupted =
      result != Converted && env_.cancel != nullptr && env_.cancel->Requested();
  std::string status;
  if (interrupted) {
    // Ended by the second interrupt: no result; the next start converts it.
    rules_.Returned(drawing);
    status = StatusText(RowStatus::Aborted, 0, env_.code_page);
  } else {
    rules_.Finished(drawing, taken);
    status = StatusText(change, result, env_.code_page);
  }
  ++printed_;
  if (!request_.quiet || result != Converted) {
    std::fprintf(env_.out, "%s %3d %s %s\n", LocalStamp().c_str(), printed_, drawing.c_str(),
                 status.c_str());
    std::fflush(env_.out);
    if (result != Converted && !detail.empty()) {
      std::fprintf(env_.err, "plotxfer-batch: %s: %s\n", drawing.c_str(), detail.c_str());
      std::fflush(env_.err);
    }
  }
  Report(drawing, output, result, status, result == Converted ? std::string() : detail, interrupted,
         seconds);
}

// One line of JSON per drawing, appended and flushed at once, so a log shipper that follows the
// file sees each drawing as it ends. The file is opened for each line, so it may be rotated.
void Watcher::Report(const std::string& drawing, const std::string& output, ConversionResult result,
                     const std::string& status, const std::string& detail, bool interrupted,
                     double seconds) {
  if (request_.report.empty()) {
    return;
  }
  using nlohmann::ordered_json;
  const auto utf8 = env_.to_utf8 != nullptr ? env_.to_utf8 : AsIs;
  ordered_json line = {
      {"time", IsoUtc(std::chrono::system_clock::now())},
      {"path", utf8(drawing)},
      {"output", utf8(output)},
      {"result", interrupted ? ordered_json(nullptr) : ordered_json(static_cast<int>(result))},
      {"status", utf8(status)},
      {"detail", utf8(detail)},
      {"seconds", static_cast<double>(static_cast<long long>(seconds * 1000 + 0.5)) / 1000},
  };
  if (interrupted) {
    line["interrupted"] = true;
  }
  const std::string text = line.dump(-1, ' ', false, ordered_json::error_handler_t::replace) + "\n";
  if (request_.report == "-") {
    if (std::fwrite(text.data(), 1, text.size(), env_.report_out) != text.size() ||
        std::fflush(env_.report_out) != 0) {
      Note("the report could not be written to standard output");
    }
    return;
  }
  std::FILE* f = std::fopen(request_.report.c_str(), "ab");
  const bool ok = f != nullptr && std::fwrite(text.data(), 1, text.size(), f) == text.size() &&
                  std::fflush(f) == 0;
  if (f != nullptr) {
    std::fclose(f);
  }
  if (!ok) {
    Note("the report %s could not be appended to", request_.report.c_str());
  }
}

// The engine waits for its turn a second at a time; the watch takes in the events of that second.
void Watcher::PauseForTurn() {
  if (!waiting_) {
    waiting_ = true;
    Note(
        "waiting: the application folder or the output utility is in use; %zu drawing(s) are "
        "converted once it is free",
        batch_.size());
  }
  const platform::FolderEvents events = watch_.Wait(kRetry);
  const Clock::time_point now = Clock::now();
  for (const std::string& folder : events.lost) {
    FolderLost(folder);
  }
  for (const std::string& path : events.changed) {
    LookAt(path, now);
  }
}

void Watcher::ConvertSettled() {
  batch_ = rules_.TakeSettled();
  if (batch_.empty()) {
    return;
  }
  std::vector<std::string> drawings;
  for (const WatchRules::Taken& t : batch_) {
    drawings.push_back(t.path);
  }
  finished_.assign(batch_.size(), false);
  std::string refusal;  // stays empty when the run takes place
  if (ToolsPresent(request_, env_, &refusal)) {
    ExecuteRun(ctx_, services_, ports_, request_.app_folder, drawings, *this, &refusal);
  }
  // What was not converted (refused, or stopped before it) waits for the next try.
  for (std::size_t i = 0; i < batch_.size(); ++i) {
    if (!finished_[i]) {
      rules_.Returned(batch_[i].path);
    }
  }
  batch_.clear();
  waiting_ = false;
  if (refusal.empty()) {
    waiting_for_.clear();
    return;
  }
  retry_at_ = Clock::now() + kRetry;
  if (refusal != waiting_for_) {
    waiting_for_ = refusal;
    Note("waiting: %s; %zu drawing(s) are converted once it is free", refusal.c_str(),
         drawings.size());
  }
}

int Watcher::Run() {
  if (std::string missing; !ToolsPresent(request_, env_, &missing)) {
    std::fprintf(env_.err, "plotxfer-batch: the watch is refused: %s\n", missing.c_str());
    return kExitRefused;
  }
  PrepareBatchRun(request_, env_, request_.save, false);
  for (const std::string& folder : request_.watch.folders) {
    std::string why;
    if (!request_.watch.poll && !watch_.Add(folder, request_.recursive, &why)) {
      Note("no events for %s (%s); it is looked at every %g s", folder.c_str(), why.c_str(),
           request_.watch.rescan_seconds);
    }
    Scan(folder, true);
  }
  if (!request_.quiet) {
    Note("watching %zu folder(s), %zu drawing(s), %zu to convert; Ctrl-C ends the watch",
         request_.watch.folders.size(), rules_.Known().size(), rules_.Settling());
  }
  const milliseconds rescan = Millis(request_.watch.rescan_seconds);
  Clock::time_point next_rescan = Clock::now() + rescan;
  Clock::time_point next_lost_look = Clock::now() + kLostLook;
  while (!Stopping()) {
    Clock::time_point now = Clock::now();
    Clock::time_point wake = std::min(now + kStopLook, next_rescan);
    if (const auto look = rules_.NextLook()) {
      wake = std::min(wake, *look);
    }
    if (!lost_.empty()) {
      wake = std::min(wake, next_lost_look);
    }
    const platform::FolderEvents events =
        watch_.Wait(std::max(milliseconds(0), std::chrono::duration_cast<milliseconds>(wake - now) +
                                                  milliseconds(wake > now ? 1 : 0)));
    if (Stopping()) {
      break;
    }
    now = Clock::now();
    for (const std::string& folder : events.lost) {
      FolderLost(folder);
    }
    for (const std::string& path : events.changed) {
      LookAt(path, now);
    }
    if (events.overflow || now >= next_rescan) {
      for (const std::string& folder : request_.watch.folders) {
        if (lost_.count(folder) == 0) {
          Scan(folder, false);
        }
      }
      next_rescan = now + rescan;
    }
    if (!lost_.empty() && now >= next_lost_look) {
      LookForLostFolders();
      next_lost_look = now + kLostLook;
    }
    for (const std::string& path : rules_.ToLookAt(now)) {
      const std::optional<platform::FileFacts> facts = files_.Facts(path);
      const bool usable = facts && !facts->folder;
      rules_.Seen(path, usable ? std::optional(VersionOf(*facts)) : std::nullopt,
                  usable && platform::HeldByWriter(path), now);
    }
    if (now >= retry_at_) {
      ConvertSettled();
    }
  }
  return env_.cancel != nullptr && env_.cancel->Requested() ? kExitInterrupted : kExitConverted;
}

}  // namespace

int RunWatch(const BatchRequest& request, const BatchEnvironment& env,
             platform::FolderWatch* watch) {
  // As for a run: never over a file the watch needs, and only where a file can be written.
  if (!request.report.empty() && request.report != "-") {
    platform::InputFiles& files = env.files != nullptr ? *env.files : platform::SystemInputFiles();
    const ToolPaths tools = ToolPathsFor(request.app_folder, env.style, env.code_page);
    const std::vector<RunFile> needed = {{env.settings_file, "the settings file"},
                                         {tools.param_file, "the parameter file"},
                                         {tools.export_tool, "the export tool"},
                                         {tools.export_list, "the export tool's list"}};
    std::string why;
    if (!ReportPathFree(request.report, needed, tools.utility_folder, files, env.style,
                        env.code_page, &why) ||
        !ReportFolderWritable(request.report, files, env.style, env.code_page, &why)) {
      std::fprintf(env.err, "plotxfer-batch: the report %s may not be written: %s\n",
                   request.report.c_str(), why.c_str());
      return kExitUsage;
    }
  }
  // The report takes standard output; the rows go with the notes.
  BatchEnvironment moved = env;
  if (request.report == "-") {
    moved.report_out = env.out;
    moved.out = env.err;
  }
  std::unique_ptr<platform::FolderWatch> own;
  if (watch == nullptr) {
    own = platform::MakeFolderWatch();
    watch = own.get();
  }
  Watcher watcher(request, moved, *watch);
  return watcher.Run();
}

}  // namespace plotxfer::cli
