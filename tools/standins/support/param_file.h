#pragma once
// Reads the pen colours, pen widths and dash patterns from the "Export" section of the conversion
// parameter file (Shift-JIS text on every platform).
#include <string>

#include "support/drawing_style.h"

namespace standin {

enum class ParamSource {
  File,      // every pen and line type came from the file
  Partial,   // some did; the rest kept the built-in defaults
  Defaults,  // none did (no file, no export section, no tables)
};

const char* ParamSourceName(ParamSource source);

struct ExportParams {
  DrawingStyle style;
  ParamSource source = ParamSource::Defaults;
};

// Reads the tables from the file's bytes. Anything missing or malformed keeps its default.
ExportParams ParseExportParams(const std::string& bytes);

// The same from a file; a file that cannot be read gives the defaults.
ExportParams LoadExportParams(const std::string& path);

}  // namespace standin
