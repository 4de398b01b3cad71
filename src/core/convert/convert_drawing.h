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
bool RunTool(platform::ProcessRunner& runner, const ToolCommand& command, const char* role,
             std::string* why);

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
