#include <CLI/CLI.hpp>

#include <cctype>
#include <charconv>

#include "cli/batch_request.h"
#include "core/text/path.h"
#include "platform/codepage.h"
#include "platform/path_style.h"
#include "plotxfer_version.h"

namespace plotxfer::cli {

namespace {

constexpr int kMinCustomMm = 10;
constexpr int kMaxCustomMm = 100000;

std::string Upper(std::string s) {
  for (char& c : s) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return s;
}

bool ParseMm(std::string_view text, int* mm) {
  const char* end = text.data() + text.size();
  const auto [p, ec] = std::from_chars(text.data(), end, *mm);
  return ec == std::errc() && p == end;
}

// The paper names of the sheet; "A4P" stands for the A4 portrait row.
int PaperNumber(const std::string& name) {
  const std::string up = Upper(name);
  if (up == "A4P") {
    return 5;
  }
  for (std::size_t i = 0; i < PaperSizeTable.size(); ++i) {
    if (i != 5 && up == PaperSizeTable[i].name) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace

bool ApplyPaper(const std::string& value, ConversionOptions& o, std::string* why) {
  const bool image = o.PdfOrImage != 0;
  int& size_type = image ? o.ImgSizeType : o.PdfSizeType;
  int& paper = image ? o.ImgPaperType : o.PdfPaperType;
  int& custom_x = image ? o.ImgOptXSize : o.PdfOptXSize;
  int& custom_y = image ? o.ImgOptYSize : o.PdfOptYSize;

  if (Upper(value) == "DRAWING") {
    size_type = 0;
    return true;
  }
  if (const int number = PaperNumber(value); number >= 0) {
    size_type = 1;
    paper = number;
    return true;
  }
  const auto x = value.find_first_of("xX");
  int w = 0;
  int h = 0;
  if (x == std::string::npos || !ParseMm(std::string_view(value).substr(0, x), &w) ||
      !ParseMm(std::string_view(value).substr(x + 1), &h)) {
    *why = "expected drawing, A0, A1, A2, A3, A4, A4P, B0, B1, B2, B3, B4 or WIDTHxHEIGHT in mm";
    return false;
  }
  if (w < kMinCustomMm || w > kMaxCustomMm || h < kMinCustomMm || h > kMaxCustomMm) {
    *why = "width and height must each be 10 to 100000 mm";
    return false;
  }
  size_type = 1;
  paper = kCustomPaper;
  custom_x = w;
  custom_y = h;
  return true;
}

ParseOutcome ParseBatchArguments(int argc, const char* const* argv, const BatchDefaults& defaults,
                                 std::FILE* out, std::FILE* err) {
  ParseOutcome outcome;
  BatchRequest& req = outcome.request;
  req.options = defaults.options;

  CLI::App app{
      "Converts drawings (.VX) into PDF files or images with the drafting system's export tool "
      "VXCVPX.exe and output utility RSTKIT/RASTRON.EXE.\n"
      "Prints one line per drawing: its number, its path and its status.\n"
      "Exit status: 0 every drawing converted, 1 any drawing failed, 2 wrong usage.",
      "plotxfer-batch"};
  app.set_version_flag("--version", "plotxfer-batch " PLOTXFER_VERSION);
  app.get_formatter()->column_width(28);

  // The validators' own descriptions would repeat the type names in the help.
  const auto quiet = [](CLI::Validator v) { return v.description(""); };

  std::string app_folder;
  app.add_option("--app-folder", app_folder,
                 "folder of the drafting system with VXCVPX.exe, vxcsd.cprm and RSTKIT "
                 "(default: the folder of this program)")
      ->type_name("DIR")
      ->check(quiet(CLI::ExistingDirectory));

  auto* pdf = app.add_flag("--pdf")->description("PDF output (the default)");
  std::string image;
  auto* image_opt =
      app.add_option("--image", image, "image output in this format")
          ->type_name("bmp|gif|jpeg|tiff")
          ->transform(quiet(CLI::IsMember({"bmp", "gif", "jpeg", "tiff"}, CLI::ignore_case)));
  pdf->excludes(image_opt);

  auto* mono = app.add_flag("--mono")->description("black and white (the default)");
  auto* colour = app.add_flag("--colour,--color")->description("the drafting system's pen colours");
  mono->excludes(colour);

  auto* widths =
      app.add_flag("--line-widths")->description("pen widths as the drafting system displays them");
  auto* no_widths = app.add_flag("--no-line-widths")->description("every pen one pixel wide");
  widths->excludes(no_widths);
  auto* pitch = app.add_flag("--line-pitch")
                    ->description("dash patterns as the drafting system displays them");
  auto* no_pitch =
      app.add_flag("--no-line-pitch")->description("dash patterns of the parameter template");
  pitch->excludes(no_pitch);

  auto* fonts = app.add_flag("--fonts")->description("fonts effective (the default)");
  auto* no_fonts = app.add_flag("--no-fonts")->description("fonts not effective");
  fonts->excludes(no_fonts);

  std::string output_dir;
  auto* output_dir_opt = app.add_option("--output-dir", output_dir, "write every output here")
                             ->type_name("DIR")
                             ->check(quiet(CLI::ExistingDirectory));
  auto* beside =
      app.add_flag("--beside")->description("write each output beside its drawing (the default)");
  output_dir_opt->excludes(beside);

  std::string paper;
  app.add_option("--paper", paper,
                 "page size of the chosen output kind: drawing (the drawing's own), "
                 "A0..A4, A4P (A4 portrait), B0..B4, or WIDTHxHEIGHT in millimetres")
      ->type_name("SIZE");

  int dpi = 0;
  app.add_option("--dpi", dpi, "image resolution in dots per inch")
      ->type_name("72..600")
      ->check(quiet(CLI::Range(72, 600)))
      ->needs(image_opt);

  app.add_flag("-v,--verbose", req.verbose,
               "print each command line before starting it (on Linux also the tools' own output)");
  auto* dry_run =
      app.add_flag("--dry-run", req.dry_run, "print the command lines and start nothing");
  app.add_flag("--save", req.save,
               "remember the output kind, image format, colours, line widths, pitches, fonts and "
               "output folder for the next run and the dialog (nothing is remembered without it)")
      ->excludes(dry_run);
  app.add_option("drawings", req.drawings, "the drawings, converted in this order")
      ->type_name("DRAWING")
      ->required();

  try {
    app.parse(argc, argv);
    if (!image.empty()) {
      req.options.PdfOrImage = 1;
      const char* kinds[] = {"bmp", "gif", "jpeg", "tiff"};
      for (int i = 0; i < 4; ++i) {
        if (image == kinds[i]) {
          req.options.ImageType = i;
        }
      }
    } else if (pdf->count() > 0) {
      req.options.PdfOrImage = 0;
    }
    if (mono->count() > 0) {
      req.options.BAndWFlg = 1;
    } else if (colour->count() > 0) {
      req.options.BAndWFlg = 0;
    }
    if (widths->count() > 0) {
      req.options.WIdtHFlg = 1;
    } else if (no_widths->count() > 0) {
      req.options.WIdtHFlg = 0;
    }
    if (pitch->count() > 0) {
      req.options.PitchFlg = 1;
    } else if (no_pitch->count() > 0) {
      req.options.PitchFlg = 0;
    }
    if (fonts->count() > 0) {
      req.options.VFontFlg = 0;
    } else if (no_fonts->count() > 0) {
      req.options.VFontFlg = 1;
    }
    const auto style = platform::NativePathStyle();
    const auto cp = platform::ActiveCodePage();
    if (!output_dir.empty()) {
      req.options.FolderType = 1;
      req.options.SelFolder = text::WithTrailingSeparator(output_dir, style, cp);
    } else if (beside->count() > 0) {
      req.options.FolderType = 0;
    }
    std::string why;
    if (!paper.empty() && !ApplyPaper(paper, req.options, &why)) {
      throw CLI::ValidationError("--paper", paper + ": " + why);
    }
    if (dpi != 0) {
      req.options.OutXdpi = dpi;
    }
    req.app_folder = text::WithTrailingSeparator(
        app_folder.empty() ? defaults.program_folder : app_folder, style, cp);
    req.options.AppFolder = req.app_folder;
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), out);
    outcome.exit_code = 0;
    return outcome;
  } catch (const CLI::CallForVersion& e) {
    std::fprintf(out, "%s\n", e.what());
    outcome.exit_code = 0;
    return outcome;
  } catch (const CLI::ParseError& e) {
    std::fprintf(err, "plotxfer-batch: %s\nRun 'plotxfer-batch --help' for the options.\n",
                 e.what());
    outcome.exit_code = 2;
    return outcome;
  }
  outcome.run = true;
  return outcome;
}

}  // namespace plotxfer::cli
