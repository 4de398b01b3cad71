#include "core/convert/command_lines.h"

#include <cstdint>
#include <cstdio>
#include <optional>

#include "core/failure.h"
#include "core/params/param_file.h"
#include "core/text/command_line.h"

namespace plotxfer {

namespace {

// Appends tokens one space apart; an absent token still takes its space. The first problem
// found (a path too long, text that cannot be quoted, a line too long) refuses the whole line.
class LineBuilder {
 public:
  explicit LineBuilder(text::CodePage cp) : cp_(cp) {}

  void Plain(std::string_view token) { Append(token); }
  void Absent() { Append({}); }

  void Quoted(std::string_view what, std::string_view token) {
    if (std::string why; refusal_.empty() && !text::Quotable(token, cp_, &why)) {
      refusal_ = std::string(what) + " cannot be quoted on a command line: " + why;
    }
    std::string quoted;
    quoted.reserve(token.size() + 2);
    quoted += '"';
    quoted += token;
    quoted += '"';
    Append(quoted);
  }

  void Limit(std::string_view what, std::string_view path, std::size_t max) {
    if (refusal_.empty() && path.size() > max) {
      refusal_ = std::string(what) + " is longer than " + std::to_string(max) + " bytes";
    }
  }

  std::optional<ToolCommand> Finish(std::string program, std::string* why) {
    if (refusal_.empty() && line_.size() > kMaxCommandLine) {
      refusal_ = "the command line is longer than " + std::to_string(kMaxCommandLine) + " bytes";
    }
    if (!refusal_.empty()) {
      Fail(why, std::move(refusal_));
      return std::nullopt;
    }
    return ToolCommand{std::move(program), std::move(line_)};
  }

 private:
  void Append(std::string_view token) {
    if (!first_) {
      line_ += ' ';
    }
    first_ = false;
    line_ += token;
  }

  text::CodePage cp_;
  std::string line_;
  std::string refusal_;  // the first problem found
  bool first_ = true;
};

std::string Decimal(const char* prefix, int value) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%d", prefix, value);
  return buf;
}

// "/pdfps:" or "/Imageps:" + x + width and height as eight lower-case hex digits each;
// a negative size is written as its 32-bit two's complement.
std::string SizeToken(const char* prefix, const std::optional<PageSize>& size) {
  if (!size) {
    return {};
  }
  char buf[48];
  std::snprintf(buf, sizeof buf, "%sx%08x%08x", prefix,
                static_cast<unsigned>(static_cast<std::uint32_t>(size->width_mm)),
                static_cast<unsigned>(static_cast<std::uint32_t>(size->height_mm)));
  return buf;
}

std::string EllipseDivToken() {
  // The tool takes the division as a fixed-width number: "/EllipseDiv:  5.0".
  char buf[48];
  std::snprintf(buf, sizeof buf, "/EllipseDiv:%5.1f", 5.000001);
  return buf;
}

std::string PdfVecToken(int char_vector_font) {
  return Decimal("/PDFVec:", char_vector_font == 2 ? 1 : 0);
}

// The PDF line up to and including "/VXAppPath:%s"; the combined line goes on from there.
LineBuilder PdfLine(const CommandContext& ctx, const ToolPaths& paths, std::string_view input_what,
                    std::string_view input, std::string_view output) {
  const ConversionOptions& o = ctx.options;
  LineBuilder line(ctx.code_page);
  line.Limit("the application folder", paths.app_folder, kMaxFilePath);
  line.Limit("the output utility path", paths.output_utility, kMaxUtilityPath);
  line.Limit("the utility folder", paths.utility_folder, kMaxUtilityPath);
  line.Limit(input_what, input, kMaxFilePath);
  line.Limit("the output path", output, kMaxFilePath);
  line.Quoted("the output utility path", paths.output_utility);
  line.Quoted(input_what, input);
  line.Plain("/s");
  line.Quoted("the output path", std::string("/pdfpath:").append(output));
  line.Plain(Decimal("/c:", o.BAndWFlg));
  line.Plain("/IgLWidth:0");
  line.Plain(Decimal("/FontEmbed:", 0));
  line.Plain(Decimal("/vf:", o.VFontFlg));
  line.Plain(SizeToken("/pdfps:", PdfPageSize(o)));
  line.Quoted("the ellipse division", EllipseDivToken());
  line.Quoted("the vector-font token", PdfVecToken(ctx.char_vector_font));
  line.Quoted("the utility folder", std::string("/VXAppPath:").append(paths.utility_folder));
  return line;
}

}  // namespace

ToolPaths ToolPathsFor(std::string_view app_folder, text::PathStyle style, text::CodePage cp) {
  ToolPaths p;
  p.app_folder = text::WithTrailingSeparator(app_folder, style, cp);
  const char sep = text::PathSeparator(style);
  p.export_tool = p.app_folder + kExportToolName;
  p.param_file = p.app_folder + params::kParamFileName;
  p.export_list = p.app_folder + kExportListName;
  p.utility_folder = p.app_folder + kUtilityFolderName;
  p.output_utility = p.utility_folder + sep + kOutputUtilityName;
  p.intermediate_csd = p.utility_folder + sep + kIntermediateCsdName;
  return p;
}

const char* OutputExtension(const ConversionOptions& options) {
  if (options.PdfOrImage == 0) {
    return ".pdf";
  }
  switch (options.ImageType) {
    case 1:
      return ".gif";
    case 2:
      return ".jpg";
    case 3:
      return ".tif";
    default:
      return ".bmp";
  }
}

std::string MakeOutputPath(const CommandContext& ctx, std::string_view drawing,
                           std::string_view ext) {
  std::string out;
  if (ctx.options.FolderType == 1) {
    out = text::WithTrailingSeparator(ctx.options.SelFolder, ctx.style, ctx.code_page);
    out += text::NameWithoutExtension(drawing, ctx.style, ctx.code_page);
  } else {
    out = text::PathWithoutExtension(drawing, ctx.style, ctx.code_page);
  }
  out += ext;
  return out;
}

std::optional<ToolCommand> BuildExportCommandLine(const CommandContext& ctx,
                                                  std::string_view app_folder,
                                                  std::string_view drawing, std::string_view csd,
                                                  std::string* why) {
  const ToolPaths paths = ToolPathsFor(app_folder, ctx.style, ctx.code_page);
  LineBuilder line(ctx.code_page);
  line.Limit("the application folder", paths.app_folder, kMaxFilePath);
  line.Limit("the export tool path", paths.export_tool, kMaxFilePath);
  line.Limit("the parameter file path", paths.param_file, kMaxFilePath);
  line.Limit("the export list path", paths.export_list, kMaxFilePath);
  line.Limit("the drawing path", drawing, kMaxFilePath);
  line.Limit("the CSD path", csd, kMaxFilePath);
  line.Quoted("the export tool path", paths.export_tool);
  line.Plain("-M VXCSD.DLL -L VXCVLL.DLL");
  line.Plain("-m export -p");
  line.Quoted("the parameter file path", paths.param_file);
  line.Plain("-l");
  line.Quoted("the export list path", paths.export_list);
  line.Quoted("the drawing path", drawing);
  line.Quoted("the CSD path", csd);
  return line.Finish(paths.export_tool, why);
}

std::optional<ToolCommand> BuildPdfCommandLine(const CommandContext& ctx,
                                               std::string_view app_folder, std::string_view input,
                                               std::string_view output, std::string* why) {
  const ToolPaths paths = ToolPathsFor(app_folder, ctx.style, ctx.code_page);
  return PdfLine(ctx, paths, "the CSD path", input, output).Finish(paths.output_utility, why);
}

std::optional<ToolCommand> BuildCombinedPdfCommandLine(const CommandContext& ctx,
                                                       std::string_view app_folder,
                                                       std::string_view list_file,
                                                       std::string_view output, int drawing_count,
                                                       std::string* why) {
  const ToolPaths paths = ToolPathsFor(app_folder, ctx.style, ctx.code_page);
  LineBuilder line = PdfLine(ctx, paths, "the list file path", list_file, output);
  line.Quoted("the connection token", Decimal("/PDFConnection:", drawing_count > 1 ? 1 : 0));
  line.Quoted("the unit count", Decimal("/UnitNum:", drawing_count));
  return line.Finish(paths.output_utility, why);
}

std::optional<ToolCommand> BuildImageCommandLine(const CommandContext& ctx,
                                                 std::string_view app_folder, std::string_view csd,
                                                 std::string_view output, std::string* why) {
  const ConversionOptions& o = ctx.options;
  const ToolPaths paths = ToolPathsFor(app_folder, ctx.style, ctx.code_page);
  LineBuilder line(ctx.code_page);
  line.Limit("the application folder", paths.app_folder, kMaxFilePath);
  line.Limit("the output utility path", paths.output_utility, kMaxUtilityPath);
  line.Limit("the utility folder", paths.utility_folder, kMaxUtilityPath);
  line.Limit("the CSD path", csd, kMaxFilePath);
  line.Limit("the output path", output, kMaxFilePath);
  line.Quoted("the output utility path", paths.output_utility);
  line.Quoted("the CSD path", csd);
  line.Plain("/s");
  line.Quoted("the output path", std::string("/Imagepath:").append(output));
  line.Plain(Decimal("/c:", o.BAndWFlg));
  line.Plain(Decimal("/ImageType:", o.ImageType));
  line.Plain(Decimal("/vf:", o.VFontFlg));
  line.Plain(SizeToken("/Imageps:", ImagePageSize(o)));
  if (o.OutXdpi != o.BaseXdpi) {
    line.Plain(Decimal("/ImageDPI:", o.OutXdpi));
  } else {
    line.Absent();
  }
  line.Quoted("the vector-font token", PdfVecToken(ctx.char_vector_font));
  line.Quoted("the utility folder", std::string("/VXAppPath:").append(paths.utility_folder));
  return line.Finish(paths.output_utility, why);
}

}  // namespace plotxfer
