#pragma once
// The parameter file the export tool reads (vxcsd.cprm) and its template (vxcsd.std): the
// three tables of the export section are kept in step with the drafting system's display.
#include <functional>
#include <string>
#include <string_view>

#include "core/params/display_settings.h"
#include "core/params/param_lines.h"
#include "platform/profile_reader.h"
#include "platform/screen.h"

namespace plotxfer::params {

// Puts bytes in place of the whole file at path so that a reader only ever sees the old file or
// the new one; false (with *error when given) leaves the old file whole.
using FileReplacer =
    std::function<bool(const std::string& path, std::string_view bytes, std::string* error)>;

// What the parameter file's rewrite needs from the system around it.
struct ParamServices {
  platform::ProfileReader& profile;
  platform::Screen& screen;
  FileReplacer replace_file;
};

std::string ParamFilePath(const std::string& app_folder);  // AppFolder + "vxcsd.cprm"
std::string TemplatePath(const std::string& app_folder);   // AppFolder + "vxcsd.std"

// A display width in pixels as millimetres at dpi pixels per inch (96 when dpi <= 0),
// cut to hundredths towards zero: 1 pixel at 96 is 0.26, at 120 it is 0.21.
double PixelsToMillimetres(std::int32_t pixels, int dpi);

// Replaces the value lines of the "Color", "Width" and "Ltype" tables with the pen colours,
// the pen widths in millimetres (the screen asked once per pen) and the dash patterns.
// Fails when a table, item, name or value line is missing or a new line would not fit in its
// slot. The lines may then be half rewritten: they must not be written out.
bool RewriteParamTables(ParamLines& lines, const ParamTables& tables, platform::Screen& screen,
                        std::string* reason = nullptr);

// The start of every run: refreshes the tables from the settings file, reads the parameter
// file of options.AppFolder, rewrites its tables and replaces the file. A failure leaves the
// file as it was.
bool WriteParamFile(const ConversionOptions& options, ParamTables& tables,
                    const ParamServices& services, std::string* reason = nullptr);

// Once per program start: the template's "Ltype" table becomes tables.LineTypeDefaults. On any
// failure the defaults stay as they were.
bool LoadLineTypeDefaults(const std::string& app_folder, ParamTables& tables,
                          std::string* reason = nullptr);

// Fills pattern (all six lengths, zero first) from a "Segments" line: the numbers between its
// double quotes, as many as the line type uses; a missing number ends the parse, and text that
// is no number counts as 0.
void ParseSegments(LineType type, std::string_view line, LineTypePattern& pattern);

}  // namespace plotxfer::params
