#pragma once
// The intermediate CSD file between the two stand-ins: a small line-oriented text format.
//
//   VXCSD-STANDIN 1
//   drawing <file name of the drawing>
//   source <drawing path as the export tool was given it>
//   version <header version byte, 4 to 11>
//   params <file|partial|defaults>
//   pen <1..12> <red> <green> <blue> <width in mm>      (twelve lines)
//   ltype <1..5> <id> <length>...                        (five lines, 2/4/6/2/2 lengths in mm)
//   end
//
// Lines end in CR LF (a reader also takes LF). Text values keep their bytes, except that bytes
// below 0x20, 0x7F and '%' are written as %XX, so a name can never break a line.
#include <optional>
#include <string>

#include "support/drawing_style.h"
#include "support/param_file.h"

namespace standin {

inline constexpr const char* kCsdMagic = "VXCSD-STANDIN 1";

struct CsdDrawing {
  std::string name;
  std::string source;
  int version = 0;
  ParamSource params = ParamSource::Defaults;
  DrawingStyle style;
};

std::string FormatCsd(const CsdDrawing& drawing);

// Nothing is guessed: a file that is not complete and well-formed is refused, with the reason.
std::optional<CsdDrawing> ParseCsd(const std::string& bytes, std::string* error);

std::string EscapeText(const std::string& text);
std::optional<std::string> UnescapeText(const std::string& text);

}  // namespace standin
