#include "support/export_tool.h"

#include <cctype>

#include "support/byte_sink.h"
#include "support/csd_file.h"
#include "support/drawing_header.h"
#include "support/exit_codes.h"
#include "support/param_file.h"
#include "support/paths.h"

namespace standin {
namespace {

bool SameText(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return i == a.size() && b[i] == '\0';
}

}  // namespace

std::optional<ExportCommand> ParseExportCommand(const std::vector<std::string>& argv,
                                                std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error != nullptr) *error = why;
    return std::nullopt;
  };
  std::optional<std::string> module, loader, mode, param, list;
  std::vector<std::string> paths;
  for (std::size_t i = 1; i < argv.size(); ++i) {
    const std::string& token = argv[i];
    std::optional<std::string>* slot = nullptr;
    if (token == "-M") {
      slot = &module;
    } else if (token == "-L") {
      slot = &loader;
    } else if (token == "-m") {
      slot = &mode;
    } else if (token == "-p") {
      slot = &param;
    } else if (token == "-l") {
      slot = &list;
    } else if (token.size() == 2 && token[0] == '-') {
      return fail("unknown option " + token);
    } else {
      paths.push_back(token);
      continue;
    }
    if (slot->has_value()) return fail("option " + token + " given twice");
    if (i + 1 >= argv.size()) return fail("option " + token + " needs a value");
    *slot = argv[++i];
  }
  if (!module || !SameText(*module, "VXCSD.DLL")) return fail("-M VXCSD.DLL missing");
  if (!loader || !SameText(*loader, "VXCVLL.DLL")) return fail("-L VXCVLL.DLL missing");
  if (!mode || *mode != "export") return fail("-m export missing");
  if (!param || param->empty()) return fail("-p <parameter file> missing");
  if (!list || list->empty()) return fail("-l <list file> missing");
  if (paths.size() != 2) {
    return fail("expected a drawing and a CSD file after the options, got " +
                std::to_string(paths.size()) + " path(s)");
  }
  if (paths[0].empty() || paths[1].empty()) return fail("empty drawing or CSD path");
  return ExportCommand{*param, *list, paths[0], paths[1]};
}

int RunExport(const ExportCommand& command, std::string* message) {
  DrawingHeader header = ReadDrawingHeader(command.drawing_path);
  if (header.status != HeaderStatus::Ok) {
    *message = "drawing " + command.drawing_path + " " + HeaderStatusText(header.status);
    return kExitBadInput;
  }
  ExportParams params = LoadExportParams(command.param_path);
  CsdDrawing drawing;
  drawing.name = FileNameOf(command.drawing_path);
  drawing.source = command.drawing_path;
  drawing.version = header.version;
  drawing.params = params.source;
  drawing.style = params.style;

  OutputFile out;
  if (!out.Open(command.csd_path, message)) return kExitWriteFailed;
  out.Text(FormatCsd(drawing));
  if (!out.Commit(message)) return kExitWriteFailed;
  return kExitOk;
}

}  // namespace standin
