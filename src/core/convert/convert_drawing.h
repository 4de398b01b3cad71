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
  std::string csd_path;
  std::string output_path;
  ToolCommand export_command;
  ToolCommand output_command;
};

// How a tool ended, in words: "ended with exit code 3", "was killed by signal 6 (SIGABRT)",
// "crashed with exception 0xC0000005"; empty when it is not known.
std::string DescribeToolExit(const platform::ToolExit& exit);

// A crash: a signal on Linux, an exception code on Windows.
bool ToolCrashed(const platform::ToolExit& exit);

// "the output utility <program> ended with exit code 1 and wrote no <path>".
std::string WroteNothing(const char* role, const ToolCommand& command,
                         const platform::ToolExit& exit, const std::string& path);

// The name an output is kept under while its replacement is made: beside it, in its folder.
std::string KeptOutputPath(const std::string& output_path);

// One tool writing one file, the step every conversion is made of: the file's old copy is cleared
// away (one that stays would pass for the tool's work, and fails the step), then the tool (role
// "the export tool" or "the output utility") runs and is waited for. An output (is_output) must be
// there afterwards; its last good copy is kept aside meanwhile, and put back when the step fails.
// A CSD file is only deleted; its caller judges the export. The detail of a missing output ends
// with note. *exit receives how the tool ended.
bool ProduceFile(const ConversionServices& services, const ToolCommand& command, const char* role,
                 const std::string& path, bool is_output, platform::ToolExit* exit,
                 ConversionFailure* why, const std::string& note = {});

// Tests the header and builds both command lines into plan: Converted when the drawing may be
// converted, otherwise InvalidDrawing or PathRefused. Reads the drawing's first 32 bytes and
// nothing else; changes nothing.
ConversionResult PlanConversion(const CommandContext& ctx, std::string_view app_folder,
                                const std::string& drawing, ConversionPlan* plan,
                                ConversionFailure* why = nullptr);

// Converts the drawing at drawing_path with the tools of app_folder.
ConversionResult ConvertDrawing(const CommandContext& ctx, const ConversionServices& services,
                                std::string_view app_folder, const std::string& drawing_path,
                                ConversionFailure* why = nullptr);

}  // namespace plotxfer
