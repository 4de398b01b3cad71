#pragma once
// Converting one drawing: the export tool writes the intermediate CSD file, the output utility
// renders it, and the result is judged by whether the output file exists afterwards.
#include <string>
#include <string_view>

#include "core/convert/command_lines.h"
#include "core/convert/conversion_result.h"
#include "platform/files.h"
#include "platform/process.h"

namespace plotxfer {

// The OS services a conversion goes through; tests hand in fakes.
struct ConversionServices {
  platform::ProcessRunner& processes;
  platform::FileSystem& files;
};

// Everything decided about one drawing before any file is touched.
struct ConversionPlan {
  // Converted when the drawing may be converted; otherwise InvalidDrawing or PathRefused.
  ConversionResult verdict = Converted;
  std::string reason;  // why it may not, for reports; empty when it may
  std::string csd_path;
  std::string output_path;
  ToolCommand export_command;
  ToolCommand output_command;
};

// Runs a tool and waits for it. True when it ran and ended by itself; otherwise why receives a
// reason naming role ("the export tool") and the program: not started, timed out or cancelled.
// exit, when given, receives how the tool ended.
bool RunTool(platform::ProcessRunner& runner, const ToolCommand& command, const char* role,
             std::string* why, platform::ToolExit* exit = nullptr);

// How a tool ended, in words: "ended with exit code 3", "was killed by signal 6 (SIGABRT)",
// "crashed with exception 0xC0000005"; empty when it is not known.
std::string DescribeToolExit(const platform::ToolExit& exit);

// A crash: a signal on Linux, an exception code on Windows.
bool ToolCrashed(const platform::ToolExit& exit);

// The name an output is kept under while its replacement is made: beside it, in its folder.
std::string KeptOutputPath(const std::string& output_path);

// The last good output of a conversion: moved aside before the output utility starts (so that a
// missing file afterwards still means failure), deleted once a new output is there, put back when
// none is. An output kept by a run that died meanwhile is settled at the next Clear.
class KeptOutput {
 public:
  KeptOutput(platform::FileSystem& files, std::string output_path);

  // Makes way for the output utility. False, with why, when an output stays in the way.
  bool Clear(std::string* why);
  // A new output is there: the old one is deleted.
  void Succeeded();
  // No new output: whatever the utility left is deleted and the old output is put back. The
  // words a failed row's detail ends with: that the previous output was kept (or where it is);
  // empty when there was none.
  std::string Failed();

 private:
  platform::FileSystem& files_;
  std::string output_;
  std::string kept_;
  bool holding_ = false;
};

// Tests the header and builds both command lines. Reads the drawing's first 32 bytes and
// nothing else; changes nothing.
ConversionPlan PlanConversion(const CommandContext& ctx, std::string_view app_folder,
                              const std::string& drawing);

// Converts the drawing at drawing_path with the tools of app_folder. When detail is given it
// receives a short reason for a non-zero result.
ConversionResult ConvertDrawing(const CommandContext& ctx, const ConversionServices& services,
                                std::string_view app_folder, const std::string& drawing_path,
                                std::string* detail = nullptr);

}  // namespace plotxfer
