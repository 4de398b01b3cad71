#pragma once
// The files of a conversion and the exact command lines of the export tool and the output
// utility. The tools parse these lines themselves, so every byte counts: absent optional tokens
// still leave their separating space behind.
#include <optional>
#include <string>
#include <string_view>

#include "core/settings/options.h"
#include "core/text/codepage.h"
#include "core/text/path.h"

namespace plotxfer {

// Longest paths and command line the tools accept, in bytes.
inline constexpr std::size_t kMaxFilePath =
    263;  // drawing, AppFolder, parameter, list, CSD, output
inline constexpr std::size_t kMaxUtilityPath = 259;  // output utility and its folder
inline constexpr std::size_t kMaxCommandLine = 1379;

inline constexpr char kExportToolName[] = "VXCVPX.exe";
inline constexpr char kExportListName[] = "VXCSD.lst";
inline constexpr char kUtilityFolderName[] = "RSTKIT";
inline constexpr char kOutputUtilityName[] = "RASTRON.EXE";
inline constexpr char kIntermediateCsdName[] = "VXTMPDT2.CSD";

// What the builders need besides the paths: the options as the run has taken them, the drafting
// system's vector-font setting, and how paths and text are written on the platform.
struct CommandContext {
  const ConversionOptions& options;
  int char_vector_font = kDefaultCharVectorFont;
  text::PathStyle style = text::PathStyle::Windows;
  text::CodePage code_page = text::CodePage::ShiftJis;
};

// A program to start and the whole command line handed to it (its first token repeats the
// program path).
struct ToolCommand {
  std::string program;
  std::string command_line;
};

// The paths of the file table, all from AppFolder by plain concatenation (a separator is added
// to an AppFolder that lacks one).
struct ToolPaths {
  std::string app_folder;
  std::string export_tool;
  std::string param_file;
  std::string export_list;
  std::string utility_folder;  // without a trailing separator
  std::string output_utility;
  std::string intermediate_csd;
};
ToolPaths ToolPathsFor(std::string_view app_folder, text::PathStyle style, text::CodePage cp);

// Output file of a drawing: beside the drawing (FolderType 0) or in SelFolder (FolderType 1),
// named after the drawing without its last extension, with ext (".pdf", ".bmp" ...) appended.
std::string MakeOutputPath(const CommandContext& ctx, std::string_view drawing,
                           std::string_view ext);

// ".pdf" for PDF output; ".bmp", ".gif", ".jpg" or ".tif" by ImageType for image output.
const char* OutputExtension(const ConversionOptions& options);

// Each builder gives the command, or none where a path is longer than the tools take, text cannot
// be quoted or the line is too long; why says which. A command that is not built must not run.
std::optional<ToolCommand> BuildExportCommandLine(const CommandContext& ctx,
                                                  std::string_view app_folder,
                                                  std::string_view drawing, std::string_view csd,
                                                  std::string* why = nullptr);
std::optional<ToolCommand> BuildPdfCommandLine(const CommandContext& ctx,
                                               std::string_view app_folder, std::string_view input,
                                               std::string_view output, std::string* why = nullptr);
std::optional<ToolCommand> BuildImageCommandLine(const CommandContext& ctx,
                                                 std::string_view app_folder, std::string_view csd,
                                                 std::string_view output,
                                                 std::string* why = nullptr);
// The PDF line over a list file of CSD files, with "/PDFConnection:%d" and "/UnitNum:%d" added.
std::optional<ToolCommand> BuildCombinedPdfCommandLine(const CommandContext& ctx,
                                                       std::string_view app_folder,
                                                       std::string_view list_file,
                                                       std::string_view output, int drawing_count,
                                                       std::string* why = nullptr);

}  // namespace plotxfer
