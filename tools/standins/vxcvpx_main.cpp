// VXCVPX.exe stand-in: exports a drawing to a CSD file.
#include <cstdio>

#include "support/exit_codes.h"
#include "support/export_tool.h"
#include "support/tool_main.h"

namespace {

int Export(const std::vector<std::string>& argv, std::string* message) {
  auto command = standin::ParseExportCommand(argv, message);
  if (!command) {
    *message +=
        "\nusage: VXCVPX.exe -M VXCSD.DLL -L VXCVLL.DLL -m export -p <parameter file> "
        "-l <list file> <drawing> <CSD file>";
    return standin::kExitUsage;
  }
  return standin::RunExport(*command, message);
}

}  // namespace

int main(int argc, char** argv) {
  return standin::RunTool("VXCVPX", argc, argv, Export);
}
