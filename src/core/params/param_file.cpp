#include "core/params/param_file.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/failure.h"
#include "core/params/number_text.h"
#include "core/params/param_scan.h"
#include "core/text/ascii.h"

namespace plotxfer::params {

namespace {

constexpr int kFallbackDpi = 96;

// The values pass through single precision before formatting, so that 0.15 is written as 0.2.
double Single(double value) {
  // Out-of-range conversion to float is undefined; lengths are checked on reading, this only
  // keeps a value set by other means from reaching it.
  if (!(std::fabs(value) <= static_cast<double>(FLT_MAX))) {
    value = std::isnan(value) ? 0.0 : std::copysign(static_cast<double>(FLT_MAX), value);
  }
  return static_cast<double>(static_cast<float>(value));
}

bool RewriteValueLine(ParamLines& lines, std::size_t index, std::string_view key, const char* text,
                      std::string* reason) {
  const std::string_view line = lines.Line(index);
  const std::size_t keep = FindMarker(line, key);
  return lines.Rewrite(index, keep, text) ||
         Fail(reason, "line " + std::to_string(index + 1) + " would exceed " +
                          std::to_string(ParamLines::kMaxSlotBytes) + " bytes");
}

std::string FormatSegments(LineType type, const LineTypePattern& p) {
  char text[512];
  switch (type) {
    case kChainLine:
      std::snprintf(text, sizeof text, "Segments = \"%.1f %.1f %.1f %.1f\";\n", Single(p.dash1),
                    Single(p.gap1), Single(p.dash2), Single(p.gap2));
      break;
    case kDoubleChainLine:
      std::snprintf(text, sizeof text, "Segments = \"%.1f %.1f %.1f %.1f %.1f %.1f\";\n",
                    Single(p.dash1), Single(p.gap1), Single(p.dash2), Single(p.gap2),
                    Single(p.dash3), Single(p.gap3));
      break;
    default:
      std::snprintf(text, sizeof text, "Segments = \"%.1f %.1f\";\n", Single(p.dash1),
                    Single(p.gap1));
      break;
  }
  return text;
}

}  // namespace

std::string ParamFilePath(const std::string& app_folder) {
  return app_folder + kParamFileName;
}

std::string TemplatePath(const std::string& app_folder) {
  return app_folder + "vxcsd.std";
}

double PixelsToMillimetres(std::int32_t pixels, int dpi) {
  if (dpi <= 0) {
    dpi = kFallbackDpi;
  }
  // Truncated in double: a cast to int would overflow for absurd widths.
  return std::trunc(static_cast<double>(pixels) * 25.4 / dpi * 100.0) / 100.0;
}

bool RewriteParamTables(ParamLines& lines, const ParamTables& tables, platform::Screen& screen,
                        std::string* reason) {
  // All three tables are found in the file as read: on a damaged file a rewritten line could
  // otherwise move where the next table is found.
  ValueLines colours{};
  ValueLines widths{};
  ValueLines patterns{};
  if (!ScanParamTable(lines, ParamTableKind::Color, colours, reason) ||
      !ScanParamTable(lines, ParamTableKind::Width, widths, reason) ||
      !ScanParamTable(lines, ParamTableKind::Ltype, patterns, reason)) {
    return false;
  }

  for (std::size_t pen = 0; pen < kPenCount; ++pen) {
    const std::int32_t colour = tables.PenPalette[pen];
    char text[64];
    std::snprintf(text, sizeof text, "RGB = \"%d %d %d\";\n", RedOf(colour), GreenOf(colour),
                  BlueOf(colour));
    if (!RewriteValueLine(lines, colours[pen], "RGB", text, reason)) {
      return false;
    }
  }

  for (std::size_t pen = 0; pen < kPenCount; ++pen) {
    const double millimetres =
        PixelsToMillimetres(tables.PenDisplayWidths[pen], screen.HorizontalDpi());
    char text[128];
    std::snprintf(text, sizeof text, "Value = %f;\n", Single(millimetres));
    if (!RewriteValueLine(lines, widths[pen], "Value", text, reason)) {
      return false;
    }
  }

  for (std::size_t type = 0; type < kLineTypeCount; ++type) {
    const std::string text =
        FormatSegments(static_cast<LineType>(type), tables.LineTypePatterns[type]);
    if (!RewriteValueLine(lines, patterns[type], "Segments", text.c_str(), reason)) {
      return false;
    }
  }
  return true;
}

bool WriteParamFile(const ConversionOptions& options, ParamTables& tables,
                    const ParamServices& services, std::string* reason) {
  RefreshParamTables(options, services.profile, tables);
  const std::unique_ptr<ParamLines> lines = ParamLines::Allocate();
  if (!lines) {
    return Fail(reason, "no memory for the parameter file");
  }
  const std::string path = ParamFilePath(options.AppFolder);
  if (const int error = LoadParamLines(path, *lines); error != 0) {
    return Fail(reason, "cannot read " + path + ": " + std::strerror(error));
  }
  std::string why;
  if (!RewriteParamTables(*lines, tables, services.screen, &why)) {
    return Fail(reason, path + ": " + why);
  }
  // The new file is put in place by a rename, which would go through where the file itself is
  // closed to writing (read-only, or held by another program); such a file is left alone.
  if (std::FILE* probe = std::fopen(path.c_str(), "r+b")) {
    std::fclose(probe);
  } else {
    return Fail(reason, "cannot open " + path + " for writing");
  }
  if (!services.replace_file || !services.replace_file(path, lines->ToFileBytes(), &why)) {
    return Fail(reason, services.replace_file ? why : "no way to write " + path);
  }
  return true;
}

bool LoadLineTypeDefaults(const std::string& app_folder, ParamTables& tables, std::string* reason) {
  const std::unique_ptr<ParamLines> lines = ParamLines::Allocate();
  if (!lines) {
    return Fail(reason, "no memory for the template");
  }
  const std::string path = TemplatePath(app_folder);
  if (const int error = LoadParamLines(path, *lines); error != 0) {
    return Fail(reason, "cannot read " + path + ": " + std::strerror(error));
  }
  ValueLines at{};
  std::string why;
  if (!ScanParamTable(*lines, ParamTableKind::Ltype, at, &why)) {
    return Fail(reason, path + ": " + why);
  }
  for (std::size_t type = 0; type < kLineTypeCount; ++type) {
    ParseSegments(static_cast<LineType>(type), lines->Line(at[type]),
                  tables.LineTypeDefaults[type]);
  }
  return true;
}

void ParseSegments(LineType type, std::string_view line, LineTypePattern& pattern) {
  pattern = LineTypePattern{};
  const std::size_t open = line.find('"');
  if (open == std::string_view::npos) {
    return;
  }
  std::string_view rest = line.substr(open + 1);
  // The list ends at the closing quote; without one, at the line end.
  rest = rest.substr(0, std::min(rest.find('"'), rest.find('\n')));

  double* const order[] = {&pattern.dash1, &pattern.gap1,  &pattern.dash2,
                           &pattern.gap2,  &pattern.dash3, &pattern.gap3};
  const std::size_t wanted = type == kChainLine ? 4 : type == kDoubleChainLine ? 6 : 2;
  std::size_t pos = 0;
  for (std::size_t n = 0; n < wanted; ++n) {
    while (pos < rest.size() && text::IsBlank(rest[pos])) {
      ++pos;
    }
    if (pos >= rest.size()) {
      return;  // the remaining lengths stay 0
    }
    std::size_t end = pos;
    while (end < rest.size() && !text::IsBlank(rest[end])) {
      ++end;
    }
    *order[n] = ParseLength(rest.substr(pos, end - pos)).value_or(0.0);
    pos = end;
  }
}

}  // namespace plotxfer::params
