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

// Whether the report may be written at report: not where it is one of files (compared as files:
// another spelling, letter case or link of the same file counts), nor in forbidden_folder (the
// output utility's folder).
bool ReportPathFree(const std::string& report, const std::vector<RunFile>& files,
                    const std::string& forbidden_folder, platform::InputFiles& system,
                    text::PathStyle style, text::CodePage cp, std::string* why);

// Whether a report can be written at report: not where its folder is missing or no file can be
// made in it (and the report itself, if it exists, cannot be opened for writing). Leaves no file
// behind.
bool ReportFolderWritable(const std::string& report, platform::InputFiles& system,
                          text::PathStyle style, text::CodePage cp, std::string* why);

}  // namespace plotxfer::cli
