#pragma once
// The export stand-in: VXCVPX.exe -M VXCSD.DLL -L VXCVLL.DLL -m export -p <param file>
// -l <list file> <drawing> <CSD file>. Checks the drawing's header and writes the CSD file.
#include <optional>
#include <string>
#include <vector>

namespace standin {

struct ExportCommand {
  std::string param_path;
  std::string list_path;
  std::string drawing_path;
  std::string csd_path;
};

// argv[0] is the program. Every option must come once with its value; exactly two paths remain,
// the drawing and then the CSD file.
std::optional<ExportCommand> ParseExportCommand(const std::vector<std::string>& argv,
                                                std::string* error);

// Writes the CSD file for the drawing; an exit code, with the reason in *message on failure.
int RunExport(const ExportCommand& command, std::string* message);

}  // namespace standin
