#pragma once

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

}  // namespace plotxfer
