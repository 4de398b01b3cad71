#pragma once
// The option record: every conversion option in one place, with its defaults.
#include <array>
#include <optional>
#include <string>

namespace plotxfer {

// Texts of the record are paths of at most this many bytes.
inline constexpr std::size_t kMaxPathText = 259;

// The general options: what the main dialog edits and every run start stores.
struct GeneralOptions {
  int PdfOrImage = 0;  // 0 PDF, 1 image
  int ImageType = 0;   // 0 BMP, 1 GIF, 2 JPEG, 3 TIFF
  int BAndWFlg = 1;    // monochrome
  int WIdtHFlg = 0;    // the drafting system's display line widths honoured
  int PitchFlg = 0;    // the drafting system's line pitches referred to
  int VFontFlg = 0;    // 1 when the fonts-effective box is clear
  int FolderType = 0;  // 0 beside each drawing, 1 in SelFolder
  std::string SelFolder;

  bool operator==(const GeneralOptions&) const = default;
};

struct ConversionOptions : GeneralOptions {
  std::string AddFilFolder;
  std::string AppFolder;  // folder of the program file, always ending in a separator
  int PdfSizeType = 0;    // 0 the drawing's own paper size, 1 the specified size
  int PdfPaperType = 4;   // PaperSizeTable index; 11 and above: custom
  int PdfOptXSize = 297;
  int PdfOptYSize = 210;
  int ImgSizeType = 0;
  int ImgPaperType = 4;
  int ImgOptXSize = 297;
  int ImgOptYSize = 210;
  int OutXdpi = 96;    // image resolution; starts equal to BaseXdpi
  int BaseXdpi = 96;   // the screen's horizontal dots per inch at start
  int ConnectNum = 0;  // 1: a PDF run of several drawings makes one combined PDF

  bool operator==(const ConversionOptions&) const = default;

  // The defaults, with both resolutions taken from the screen.
  static ConversionOptions WithScreenDpi(int screen_dpi) {
    ConversionOptions o;
    o.BaseXdpi = screen_dpi;
    o.OutXdpi = screen_dpi;
    return o;
  }
};

// Bounds of a custom page size (millimetres) and of the image resolution (dots per inch) that
// the output settings sheet and plotxfer-batch hold to; a stored value is not held to them.
inline constexpr int kMinCustomSize = 10;
inline constexpr int kMaxCustomSize = 100000;
inline constexpr int kMinOutXdpi = 72;
inline constexpr int kMaxOutXdpi = 600;

// The drafting system's vector-font setting; "/PDFVec:1" exactly when it is 2.
inline constexpr int kDefaultCharVectorFont = 2;

struct PaperSize {
  const char* name;  // as shown; A4 portrait and custom have string-table names of their own
  int width_mm;
  int height_mm;
};

inline constexpr int kA4PortraitPaper = 5;
inline constexpr int kCustomPaper = 11;

inline constexpr std::array<PaperSize, 11> PaperSizeTable = {{
    {"A0", 1189, 841},
    {"A1", 841, 594},
    {"A2", 594, 420},
    {"A3", 420, 297},
    {"A4", 297, 210},
    {"A4\xE7\xB8\xA6", 210, 297},  // "A4縦" (portrait), UTF-8 here; the program shows string 530
    {"B0", 1456, 1030},
    {"B1", 1030, 728},
    {"B2", 728, 515},
    {"B3", 515, 364},
    {"B4", 364, 257},
}};

struct PageSize {
  int width_mm;
  int height_mm;
};

// Page size of one output kind: none for size type 0, the table row for paper numbers 0 to 10,
// the custom pair of the same kind for 11 and above.
inline std::optional<PageSize> PageSizeFor(int size_type, int paper_type, int custom_x,
                                           int custom_y) {
  if (size_type == 0) {
    return std::nullopt;
  }
  if (paper_type >= 0 && paper_type < static_cast<int>(PaperSizeTable.size())) {
    const PaperSize& row = PaperSizeTable[static_cast<std::size_t>(paper_type)];
    return PageSize{row.width_mm, row.height_mm};
  }
  return PageSize{custom_x, custom_y};
}

inline std::optional<PageSize> PdfPageSize(const ConversionOptions& o) {
  return PageSizeFor(o.PdfSizeType, o.PdfPaperType, o.PdfOptXSize, o.PdfOptYSize);
}

inline std::optional<PageSize> ImagePageSize(const ConversionOptions& o) {
  return PageSizeFor(o.ImgSizeType, o.ImgPaperType, o.ImgOptXSize, o.ImgOptYSize);
}

}  // namespace plotxfer
