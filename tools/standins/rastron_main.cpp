// RASTRON.EXE stand-in: renders CSD files into a PDF or an image.
#include <cstdio>

#include "support/exit_codes.h"
#include "support/output_tool.h"
#include "support/tool_main.h"

namespace {

int Render(const std::vector<std::string>& argv, std::string* message) {
  auto command = standin::ParseOutputCommand(argv, message);
  if (!command) {
    *message +=
        "\nusage: RASTRON.EXE <CSD file or list file> /s (/pdfpath:<file> | "
        "/Imagepath:<file> /ImageType:<0-3>) [/c:<0|1>] [/pdfps:x<w><h> | "
        "/Imageps:x<w><h>] [/ImageDPI:<n>] [/PDFConnection:<0|1> /UnitNum:<n>] ...";
    return standin::kExitUsage;
  }
  return standin::RunOutput(*command, message);
}

}  // namespace

int main(int argc, char** argv) {
  return standin::RunTool("RASTRON", argc, argv, Render);
}
