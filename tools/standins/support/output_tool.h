#pragma once
// The output stand-in: RASTRON.EXE <input> /s /pdfpath:<file> ... or /Imagepath:<file> ...
// Renders the CSD file (or, for a combined PDF, every CSD file its list names) into a PDF or image.
#include <optional>
#include <string>
#include <vector>

#include "support/image_writers.h"
#include "support/list_file.h"

namespace standin {

enum class OutputKind { Pdf, Image };

struct PageSize {
  int width_mm = 420;  // A3 landscape unless a size token says otherwise
  int height_mm = 297;
};

struct OutputCommand {
  std::string input_path;  // a CSD file, or the list of CSD files of a combined PDF
  OutputKind kind = OutputKind::Pdf;
  std::string output_path;
  bool monochrome = false;                // /c:1
  ImageFormat format = ImageFormat::Bmp;  // /ImageType:%d
  std::optional<PageSize> size;           // /pdfps:x%08x%08x or /Imageps:x%08x%08x
  int dpi = 96;                           // /ImageDPI:%d
  bool ignore_widths = false;             // /IgLWidth:1
  int vector_font = 0;                    // /vf:%d, accepted; the stand-in has no fonts to switch
  int pdf_vector = 0;                     // /PDFVec:%d, likewise
  int font_embed = 0;                     // /FontEmbed:%d, likewise
  double ellipse_divisions = 5.0;         // /EllipseDiv:%5.1f, likewise (no curves are drawn)
  std::optional<std::string> utility_folder;  // /VXAppPath:%s, must exist
  bool combined = false;          // /PDFConnection:%d or /UnitNum:%d present: input is a list
  std::optional<int> unit_count;  // /UnitNum:%d, must match the list
};

inline constexpr int kMaxDpi = 9600;
inline constexpr int kMaxPageMm = 100000;

// argv[0] is the program and argv[1] the input; every later token must be one the tool knows, at
// most once, with a value in range, and belong to the output kind chosen.
std::optional<OutputCommand> ParseOutputCommand(const std::vector<std::string>& argv,
                                                std::string* error);

// Writes the output file; an exit code, with the reason in *message on failure.
int RunOutput(const OutputCommand& command, std::string* message);

}  // namespace standin
