#include "support/output_tool.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "support/byte_sink.h"
#include "support/csd_file.h"
#include "support/exit_codes.h"
#include "support/pdf_writer.h"
#include "support/scene.h"
#include "support/system.h"

namespace standin {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::optional<int> Integer(const std::string& text, int low, int high) {
  std::size_t i = 0;
  bool negative = false;
  if (!text.empty() && text[0] == '-') {
    negative = true;
    i = 1;
  }
  if (i == text.size() || text.size() - i > 10) return std::nullopt;
  long long v = 0;
  for (; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    v = v * 10 + (text[i] - '0');
  }
  if (negative) v = -v;
  if (v < low || v > high) return std::nullopt;
  return static_cast<int>(v);
}

// "x" then width and height as eight hexadecimal digits each (32-bit two's complement).
std::optional<PageSize> HexSize(const std::string& text, std::string* why) {
  if (text.size() != 17 || (text[0] != 'x' && text[0] != 'X')) {
    *why = "expected x and sixteen hexadecimal digits";
    return std::nullopt;
  }
  std::int64_t parts[2];
  for (int p = 0; p < 2; ++p) {
    std::uint32_t v = 0;
    for (int i = 0; i < 8; ++i) {
      char c = text[1 + p * 8 + i];
      int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
              : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
              : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                          : -1;
      if (d < 0) {
        *why = "expected x and sixteen hexadecimal digits";
        return std::nullopt;
      }
      v = v * 16 + static_cast<std::uint32_t>(d);
    }
    parts[p] = static_cast<std::int32_t>(v);
  }
  if (parts[0] < 1 || parts[1] < 1 || parts[0] > kMaxPageMm || parts[1] > kMaxPageMm) {
    *why = "page size " + std::to_string(parts[0]) + " x " + std::to_string(parts[1]) +
           " mm is out of range (1 to " + std::to_string(kMaxPageMm) + " mm)";
    return std::nullopt;
  }
  return PageSize{static_cast<int>(parts[0]), static_cast<int>(parts[1])};
}

bool ReadWholeFile(const std::string& path, std::size_t limit, std::string* bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  bytes->clear();
  char buffer[8192];
  std::size_t n;
  bool ok = true;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    if (bytes->size() + n > limit) {
      ok = false;
      break;
    }
    bytes->append(buffer, n);
  }
  if (std::ferror(file)) ok = false;
  std::fclose(file);
  return ok;
}

enum class Applies { Both, PdfOnly, ImageOnly };

}  // namespace

std::optional<OutputCommand> ParseOutputCommand(const std::vector<std::string>& argv,
                                                std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error != nullptr) *error = why;
    return std::nullopt;
  };
  if (argv.size() < 2 || argv[1].empty()) return fail("no input file");
  OutputCommand cmd;
  cmd.input_path = argv[1];
  std::optional<std::string> pdf_path, image_path;
  bool have_type = false;
  std::map<std::string, Applies> seen;

  for (std::size_t i = 2; i < argv.size(); ++i) {
    const std::string& token = argv[i];
    if (token.empty()) continue;  // an absent optional token
    if (token[0] != '/') return fail("unexpected argument \"" + token + "\"");
    std::size_t colon = token.find(':');
    std::string name = Lower(token.substr(1, colon == std::string::npos ? colon : colon - 1));
    std::string value = colon == std::string::npos ? std::string() : token.substr(colon + 1);
    bool has_value = colon != std::string::npos;
    if (seen.count(name) != 0) return fail("token /" + name + " given twice");
    Applies applies = Applies::Both;
    auto number = [&](int low, int high) -> std::optional<int> {
      auto v = Integer(value, low, high);
      return v;
    };
    auto bad_value = [&]() { return fail("bad value in \"" + token + "\""); };

    if (name == "s" && !has_value) {
      // silent: the stand-in never shows anything anyway
    } else if (name == "pdfpath" && has_value && !value.empty()) {
      pdf_path = value;
      applies = Applies::PdfOnly;
    } else if (name == "imagepath" && has_value && !value.empty()) {
      image_path = value;
      applies = Applies::ImageOnly;
    } else if (name == "c" && has_value) {
      auto v = number(0, 1);
      if (!v) return bad_value();
      cmd.monochrome = *v == 1;
    } else if (name == "iglwidth" && has_value) {
      auto v = number(0, 1);
      if (!v) return bad_value();
      cmd.ignore_widths = *v == 1;
    } else if (name == "fontembed" && has_value) {
      auto v = number(0, 1);
      if (!v) return bad_value();
      cmd.font_embed = *v;
    } else if (name == "vf" && has_value) {
      auto v = number(0, 1);
      if (!v) return bad_value();
      cmd.vector_font = *v;
    } else if (name == "pdfvec" && has_value) {
      auto v = number(0, 1);
      if (!v) return bad_value();
      cmd.pdf_vector = *v;
    } else if ((name == "pdfps" || name == "imageps") && has_value) {
      std::string why;
      auto size = HexSize(value, &why);
      if (!size) return fail("bad size in \"" + token + "\": " + why);
      cmd.size = size;
      applies = name == "pdfps" ? Applies::PdfOnly : Applies::ImageOnly;
    } else if (name == "imagedpi" && has_value) {
      auto v = number(1, kMaxDpi);
      if (!v)
        return fail("bad resolution in \"" + token + "\" (1 to " + std::to_string(kMaxDpi) +
                    " dots per inch)");
      cmd.dpi = *v;
      applies = Applies::ImageOnly;
    } else if (name == "imagetype" && has_value) {
      auto v = number(0, 3);
      if (!v) return fail("bad image type in \"" + token + "\" (0 BMP, 1 GIF, 2 JPEG, 3 TIFF)");
      cmd.format = static_cast<ImageFormat>(*v);
      have_type = true;
      applies = Applies::ImageOnly;
    } else if (name == "ellipsediv" && has_value) {
      char* end = nullptr;
      double v = std::strtod(value.c_str(), &end);
      if (end == value.c_str() || *end != '\0' || !std::isfinite(v) || v <= 0) return bad_value();
      cmd.ellipse_divisions = v;
    } else if (name == "vxapppath" && has_value && !value.empty()) {
      cmd.utility_folder = value;
    } else if (name == "pdfconnection" && has_value) {
      if (!number(0, 1)) return bad_value();
      cmd.combined = true;
      applies = Applies::PdfOnly;
    } else if (name == "unitnum" && has_value) {
      auto v = number(1, static_cast<int>(kMaxListEntries));
      if (!v) return bad_value();
      cmd.unit_count = *v;
      cmd.combined = true;
      applies = Applies::PdfOnly;
    } else {
      return fail("unknown token \"" + token + "\"");
    }
    seen[name] = applies;
  }

  if (pdf_path && image_path) return fail("both /pdfpath and /Imagepath given");
  if (!pdf_path && !image_path) return fail("no output: /pdfpath:<file> or /Imagepath:<file>");
  cmd.kind = pdf_path ? OutputKind::Pdf : OutputKind::Image;
  cmd.output_path = pdf_path ? *pdf_path : *image_path;
  for (const auto& [name, applies] : seen) {
    if (cmd.kind == OutputKind::Pdf && applies == Applies::ImageOnly) {
      return fail("token /" + name + " does not apply to PDF output");
    }
    if (cmd.kind == OutputKind::Image && applies == Applies::PdfOnly) {
      return fail("token /" + name + " does not apply to image output");
    }
  }
  if (cmd.kind == OutputKind::Image && !have_type) return fail("/ImageType:<0-3> missing");
  return cmd;
}

namespace {

// A CSD file is a few hundred bytes; the cap keeps a wrong path (a huge file) from eating memory.
constexpr std::size_t kMaxCsdBytes = 1 << 20;
constexpr std::size_t kMaxListBytes = 16 << 20;

bool LoadCsd(const std::string& path, CsdDrawing* drawing, std::string* message) {
  std::string bytes;
  if (!ReadWholeFile(path, kMaxCsdBytes, &bytes)) {
    *message = "cannot read CSD file " + path;
    return false;
  }
  std::string why;
  auto parsed = ParseCsd(bytes, &why);
  if (!parsed) {
    *message = "CSD file " + path + ": " + why;
    return false;
  }
  *drawing = *parsed;
  return true;
}

bool LoadList(const OutputCommand& cmd, std::vector<std::string>* paths, std::string* message) {
  std::string bytes;
  if (!ReadWholeFile(cmd.input_path, kMaxListBytes, &bytes)) {
    *message = "cannot read list file " + cmd.input_path;
    return false;
  }
  std::string why;
  if (!ParseListFile(bytes, paths, &why)) {
    *message = "list file " + cmd.input_path + ": " + why;
    return false;
  }
  if (cmd.unit_count && static_cast<std::size_t>(*cmd.unit_count) != paths->size()) {
    *message = "/UnitNum:" + std::to_string(*cmd.unit_count) + " but the list file names " +
               std::to_string(paths->size()) + " CSD file(s)";
    return false;
  }
  return true;
}

}  // namespace

int RunOutput(const OutputCommand& cmd, std::string* message) {
  if (cmd.utility_folder && !IsDirectory(*cmd.utility_folder)) {
    *message = "utility folder " + *cmd.utility_folder + " does not exist";
    return kExitBadInput;
  }
  std::vector<std::string> csd_paths;
  if (cmd.combined) {
    if (!LoadList(cmd, &csd_paths, message)) return kExitBadInput;
  } else {
    csd_paths.push_back(cmd.input_path);
  }
  std::vector<CsdDrawing> drawings(csd_paths.size());
  for (std::size_t i = 0; i < csd_paths.size(); ++i) {
    if (!LoadCsd(csd_paths[i], &drawings[i], message)) return kExitBadInput;
  }

  const PageSize page = cmd.size.value_or(PageSize{});
  SceneOptions options;
  options.monochrome = cmd.monochrome;
  options.ignore_widths = cmd.ignore_widths;

  OutputFile out;
  if (cmd.kind == OutputKind::Pdf) {
    std::vector<Scene> scenes;
    for (const CsdDrawing& d : drawings) {
      scenes.push_back(BuildScene(d, page.width_mm, page.height_mm, options));
    }
    if (!out.Open(cmd.output_path, message)) return kExitWriteFailed;
    if (!WritePdf(scenes, NarrowToUtf16(drawings[0].name), out)) {
      *message = "cannot write " + cmd.output_path;
      return kExitWriteFailed;
    }
  } else {
    Scene scene = BuildScene(drawings[0], page.width_mm, page.height_mm, options);
    SceneRaster raster(scene, cmd.dpi);
    if (auto problem =
            ImageSizeProblem(cmd.format, raster.Width(), raster.Height(), cmd.monochrome)) {
      *message = *problem;
      return kExitWriteFailed;
    }
    ImageSettings settings;
    settings.dpi = cmd.dpi;
    settings.monochrome = cmd.monochrome;
    if (!out.Open(cmd.output_path, message)) return kExitWriteFailed;
    if (!WriteImage(cmd.format, raster, settings, out)) {
      *message = "cannot write " + cmd.output_path;
      return kExitWriteFailed;
    }
  }
  if (!out.Commit(message)) return kExitWriteFailed;
  return kExitOk;
}

}  // namespace standin
