#pragma once
#include <string>

namespace plotxfer {

// The result of converting one drawing; the list shows a non-zero code as "エラー(%d)".
enum ConversionResult : int {
  Converted = 0,         // the output file exists after the output utility has ended
  InvalidDrawing = 1,    // the header test refused the drawing; nothing was started or touched
  ExportNotStarted = 2,  // the export tool could not be started (or its old CSD file not removed)
  OutputFailed = 3,      // the output utility could not be started, or wrote no output file
  // A path or command line would be longer than the tools accept, or a path cannot be quoted
  // safely on a command line. Such a drawing touches no file and starts nothing: cutting it
  // short or passing it on would hand the tools a different file name or extra tokens.
  PathRefused = 4,
};

// What kind of failure a result was, where a front end words kinds differently; the result says
// which tool: the export tool for ExportNotStarted, the output utility for OutputFailed.
enum class FailureKind {
  Other,            // the result says all there is to word
  CannotOpen,       // the drawing cannot be opened
  ReplacesDrawing,  // a file the conversion deletes or writes is the drawing itself
  OldFileStays,     // the tool's old file (CSD file, output) cannot be deleted
  NotStarted,       // the tool cannot be started
  TimedOut,         // the tool ran longer than the time limit and was ended
  Interrupted,      // the tool was ended by an interrupt
};

// Why a drawing was not converted: its kind, and the detail in words for reports and the
// command line.
struct ConversionFailure {
  FailureKind kind = FailureKind::Other;
  std::string detail;
};

}  // namespace plotxfer
