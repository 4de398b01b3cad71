#pragma once
// What a page shows, in millimetres from the top left corner: a frame, the drawing's name, one
// line per pen in its colour and width, and one line per line type in its dash pattern. The PDF
// writer and the raster renderer both draw from this one description.
#include <array>
#include <string>
#include <vector>

#include "support/csd_file.h"
#include "support/raster.h"

namespace standin {

struct SceneLine {
  double x0 = 0;  // horizontal, from x0 to x1 at height y
  double x1 = 0;
  double y = 0;
  double width = 0;  // 0: the thinnest line the device can draw
  Rgb colour;
  // Dash, gap, dash, gap... (empty: solid); a dash of 0 is drawn as the smallest dot.
  std::vector<double> dashes;
  std::string label;
};

struct Scene {
  double width = 0;
  double height = 0;
  double frame_inset = 0;
  double frame_width = 0;
  double title_x = 0;
  double title_baseline = 0;
  double title_size = 0;
  double label_size = 0;
  std::string title;     // the drawing's file name
  std::string subtitle;  // its header version and where its pens came from
  std::vector<SceneLine> lines;
};

struct SceneOptions {
  bool monochrome = false;     // every line black
  bool ignore_widths = false;  // every line as thin as the device allows
};

Scene BuildScene(const CsdDrawing& drawing, double width_mm, double height_mm,
                 const SceneOptions& options);

// The text as the standard PDF font and the raster font can show it: printable ASCII kept, any
// other character (however many bytes it takes in the file-name encoding) as one question mark.
std::string PrintableAscii(const std::string& narrow_text);

// Pixels for a length in millimetres at a resolution: rounded to the nearest, at least 1.
std::uint32_t PixelsFor(double mm, int dpi);

// The scene as pixels, rendered row by row: white paper, hard-edged ink, text in a bitmap font.
class SceneRaster : public RowSource {
 public:
  SceneRaster(const Scene& scene, int dpi);
  std::uint32_t Width() const override { return width_; }
  std::uint32_t Height() const override { return height_; }
  void Row(std::uint32_t y, std::uint8_t* rgb) const override;
  std::vector<Rgb> Colours() const override;

 private:
  struct Band {
    std::uint32_t top = 0;  // rows top to bottom-1
    std::uint32_t bottom = 0;
    Rgb colour;
    // Pixel spans [first, second) on each row of the band.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> spans;
  };
  struct TextRun {
    std::uint32_t left = 0;
    std::uint32_t top = 0;
    std::uint32_t scale = 1;  // pixels per font pixel
    std::string text;
  };
  void AddRect(double x0, double y0, double x1, double y1, Rgb colour);
  void AddText(double x, double baseline, double size, const std::string& text);
  void DrawText(const TextRun& run, std::uint32_t y, std::uint8_t* rgb) const;

  std::uint32_t width_;
  std::uint32_t height_;
  double scale_;  // pixels per millimetre
  std::vector<Band> bands_;
  std::vector<TextRun> texts_;
};

}  // namespace standin
