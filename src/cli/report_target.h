#pragma once
// Where --report may write: never over a file the run reads or writes, and only where a file can
// be made, both known before the first drawing.
#include <string>
#include <vector>

#include "platform/input_files.h"
#include "core/text/codepage.h"
#include "core/text/path.h"

namespace plotxfer::cli {

// A file the run needs, and what it is to the run ("the drawing of row 3").
struct RunFile {
  std::string path;
  std::string role;
};

// Why the report may not be written at report: it is one of files (compared as files: another
// spelling, letter case or link of the same file counts), or it lies in forbidden_folder (the
// output utility's folder). Empty when it may.
std::string ReportPathRefusal(const std::string& report, const std::vector<RunFile>& files,
                              const std::string& forbidden_folder, platform::InputFiles& system,
                              text::PathStyle style, text::CodePage cp);

// Why no report can be written at report: its folder is missing or no file can be made in it
// (and the report itself, if it exists, cannot be opened for writing). Empty when one can;
// leaves no file behind.
std::string ReportFolderRefusal(const std::string& report, platform::InputFiles& system,
                                text::PathStyle style, text::CodePage cp);

}  // namespace plotxfer::cli
